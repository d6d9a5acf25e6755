#include "library/ImageBrowserFrame.h"

#include "imaging/pack/Thumbnail.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"
#include "library/Messages.h"
#include "platform/IntMath.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QListView>
#include <QLocale>
#include <QMimeDatabase>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

class TBrowserModel : public QAbstractListModel {
public:
    explicit TBrowserModel(TfrmImageBrowser& frame) : frame_(frame) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : count_;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= count_) return {};
        switch (role) {
            case Qt::DisplayRole:
                return caption(index.row());
            case Qt::DecorationRole: {
                TPictureEx picture;
                frame_.DisplayPack().SafeGetImage(picture, index.row());
                return picture.Empty() ? QVariant() : QVariant(picture.Graphic()->ToImage());
            }
            case Qt::SizeHintRole:
                return QSize(frame_.CellSize(), frame_.CellSize());
            default:
                return {};
        }
    }
    QString caption(int row) const {
        const QString text =
            row < captions_.size() ? captions_.at(row) : QStringLiteral("No.%1").arg(row + 1);
        return frame_.ShortCaption(text, frame_.CellSize());
    }
    void reset(int count, const QStringList& captions) {
        beginResetModel();
        count_ = count;
        captions_ = captions;
        endResetModel();
    }
    void refresh(int row) {
        if (row >= 0 && row < count_) emit dataChanged(index(row), index(row));
    }

private:
    TfrmImageBrowser& frame_;
    int count_ = 0;
    QStringList captions_;
};

namespace {

// Detail rows sort by their texts without regard to case, in the system's locale.
class DetailItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return QString::localeAwareCompare(text(column).toCaseFolded(),
                                           other.text(column).toCaseFolded()) < 0;
    }
};

}  // namespace

TfrmImageBrowser::TfrmImageBrowser(QWidget* parent) : QWidget(parent) {
    display_.OnGetCount = [this](TImagePack*, int& count) {
        count = source_ ? source_->GetCount() : 0;
    };
    display_.OnGetImage = [this](TImagePack*, TPictureEx& picture, int index) {
        TPictureEx image;
        if (background_) {
            loader_.Request(index);
            AssignPlaceholderPicture(image);
        } else if (source_) {
            source_->SafeGetImage(image, index);
        }
        const QImage cell = fitted(image);
        if (!cell.isNull()) picture.SetGraphic(std::make_unique<TSafetyBitmap>(cell));
    };
    sourceListener_ = std::make_unique<TListener>(
        [this](TPersistent*, const QUuid& aspect) { sourceChanged(aspect); });

    model_ = new TBrowserModel(*this);
    model_->setParent(this);
    icons_ = new QListView;
    icons_->setViewMode(QListView::IconMode);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setUniformItemSizes(true);
    icons_->setMovement(QListView::Static);
    icons_->setSelectionMode(QAbstractItemView::SingleSelection);
    icons_->setModel(model_);
    details_ = new QTreeWidget;
    details_->setRootIsDecorated(false);
    details_->setHeaderLabels(
        {msg::columnName(), msg::columnSize(), msg::columnType(), msg::columnModified()});
    details_->setSortingEnabled(true);
    details_->sortByColumn(-1, Qt::AscendingOrder);
    stack_ = new QStackedWidget;
    stack_->addWidget(icons_);
    stack_->addWidget(details_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(stack_);

    connect(icons_, &QListView::clicked, this, [this](const QModelIndex& i) {
        if (OnClick) OnClick(i.row());
    });
    connect(icons_, &QListView::doubleClicked, this, [this](const QModelIndex& i) {
        if (OnDoubleClick) OnDoubleClick(i.row());
    });
    connect(details_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        if (OnClick) OnClick(item->data(0, Qt::UserRole).toInt());
    });
    connect(details_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        if (OnDoubleClick) OnDoubleClick(item->data(0, Qt::UserRole).toInt());
    });

    // The timer does nothing itself: its expiry is an event after which the loop idles.
    keepAlive_ = new QTimer(this);
    keepAlive_->setInterval(250);
    keepAlive_->start();
    idle_ = std::make_unique<TIdleSubscription>([this] { IdleStep(); });
    // A result wakes the event loop at once (an empty queued call), so the next idle
    // moment takes it without waiting for the timer.
    loader_.OnResult = [this] { QMetaObject::invokeMethod(this, [] {}, Qt::QueuedConnection); };
    SetCellSize(150);
}

TfrmImageBrowser::~TfrmImageBrowser() {
    idle_.reset();
    loader_.Stop();
    sourceListener_.reset();
}

void TfrmImageBrowser::SetSourcePack(TImagePack* pack) {
    if (pack == source_) return;
    loader_.ClearQueues();
    if (source_) source_->Notify().RemoveListener(sourceListener_.get());
    source_ = pack;
    loader_.SetPack(pack);
    if (source_) source_->Notify().AddListener(sourceListener_.get());
    display_.ClearAndNotify();
    model_->reset(display_.GetCount(), captions_);
}

