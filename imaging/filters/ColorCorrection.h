#pragma once
// The photo corrections of the colour-matching engine (Exif Print and colour matching),
// as the correction filters use them. The colour-matching manager lives in printing/,
// which comes after imaging/: it implements IPhotoCorrector and installs a factory at
// start-up. Without a factory installed no correction is possible and the filters hand
// pictures through unchanged.

#include <functional>
#include <memory>

class TPictureEx;

// InspectSource's flags.
enum { pcExifPrint = 1, pcColourMatching = 2 };

class IPhotoCorrector {
public:
    virtual ~IPhotoCorrector() = default;
    // The engine can be used for colour matching (forKvr) or Exif Print.
    virtual bool IsAvailable(bool forKvr) = 0;
    // Saves the picture to the corrector's temporary file, which becomes its source.
    virtual bool SavePictureToTemp(const TPictureEx& picture) = 0;
    // pcExifPrint and pcColourMatching as found in the source.
    virtual int InspectSource() = 0;
    // The corrected source as a new 24-bit bitmap in `destination`; false when not done.
    virtual bool CorrectSource(TPictureEx& destination, bool forKvr, bool forPrint) = 0;
    // A print job with colour matching is running (corrections then use print quality).
    virtual bool PrintActive() = 0;
};

using PhotoCorrectorFactory = std::function<std::unique_ptr<IPhotoCorrector>()>;
void SetPhotoCorrectorFactory(PhotoCorrectorFactory factory);
// A new corrector for one use, or null when none is installed.
std::unique_ptr<IPhotoCorrector> NewPhotoCorrector();
