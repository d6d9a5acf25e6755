#pragma once
// What every album photo shares: the size limits of the pictures it shows on screen and
// prints, the default soft shadow mask ("AlbumShd.dat") and the strip of date glyphs.
// The program fills these at start-up and when the environment settings change.

#include <QString>
#include <memory>

class TPictureEx;
class TMatrixImagePack;

struct TAlbumPhotoShared {
    // Pixels; 0: no limit.
    int displayLimit = 800;
    int printLimit = 3000;
    // The default soft shadow mask; empty when the data file is missing.
    std::shared_ptr<TPictureEx> defaultShadow;
    // 5 x 3 cells of "0123456789-/' "; null: the date is drawn as text.
    std::shared_ptr<TMatrixImagePack> dateGlyphs;
};

TAlbumPhotoShared& AlbumPhotoShared();

// The characters of the glyph strip, cell by cell.
inline constexpr char16_t kDateGlyphChars[] = u"0123456789-/' ";

// Loads the default shadow mask from `path` (a bitmap or compressed bitmap); raises the
// picture's error when it cannot be read.
void LoadAlbumShadowMask(const QString& path);
// Loads the glyph strip from a picture file of 5 x 3 cells.
void LoadDateGlyphStrip(const QString& path);
