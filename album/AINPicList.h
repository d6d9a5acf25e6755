#pragma once
// TAINPicList: every album photo with a picture on the sheets of an album document, as a
// batch correction list. The photos of an album are the objects of face 0 of each sheet;
// sheets 0 and 1 (the covers) can be left out. The list holds no objects of the document:
// each photo is remembered by its sheet and its place among the face's objects, with a
// picture holder carrying a copy of its crop and filters, and its picture is kept in a
// temporary file of its own (TTemporaryPicture) and read back a few at a time when asked
// for. WriteBack stores the changed corrections into their sheets.

#include "imaging/filters/AutoImgNorm.h"
#include "imaging/picture/LoadedPictures.h"
#include "platform/canvas/Color.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TLabelData;
class TPhasedProgressBase;
class TPhotoImageData;

class TAINPicList : public TImgNormalizeCallBackClass {
public:
    // Collects the photos sheet by sheet; the document's current sheet is selected again
    // afterwards, also when an error passes. `stopRequested` is asked after each sheet;
    // when it says yes, collecting ends there and Stopped() tells so.
    TAINPicList(TLabelData& data, bool withoutCovers,
                const std::function<bool()>& stopRequested = {});
    ~TAINPicList() override;  // removes the temporary files

    void ApplyMethod(int index, int method) override;
    int CurrentMethod(int index) override;
    int Count() override { return int(entries_.size()); }
    // Read back from the temporary file when not kept; valid until a few others are read.
    const TPictureEx* DisplayPicture(int index) override;
    const TPictureEx* SourcePicture(int index) override;
    TImageData* PictureHolder(int index) override;

    bool Stopped() const { return stopped_; }
    // Where photo `index` is: its sheet, and its place in the face's object list (back-most
    // first, as LoadFaceObjects gives them).
    int Sheet(int index) const;
    int Position(int index) const;
    // The method or the hand adjustments of the photo differ from its sheet's.
    bool IsChanged(int index) const;

    // Writes the method and the hand adjustments of every changed photo into its sheet,
    // one load and save per sheet; the current sheet is selected again afterwards. Returns
    // whether anything was written. Raises when a remembered place holds no album photo.
    bool WriteBack(TPhasedProgressBase* progress = nullptr);

private:
    struct Adjustments {
        int blurCount = 0;
        int brightness = 0;
        int contrast = 0;
        TColor refColor = clNone;
        bool operator==(const Adjustments&) const = default;
    };
    struct Entry;
    Entry& entry(int index) const;
    static Adjustments adjustmentsOf(const TImageData& holder);

    TLabelData& data_;
    std::vector<std::unique_ptr<Entry>> entries_;
    TLoadedPictures loaded_;
    bool stopped_ = false;
};
