#pragma once
// The album's photo sequence: the photo frames of all pages in reading order, page after
// page. Inserting a slot moves every later photo one frame on (across pages, adding a page
// when the last frame was taken), deleting a photo moves them one frame back, filling
// places image files into the empty frames (adding pages laid out like the current one),
// and flipping mirrors the following pages of a two-sided album. The operations work
// through TPhotoSequenceContext, which the layout window implements over its draw site and
// the album document (and a headless one for the tool and the tests).

#include "imaging/picture/PictureEx.h"
#include "objects/ImageObject.h"

#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class TDrawObject;
class TLOAlbumPhoto;

// A photo loaded for a frame: its picture, where it came from and its date.
struct TLoadedPhoto {
    TPictureEx Picture;
    TImageSource Source = isFile;
    double Date = 0;  // days since 1899-12-30
};

// The layout paper of the current sheet, for mirroring.
struct TSequencePaper {
    int Width = 0;
    int Height = 0;
    bool Landscape = false;
};

class TPhotoSequenceContext {
public:
    virtual ~TPhotoSequenceContext() = default;

    // --- the draw site of the face being edited ---
    // Its objects in site order.
    virtual std::vector<TDrawObject*> SiteObjects() = 0;
    virtual void MarkSiteChanged() = 0;

    // --- the album document ---
    virtual int SheetCount() = 0;
    virtual int CurrentSheet() = 0;
    // Selects a sheet of the document without showing it.
    virtual void SelectSheet(int index) = 0;
    // Null while another page may be added, else the message that refuses it.
    virtual std::optional<QString> PageLimitMessage() = 0;
    // The photo frames stored on face 0 of a sheet, and whether one of them is empty; the
    // current sheet stays selected.
    virtual int CountStoredFrames(int sheet) = 0;
    virtual bool HasStoredEmptyFrame(int sheet) = 0;
    // Face 0 of a sheet as objects, and written back (flipping).
    virtual std::vector<std::unique_ptr<TDrawObject>> LoadFace(int sheet) = 0;
    virtual void SaveFace(int sheet, const std::vector<TDrawObject*>& objects) = 0;
    virtual TSequencePaper LayoutPaper() = 0;

    // --- the layout window ---
    // The site's objects saved as the current face.
    virtual void StoreFace() = 0;
    // The site filled with the current sheet's face.
    virtual void ShowSheet() = 0;
    // Stores the face, adds a page after the current one laid out from it, shows it.
    virtual void AddPage() = 0;
    // Stores a changed face, selects sheet n and shows it.
    virtual void GoToPage(int n) = 0;
    // Appends a sheet, marks it laid out, makes it current and shows it.
    virtual void AppendSheet() = 0;
    // The site filled with the frames of sheet n, emptied.
    virtual void LayOutFromPage(int n) = 0;
    // Loads image `index` of the photo list; raises the loader's error.
    virtual void LoadPhoto(int index, TLoadedPhoto& photo) = 0;

    // --- the waiting window ---
    virtual void ShowMessage(const QString& text) = 0;
    virtual void SetProgressRange(int, int) {}
    virtual void SetProgressPosition(int) {}
    virtual void StepProgress() {}
    virtual void SetCounterText(const QString&) {}
    virtual void ShowPhoto(const TPictureEx&) {}
    // True once the user has pressed the stop button; pending events are processed.
    virtual bool StopRequested() { return false; }
};

// --- reading order ---

// The pairwise reading rule: A comes before B by their centres and top edges.
bool FrameComesBefore(const TRect& a, const TRect& b);
// The album photos of `objects` in reading order. The pairwise rule is not transitive
// (frames rising like a staircase form a cycle), so the frames are ordered once: the next
// one is always a frame no remaining frame comes before, which is exactly the pairwise
// order wherever that is consistent; inside a cycle the frame with the fewest remaining
// frames before it goes first (then the higher centre, the left one, site order).
std::vector<TLOAlbumPhoto*> FramesInReadingOrder(const std::vector<TDrawObject*>& objects);
// The frame after `after` (null: the first) in reading order; only empty frames when
// `emptyOnly`. Null when there is none.
TLOAlbumPhoto* NextFrame(const std::vector<TDrawObject*>& objects, const TLOAlbumPhoto* after,
                         bool emptyOnly);
bool HasPhotoFrames(const std::vector<TDrawObject*>& objects);

// --- content ---

// Copies a frame's content (the album photo's assignment) into `target`, which keeps its
// rectangle, selection and movability.
void CopyPhotoContent(TLOAlbumPhoto& target, const TLOAlbumPhoto& source);
void ExchangePhotoContent(TLOAlbumPhoto& a, TLOAlbumPhoto& b);

// --- operations ---

enum class TSequenceResult {
    Done,
    NotStarted,  // nothing selected, or no frames on the page (message shown)
    PageLimit,   // the page limit stopped it (message shown)
    Stopped,     // the user stopped it
};

TSequenceResult InsertPhotoSlot(TPhotoSequenceContext& context);
TSequenceResult DeletePhoto(TPhotoSequenceContext& context);
TSequenceResult FillEmptyFrames(TPhotoSequenceContext& context, int imageCount);
void FlipFollowingPages(TPhotoSequenceContext& context, int from);
