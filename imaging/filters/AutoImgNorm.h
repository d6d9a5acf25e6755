#pragma once
// The logic of the batch correction dialog ("イメージの自動調整"): which automatic
// correction each photo of a list gets. The list is a TImgNormalizeCallBackClass (album
// photos of a selection or of a document, picture files); the dialog shows three photos at
// a time and drives this model. Choosing Exif Print or colour matching for a photo whose
// colours were adjusted by hand asks first, since the adjustments are then removed.

#include <QString>
#include <functional>
#include <vector>

class TImageData;
class TPictureEx;
class TPhasedProgressBase;

// Methods: 0 none, 1 own normalisation, 2 Exif Print, 3 colour matching.
class TImgNormalizeCallBackClass {
public:
    virtual ~TImgNormalizeCallBackClass() = default;
    virtual void ApplyMethod(int index, int method) = 0;
    virtual int CurrentMethod(int index) = 0;
    virtual int Count() = 0;
    virtual const TPictureEx* DisplayPicture(int index) = 0;
    virtual const TPictureEx* SourcePicture(int index) = 0;
    virtual TImageData* PictureHolder(int index) = 0;
};

class TAutoImgNormModel {
public:
    explicit TAutoImgNormModel(TImgNormalizeCallBackClass& list);

    // Asks a Yes/No question; true for Yes. Unset: every question is answered No.
    std::function<bool(const QString& question)> Ask;

    int Count() const { return int(chosen_.size()); }
    int Chosen(int index) const { return chosen_[size_t(index)]; }
    // Method 0 always; the others when a filter of that kind can correct the photo.
    bool IsOffered(int index, int method) const;
    // The photo's blur, light or mono-tone filter changes its colours.
    bool IsAdjusted(int index) const;

    // Chooses a method for one photo; for Exif Print and colour matching of an adjusted
    // photo only after a Yes. Returns whether the choice changed.
    bool Choose(int index, int method);
    // Chooses the method for every photo that offers it; adjusted photos follow one answer.
    void ChooseAll(int method);
    // Sets every photo's method in order: for Exif Print and colour matching the hand
    // adjustments are removed first.
    void Apply(TPhasedProgressBase* progress = nullptr);

private:
    TImgNormalizeCallBackClass& list_;
    std::vector<int> chosen_;
    std::vector<unsigned> offered_;  // bit per method
};
