#pragma once
// A photo as an album photo shows it with one of the automatic corrections: the picture
// corrected by the method (0 none, 1 own normalisation, 2 Exif Print, 3 colour matching),
// then cropped, reduced to the display limit and filtered as the picture holder says.
// Exif Print and colour matching are shown without the hand adjustments (blur, light,
// mono tone), since choosing them removes those. The batch correction uses it for its
// previews and its lists for their display pictures.

class TImageData;
class TPictureEx;

// Copies the crop, the filters and the transparent colour of `from` (not the picture).
void CopyPictureAdjustments(const TImageData& from, TImageData& to);

// `result` becomes `picture` seen through `holder` (null: no crop, no filters) and
// corrected by `method`; empty for an empty picture.
void BuildCorrectedPhoto(const TPictureEx& picture, const TImageData* holder, int method,
                         TPictureEx& result);