void TfrmImageBrowser::sourceChanged(const QUuid& aspect) {
    if (aspect == asImagesChanging) {
        loader_.ClearQueues();
    } else if (aspect == asImagesChanged) {
        loader_.ClearQueues();
        display_.ClearAndNotify();
        model_->reset(display_.GetCount(), captions_);
    } else if (aspect == asDestroying) {
        loader_.ClearQueues();
        loader_.SetPack(nullptr);
        source_ = nullptr;
        model_->reset(0, captions_);
    }
}

void TfrmImageBrowser::SetCellSize(int size) {
    // A cell must hold a box of at least a few pixels, and the cache limit must not
    // divide by zero or leave the 16-bit range.
    cellSize_ = std::max(size, kMinCellSize);
    icons_->setIconSize({cellSize_ - 2, cellSize_ - 12});
    icons_->setGridSize({cellSize_ + 8, cellSize_ + 24});
    loader_.ClearQueues();
    display_.ClearAndNotify();
    model_->reset(display_.GetCount(), captions_);
    const int64_t cells = 10485760 / (int64_t(cellSize_) * cellSize_ * 3);
    display_.SetCacheLimit(int(std::clamp<int64_t>(cells, 1, 65535)));
}

QImage TfrmImageBrowser::fitted(const TPictureEx& picture) const {
    return MakeThumbnail(picture, {cellSize_ - 2, cellSize_ - 12});
}

bool TfrmImageBrowser::IdleStep() {
    bool took = false;
    if (background_) {
        TPictureEx picture;
        const int key = loader_.TakeResult(picture);
        if (key >= 0) {
            TPictureEx cell;
            const QImage image = fitted(picture);
            if (!image.isNull()) cell.SetGraphic(std::make_unique<TSafetyBitmap>(image));
            display_.PutImage(cell, key);
            model_->refresh(key);
            took = true;
        }
    }
    if (icons_->visibleRegion().isEmpty() && !took) display_.ClearCache();
    return took;
}

void TfrmImageBrowser::SelectAll() {
    icons_->selectAll();
    details_->selectAll();
}

void TfrmImageBrowser::SelectNone() {
    icons_->clearSelection();
    details_->clearSelection();
}

void TfrmImageBrowser::SetMultiSelect(bool on) {
    const auto mode =
        on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
    icons_->setSelectionMode(mode);
    details_->setSelectionMode(mode);
}

int TfrmImageBrowser::SelectedCount() const {
    return DetailView() ? int(details_->selectedItems().size())
                        : int(icons_->selectionModel()->selectedIndexes().size());
}

bool TfrmImageBrowser::IsSelected(int index) const {
    if (DetailView()) {
        for (QTreeWidgetItem* item : details_->selectedItems())
            if (item->data(0, Qt::UserRole).toInt() == index) return true;
        return false;
    }
    return icons_->selectionModel()->isSelected(model_->index(index));
}

int TfrmImageBrowser::FocusedIndex() const {
    if (DetailView()) {
        QTreeWidgetItem* item = details_->currentItem();
        return item ? item->data(0, Qt::UserRole).toInt() : -1;
    }
    const QModelIndex current = icons_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TfrmImageBrowser::SelectImage(int index) {
    SelectNone();
    if (index < 0 || index >= model_->rowCount()) return;
    const QModelIndex at = model_->index(index);
    icons_->setCurrentIndex(at);
    icons_->scrollTo(at);
}

void TfrmImageBrowser::SetDetailView(bool on) {
    stack_->setCurrentWidget(on ? static_cast<QWidget*>(details_) : icons_);
}

bool TfrmImageBrowser::DetailView() const {
    return stack_->currentWidget() == details_;
}

void TfrmImageBrowser::SetCaptions(const QStringList& captions) {
    captions_ = captions;
    model_->reset(display_.GetCount(), captions_);
}

void TfrmImageBrowser::FillDetails(int count, const std::function<QString(int)>& fileName) {
    details_->clear();
    QMimeDatabase mimes;
    const QLocale locale;
    for (int i = 0; i < count; ++i) {
        const QFileInfo info(fileName(i));
        auto* item = new DetailItem(details_);
        item->setData(0, Qt::UserRole, i);
        item->setText(0, info.fileName());
        if (!info.isDir())
            item->setText(1, locale.toString((info.size() + 512) / 1024) + QStringLiteral("KB"));
        item->setText(2, mimes.mimeTypeForFile(info).comment());
        const QDateTime modified = info.lastModified();
        if (modified.isValid()) item->setText(3, locale.toString(modified, QLocale::ShortFormat));
    }
}

QString TfrmImageBrowser::ShortCaption(const QString& text, int width) const {
    const QFontMetrics metrics = icons_->fontMetrics();
    if (metrics.horizontalAdvance(text) <= width) return text;
    const QString dots = QStringLiteral("...");
    QString prefix;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString next = prefix + text.mid(i, len);
        if (metrics.horizontalAdvance(next + dots) > width) break;
        prefix = next;
        i += len;
    }
    return prefix + dots;
}
