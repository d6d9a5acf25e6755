#pragma once
// TfrmImageBrowser: the thumbnail list. It shows the images of a source pack as icons (or
// the files as a detail list), loading them on its own worker thread: an icon shows the
// placeholder until its image arrives, newest request first. Arrived images are taken one
// per idle moment; each arrival wakes the event loop, and a 250 ms timer keeps idle
// moments coming while nothing else happens.

#include "app/frame/IdleNotifier.h"
#include "imaging/pack/CachedImagePack.h"
#include "library/ImageLoadThread.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QListView;
class QStackedWidget;
class QTimer;
class QTreeWidget;
class TBrowserModel;

class TfrmImageBrowser : public QWidget {
public:
    explicit TfrmImageBrowser(QWidget* parent = nullptr);
    ~TfrmImageBrowser() override;

    // The pack whose images are shown (not owned; null for none).
    void SetSourcePack(TImagePack* pack);
    TImagePack* SourcePack() const { return source_; }
    // The cell's side in pixels; below the smallest usable size it is raised to it.
    void SetCellSize(int size);
    int CellSize() const { return cellSize_; }
    static constexpr int kMinCellSize = 16;
    bool BackgroundLoading() const { return background_; }
    void SetBackgroundLoading(bool on) { background_ = on; }

    void SelectAll();
    void SelectNone();
    void SetMultiSelect(bool on);
    int SelectedCount() const;
    bool IsSelected(int index) const;
    // The image index of the focused item, -1 when none.
    int FocusedIndex() const;
    // Selects the item showing image `index` and scrolls to it; -1 clears the selection.
    void SelectImage(int index);

    void SetDetailView(bool on);
    bool DetailView() const;
    // Captions: one text per image, or "No.%d" (from 1) when the list is empty.
    void SetCaptions(const QStringList& captions);
    // Fills the detail view with `count` files whose names `fileName` supplies.
    void FillDetails(int count, const std::function<QString(int)>& fileName);

    std::function<void(int index)> OnClick;
    std::function<void(int index)> OnDoubleClick;

    TCustomImagePack& DisplayPack() { return display_; }
    TImageLoadThread& Loader() { return loader_; }
    // One idle step (what an idle notification does); true when a result was taken.
    bool IdleStep();
    QListView* IconView() const { return icons_; }
    QTreeWidget* DetailList() const { return details_; }

    // The caption shortened to `width` pixels: the longest prefix followed by "..." that
    // fits.
    QString ShortCaption(const QString& text, int width) const;

private:
    QImage fitted(const TPictureEx& picture) const;
    void sourceChanged(const QUuid& aspect);

    TCustomImagePack display_;
    TImageLoadThread loader_;
    TImagePack* source_ = nullptr;
    std::unique_ptr<TListener> sourceListener_;
    int cellSize_ = 150;
    bool background_ = true;
    QStringList captions_;
    TBrowserModel* model_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    QListView* icons_ = nullptr;
    QTreeWidget* details_ = nullptr;
    QTimer* keepAlive_ = nullptr;
    std::unique_ptr<TIdleSubscription> idle_;
};
