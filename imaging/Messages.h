#pragma once
// Message texts of the imaging layer (pictures and their formats, Exif). Each text is
// written once, here; texts shared with lower folders live in their catalogues
// (document/Messages.h, ...), all in namespace msg.

#include <QString>

namespace msg {

// Files, also used by the folders above.
QString cannotCreateFile(const QString& path);

QString invalidBitmap();
// `reason` says which field holds which value, or which part is missing.
QString invalidBitmap(const QString& reason);
// `reason` is one of the reasons below (a library's own text only inside libraryRefused).
QString invalidJpeg(const QString& reason);
QString invalidPng(const QString& reason);
// The compressed container ("ZLIBCompress").
QString cannotDecompress(const QString& reason);

// Reasons after the messages above.
// A header field whose value the format does not allow ("biBitCount", "3").
QString fieldValueInvalid(const QString& field, const QString& value);
// A header or chunk cut off: the bytes ran out at `position`.
QString dataEndsAt(qint64 position);
// The file declares `needed` bytes in all, but only `present` are there.
QString fileShorterThanDeclared(qint64 needed, qint64 present);
// More pixels than the largest picture the program accepts.
QString pictureTooLarge(qint64 width, qint64 height, qint64 limit);
// A picture larger than its compressed data can produce at the format's best ratio.
QString pixelsExceedData(qint64 width, qint64 height, qint64 bytes);
// `library`'s own (English) text, e.g. libraryRefused("libpng", "IDAT: CRC error").
QString libraryRefused(const QString& library, const QString& text);
QString signatureMissing();
QString noData();
QString arithmeticCodingUnsupported();
// A declared length beyond the largest picture, or beyond what the compressed bytes can
// produce.
QString declaredLengthTooLarge(qint64 declared, qint64 limit);
QString declaredLengthExceedsData(qint64 declared, qint64 bytes);
// The data inflated to `actual` bytes where `declared` were declared (`actual` is a lower
// bound when the data was longer).
QString lengthMismatch(qint64 declared, qint64 actual);
QString compressedDataEnded();
QString pictureLoadFailed();
// Metafiles: bytes that are neither an enhanced nor a placeable Windows metafile.
QString invalidMetafile();
// An Exif pixel count ("640ピクセル").
QString pixelCount(int pixels);
// The text of the picture shown while a thumbnail is being made.
QString previewInProgress();
// The batch correction's question before Exif Print (or colour matching) removes the
// colour adjustments of one photo, and of all adjusted photos at once.
QString adjustedPhotoQuestion(bool colourMatching);
QString adjustedPhotosQuestion(bool colourMatching);
// The Exif information text of a file, or of an album photo, without Exif data.
QString fileHasNoExif();
QString photoHasNoExif();
// "更新日時": a file's or picture's last change (Exif labels, file lists).
QString modifiedDateTime();

}  // namespace msg
