#pragma once
// TExifReader: reads a few tags from the Exif data (APP1 segment) of a JPEG file. It is a
// small read-only TIFF parser that never reads outside its buffer; bad Exif data leaves it
// empty rather than raising.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

class TPictureEx;
class TStream;

enum TExifIfd { eiIFD0 = 0, eiIFD1 = 1, eiExif = 2, eiInterop = 3 };

class TExifReader {
public:
    struct Entry {
        int type = 0;
        std::uint32_t count = 0;
        QByteArrayView value;  // the value bytes inside the buffer
    };

    TExifReader() = default;
    explicit TExifReader(QByteArrayView jpeg) { Load(jpeg); }

    // Scans the JPEG markers for the first APP1 segment and keeps it when it is Exif.
    void Load(QByteArrayView jpeg);
    // Raises Exception when the file cannot be read.
    void LoadFromFile(const QString& path);
    // From the stream's position; reads up to the first APP1 segment (stream read errors
    // propagate).
    void LoadFromStream(TStream& stream);
    // The picture's JPEG bytes; any other graphic leaves the reader empty.
    void LoadFromPicture(const TPictureEx& picture);
    // The picture is a JPEG image with Exif data.
    static bool HasExif(const TPictureEx& picture);

    bool HasData() const { return !buffer_.isEmpty(); }
    bool HasTag(TExifIfd ifd, int tag) const { return FindEntry(ifd, tag).has_value(); }
    std::optional<Entry> FindEntry(TExifIfd ifd, int tag) const;

    std::uint32_t GetInteger(TExifIfd ifd, int tag) const;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> GetRationals(TExifIfd ifd, int tag) const;
    std::pair<std::uint32_t, std::uint32_t> GetRational(TExifIfd ifd, int tag) const;
    QString GetText(TExifIfd ifd, int tag) const;

private:
    // Keeps an APP1 payload when it is Exif.
    void keepSegment(QByteArrayView segment);
    std::optional<qsizetype> ifdOffset(TExifIfd ifd) const;  // relative to the TIFF header
    std::optional<Entry> entryIn(qsizetype ifd, int tag) const;

    QByteArray buffer_;  // "Exif\0\0" and the TIFF data
    bool bigEndian_ = false;
    std::uint32_t ifd0_ = 0;
};

// The lines of the Exif information text for a file (the text panel inserts it).
QString ExifInformationText(const TExifReader& reader, const QString& fileName);
// The date text of a photo: IFD0 tag 306 with its date separators turned into "/"; empty
// when the tag is missing.
QString ExifPhotoDate(const TExifReader& reader);
// A value with two decimals and its fractional zeros (and then a bare decimal point)
// removed: 10 for 9.999999, 5.6 for 5.6.
QString TrimmedDecimal(double v);
