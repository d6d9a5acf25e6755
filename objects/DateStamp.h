#pragma once
// The date stamp of album photos: the shooting date read from a photo's Exif text, and
// the date text drawn into the bottom-right corner of a picture, with the glyph strip or
// with a font.

#include <QDateTime>
#include <QImage>
#include <QString>
#include <optional>

class TMatrixImagePack;
class TPictureEx;
class TFont;

// The date and time of an Exif date text ("2004:05:05 10:20:30"): the separators at
// positions 5 and 8 become "/", then year, month, day, hour, minute and second are read,
// each after optional spaces (the full-width one too), separated by single non-digit
// characters. Absent when the text does not give a valid date and time.
std::optional<QDateTime> ParseExifDate(const QString& text);
// The Exif date of a JPEG picture's first image directory (tag 306); absent otherwise.
std::optional<QDateTime> PictureExifDate(const TPictureEx& picture);

// Draws `text` right-aligned at the bottom of `image` with the glyph strip: unit
// x = height / 34, glyph row at 32.5 x, glyph height trunc(x), gaps of a third of the
// glyph width, the last glyph ending at width - trunc(x). White in the strip is clear.
void StampWithGlyphs(QImage& image, const QString& text, TMatrixImagePack& glyphs);
// Draws `text` with `font` so that it ends 1.5 text heights from the right edge and
// starts 1.5 text heights above the bottom edge.
void StampWithFont(QImage& image, const QString& text, const TFont& font);
// Stamps a picture: a picture taller than wide is turned by 270 degrees, stamped and
// turned back, so that the date runs along its long side.
void StampDate(QImage& image, const QString& text, TMatrixImagePack* glyphs, const TFont& font);
