#pragma once
// The photo sequence over an album document without a window: the site is a list of the
// current sheet's face objects, stored back into the document before every change of
// sheet, as the layout window does. Used by corvane-tool and the tests; the layout window
// has its own over its draw site.

#include "album/PhotoSequence.h"
#include "drawing/DOList.h"

#include <QStringList>
#include <functional>

class TLabelData;

// Fills the site with a frame for each face of the current sheet's paper (mirrored on a
// back side), as a page that was never laid out gets them.
void LayOutNewPage(TLabelData& data, TDOList& site);

class TAlbumSequenceContext : public TPhotoSequenceContext {
public:
    // `photos`: the image files a fill places, in order.
    explicit TAlbumSequenceContext(TLabelData& data, QStringList photos = {});
    ~TAlbumSequenceContext() override;

    // Shows a sheet: its stored face, laid out first when it never was.
    void Open(int sheet);
    TDOList& Site() { return site_; }
    // Stores the site when it changed.
    void Finish();

    std::function<void(const QString&)> OnMessage;
    std::function<void(const QString&)> OnCounter;

    std::vector<TDrawObject*> SiteObjects() override { return site_.Items(); }
    void MarkSiteChanged() override { changed_ = true; }
    int SheetCount() override;
    int CurrentSheet() override;
    void SelectSheet(int index) override;
    std::optional<QString> PageLimitMessage() override;
    int CountStoredFrames(int sheet) override;
    bool HasStoredEmptyFrame(int sheet) override;
    std::vector<std::unique_ptr<TDrawObject>> LoadFace(int sheet) override;
    void SaveFace(int sheet, const std::vector<TDrawObject*>& objects) override;
    TSequencePaper LayoutPaper() override;
    void StoreFace() override;
    void ShowSheet() override;
    void AddPage() override;
    void GoToPage(int n) override;
    void AppendSheet() override;
    void LayOutFromPage(int n) override;
    void LoadPhoto(int index, TLoadedPhoto& photo) override;
    void ShowMessage(const QString& text) override;
    void SetCounterText(const QString& text) override;

private:
    // The photo frames of a stored sheet (counted, and how many are empty).
    std::pair<int, int> storedFrames(int sheet);
    // The site's objects as StoreFace saves them (front-most first, no paper design).
    std::vector<TDrawObject*> storedObjects() const;
    // Lays out the site from the objects of page n (loaded or copied).
    void layOutFrom(std::vector<std::unique_ptr<TDrawObject>> objects, int n);

    TLabelData& data_;
    QStringList photos_;
    TDOList site_;
    bool changed_ = false;
};
