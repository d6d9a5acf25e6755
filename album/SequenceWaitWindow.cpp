#include "album/SequenceWaitWindow.h"

#include "album/Messages.h"
#include "imaging/picture/Graphic.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/PictureLoader.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kPhotoSide = 120;
}

TSequenceWaitWindow::TSequenceWaitWindow(QWidget* parent)
    : QDialog(parent),
      counter_(new QLabel(this)),
      photo_(new QLabel(this)),
      progress_(new QProgressBar(this)) {
    setWindowTitle(msg::sequenceWaitCaption());
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(msg::sequenceWaitCaption(), this);
    layout->addWidget(caption);
    photo_->setFixedSize(kPhotoSide, kPhotoSide);
    photo_->setAlignment(Qt::AlignCenter);
    layout->addWidget(photo_, 0, Qt::AlignHCenter);
    layout->addWidget(counter_);
    layout->addWidget(progress_);
    auto* stop = new QPushButton(msg::sequenceStop(), this);
    stop->setObjectName(QStringLiteral("stop"));
    connect(stop, &QPushButton::clicked, this, [this] { RequestStop(); });
    layout->addWidget(stop, 0, Qt::AlignHCenter);
}

void TSequenceWaitWindow::SetRange(int minimum, int maximum) {
    progress_->setRange(minimum, std::max(minimum, maximum));
    progress_->setValue(minimum);
}

void TSequenceWaitWindow::SetPosition(int position) {
    progress_->setValue(std::clamp(position, progress_->minimum(), progress_->maximum()));
}

void TSequenceWaitWindow::Step() {
    SetPosition(progress_->value() + 1);
}

int TSequenceWaitWindow::Position() const {
    return progress_->value();
}

void TSequenceWaitWindow::SetCounter(const QString& text) {
    counter_->setText(text);
}

QString TSequenceWaitWindow::Counter() const {
    return counter_->text();
}

void TSequenceWaitWindow::ShowPhoto(const TPictureEx& picture) {
    if (picture.Empty()) {
        photo_->clear();
        return;
    }
    // A small preview; a JPEG is decoded at a reduced scale for it.
    TPictureEx preview;
    preview.Assign(picture);
    Downscale(preview, kPhotoSide);
    photo_->setPixmap(QPixmap::fromImage(preview.Graphic()->ToImage()));
}

bool TSequenceWaitWindow::StopRequested() {
    QApplication::processEvents();
    return stop_;
}

void TSequenceWaitWindow::reject() {
    RequestStop();
}
