#include "album/AutoImgNormDialog.h"

#include "album/Messages.h"
#include "app/frame/AppFrame.h"
#include "app/frame/Messages.h"
#include "imaging/PhasedProgress.h"
#include "imaging/picture/Graphic.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/PictureLoader.h"
#include "objects/CorrectedPhoto.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kMethods = 4;
// Previews kept while scrolling; beyond this many they are built again when needed.
constexpr size_t kKeptPreviews = 48;

// Shows the progress of applying on the dialog's bar.
class BarProgress : public TPhasedProgressBase {
public:
    explicit BarProgress(QProgressBar* bar) : bar_(bar) {}

protected:
    void Changed(int value) override { bar_->setValue(value); }

private:
    QProgressBar* bar_;
};

QLabel* previewLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFixedSize(TfrmAutoImgNorm::kPreviewSide, TfrmAutoImgNorm::kPreviewSide);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::StyledPanel);
    return label;
}

}  // namespace

TfrmAutoImgNorm::TfrmAutoImgNorm(TImgNormalizeCallBackClass& list, QWidget* parent)
    : QDialog(parent),
      list_(list),
      model_(list),
      scroll_(new QScrollBar(Qt::Vertical, this)),
      progress_(new QProgressBar(this)) {
    setWindowTitle(msg::autoImgNormCaption());
    model_.Ask = [](const QString& question) {
        return AppMessageBox(question, {mbYes, mbNo}, 0, 1) == mbYes;
    };

    auto* layout = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(msg::originalPictureHeading(), this), 0, 0, Qt::AlignHCenter);
    grid->addWidget(new QLabel(msg::correctedPictureHeading(), this), 0, 1, Qt::AlignHCenter);
    for (int r = 0; r < kRows; ++r) {
        Row& row = rows_[size_t(r)];
        row.original = previewLabel(this, QStringLiteral("original%1").arg(r));
        row.corrected = previewLabel(this, QStringLiteral("corrected%1").arg(r));
        row.button = new QToolButton(this);
        row.button->setObjectName(QStringLiteral("method%1").arg(r));
        row.button->setText(msg::correctionMethodButton());
        row.button->setPopupMode(QToolButton::InstantPopup);
        row.menu = new QMenu(row.button);
        for (int m = 0; m < kMethods; ++m) {
            QAction* action = row.menu->addAction(msg::correctionMethodName(m));
            action->setCheckable(true);
            connect(action, &QAction::triggered, this, [this, r, m] { ChooseForRow(r, m); });
        }
        row.button->setMenu(row.menu);
        row.method = new QLabel(this);
        row.method->setObjectName(QStringLiteral("methodLabel%1").arg(r));
        auto* choice = new QVBoxLayout;
        choice->addWidget(row.button);
        choice->addWidget(row.method);
        choice->addStretch();
        grid->addWidget(row.original, r + 1, 0);
        grid->addWidget(row.corrected, r + 1, 1);
        grid->addLayout(choice, r + 1, 2);
    }
    body->addLayout(grid);
    scroll_->setObjectName(QStringLiteral("scroll"));
    scroll_->setRange(0, std::max(0, model_.Count() - kRows));
    scroll_->setPageStep(kRows);
    connect(scroll_, &QScrollBar::valueChanged, this, [this] { showRows(); });
    body->addWidget(scroll_);
    layout->addLayout(body);

    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 10000);
    progress_->setValue(0);
    progress_->setVisible(false);
    layout->addWidget(progress_);

    auto* buttons = new QHBoxLayout;
    auto* setAll = new QPushButton(msg::setAllMenu(), this);
    setAll->setObjectName(QStringLiteral("setAll"));
    auto* setAllMenu = new QMenu(setAll);
    for (int m = kMethods - 1; m >= 0; --m)
        connect(setAllMenu->addAction(msg::setAllEntry(m)), &QAction::triggered, this,
                [this, m] { ChooseForAll(m); });
    setAll->setMenu(setAllMenu);
    buttons->addWidget(setAll);
    buttons->addStretch();
    auto* ok = new QPushButton(msg::okButton(), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(msg::cancelCaption(), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &TfrmAutoImgNorm::accept);
    connect(cancel, &QPushButton::clicked, this, &TfrmAutoImgNorm::reject);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    showRows();
}

int TfrmAutoImgNorm::TopIndex() const {
    return scroll_->value();
}

void TfrmAutoImgNorm::SetTopIndex(int index) {
    scroll_->setValue(index);  // limited to the range; shows the rows when it changes
}

int TfrmAutoImgNorm::RowPhoto(int row) const {
    const int index = TopIndex() + row;
    return row >= 0 && row < kRows && index < model_.Count() ? index : -1;
}

void TfrmAutoImgNorm::ChooseForRow(int row, int method) {
    const int index = RowPhoto(row);
    if (index >= 0) model_.Choose(index, method);
    showRows();  // also puts back the check mark of a choice that was refused
}

void TfrmAutoImgNorm::ChooseForAll(int method) {
    model_.ChooseAll(method);
    showRows();
}

QImage TfrmAutoImgNorm::preview(int index, int method) {
    const auto key = std::make_pair(index, method);
    if (auto it = previews_.find(key); it != previews_.end()) return it->second;
    TPictureEx picture;
    if (method == 0) {
        if (const TPictureEx* display = list_.DisplayPicture(index)) picture.Assign(*display);
    } else if (const TPictureEx* source = list_.SourcePicture(index)) {
        BuildCorrectedPhoto(*source, list_.PictureHolder(index), method, picture);
    }
    QImage image;
    if (!picture.Empty()) {
        Downscale(picture, kPreviewSide);
        image = picture.Graphic()->ToImage();
    }
    if (previews_.size() >= kKeptPreviews) previews_.clear();
    previews_.emplace(key, image);
    return image;
}

void TfrmAutoImgNorm::showRows() {
    for (int r = 0; r < kRows; ++r) {
        Row& row = rows_[size_t(r)];
        const int index = RowPhoto(r);
        const bool shown = index >= 0;
        row.button->setEnabled(shown);
        row.original->setVisible(shown);
        row.corrected->setVisible(shown);
        row.method->setVisible(shown);
        if (!shown) {
            row.method->clear();
            continue;
        }
        const int chosen = model_.Chosen(index);
        const QList<QAction*> actions = row.menu->actions();
        for (int m = 0; m < kMethods; ++m) {
            actions[m]->setEnabled(model_.IsOffered(index, m));
            actions[m]->setChecked(m == chosen);
        }
        row.method->setText(msg::correctionMethodName(chosen));
        const QImage before = preview(index, 0);
        row.original->setPixmap(QPixmap::fromImage(before));
        row.corrected->setPixmap(QPixmap::fromImage(chosen == 0 ? before : preview(index, chosen)));
    }
}

void TfrmAutoImgNorm::accept() {
    progress_->setVisible(true);
    BarProgress progress(progress_);
    model_.Apply(&progress);
    QDialog::accept();
}
