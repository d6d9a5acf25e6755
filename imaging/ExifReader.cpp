#include "imaging/ExifReader.h"

#include "document/Messages.h"
#include "document/stream/Stream.h"
#include "imaging/Messages.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureEx.h"
#include "platform/ByteCursor.h"
#include "platform/Exception.h"
#include "platform/Format.h"

#include <QFile>
#include <cmath>
#include <cstring>

namespace {
constexpr qsizetype kTiff = 6;  // the TIFF header follows "Exif\0\0"

int typeSize(int type) {
    static const int sizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type >= 1 && type <= 12 ? sizes[type] : 0;
}
bool integral(int t) {
    return t == 1 || t == 3 || t == 4 || t == 6 || t == 8 || t == 9;
}
bool rational(int t) {
    return t == 5 || t == 10;
}

// Every read is of a range checked beforehand: bad data leaves the reader empty rather
// than raising.
platform::ByteCursor reader(QByteArrayView bytes, bool bigEndian) {
    platform::ByteCursor c(bytes);
    c.setOrder(bigEndian ? platform::ByteOrder::Big : platform::ByteOrder::Little);
    return c;
}
}  // namespace

void TExifReader::Load(QByteArrayView data) {
    buffer_.clear();
    ifd0_ = 0;
    if (data.size() < 5) return;
    platform::ByteCursor c = reader(data, true);  // JPEG markers are big-endian
    bool first = true;
    while (c.has(2)) {
        if (c.u8() != 0xFF) return;  // the stream counts as ended
        const int code = c.u8();
        if (first) {
            if (code != 0xD8) return;
            first = false;
            continue;
        }
        if (code == 0xD9) return;
        if (code == 0xD8) continue;
        if (!c.has(2)) return;
        const qsizetype length = qsizetype(c.u16()) - 2;
        if (!c.has(length)) return;
        if (code == 0xE1) return keepSegment(c.take(length));
        c.skip(length);
    }
}

void TExifReader::keepSegment(QByteArrayView seg) {
    if (seg.size() < 14 || std::memcmp(seg.data(), "Exif\0\0", 6) != 0) return;
    if (std::memcmp(seg.data() + 6, "MM\0*", 4) == 0)
        bigEndian_ = true;
    else if (std::memcmp(seg.data() + 6, "II*\0", 4) == 0)
        bigEndian_ = false;
    else
        return;
    buffer_ = seg.toByteArray();
    ifd0_ = reader(buffer_, bigEndian_).u32At(kTiff + 4);
}

void TExifReader::LoadFromStream(TStream& stream) {
    buffer_.clear();
    ifd0_ = 0;
    if (stream.Remaining() < 5) return;
    std::uint8_t m[2];
    auto marker = [&]() -> int {
        if (stream.Read(m, 1) != 1 || m[0] != 0xFF) return 0xD9;  // the stream counts as ended
        return stream.Read(m + 1, 1) == 1 ? m[1] : 0xD9;
    };
    if (marker() != 0xD8) return;
    for (;;) {
        const int code = marker();
        if (code == 0xD9) return;
        if (code == 0xD8) continue;
        if (stream.Read(m, 2) != 2) return;
        const int length = ((m[0] << 8) | m[1]) - 2;
        if (length < 0 || stream.Remaining() < length) return;
        if (code == 0xE1) {
            QByteArray segment(length, Qt::Uninitialized);
            stream.ReadBuffer(segment.data(), length);
            return keepSegment(segment);
        }
        stream.Seek(length, SeekOrigin::Current);
    }
}

void TExifReader::LoadFromPicture(const TPictureEx& picture) {
    const auto* jpeg = dynamic_cast<const TSafetyJPEGImage*>(picture.Graphic());
    if (jpeg)
        Load(jpeg->Bytes());
    else
        Load({});
}

bool TExifReader::HasExif(const TPictureEx& picture) {
    TExifReader reader;
    reader.LoadFromPicture(picture);
    return reader.HasData();
}

void TExifReader::LoadFromFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw Exception(msg::cannotOpenFile(path));
    Load(f.readAll());
}

std::optional<TExifReader::Entry> TExifReader::entryIn(qsizetype ifd, int tag) const {
    const platform::ByteCursor c = reader(buffer_, bigEndian_);
    const qsizetype at = kTiff + ifd;
    if (ifd <= 0 || !c.hasAt(at, 2)) return std::nullopt;
    const int n = c.u16At(at);
    for (int i = 0; i < n; ++i) {
        const qsizetype e = at + 2 + qsizetype(i) * 12;
        if (!c.hasAt(e, 12)) return std::nullopt;
        if (c.u16At(e) != tag) continue;
        Entry entry;
        entry.type = c.u16At(e + 2);
        entry.count = c.u32At(e + 4);
        const std::int64_t bytes = std::int64_t(typeSize(entry.type)) * entry.count;
        const qsizetype where = bytes <= 4 ? e + 8 : kTiff + qsizetype(c.u32At(e + 8));
        if (typeSize(entry.type) == 0 || !c.hasAt(where, bytes)) return std::nullopt;
        entry.value = c.viewAt(where, bytes);
        return entry;
    }
    return std::nullopt;
}

std::optional<qsizetype> TExifReader::ifdOffset(TExifIfd ifd) const {
    if (!HasData()) return std::nullopt;
    switch (ifd) {
        case eiIFD0:
            return qsizetype(ifd0_);
        case eiIFD1: {
            // The offset of the next directory follows the entries of the first one.
            const platform::ByteCursor c = reader(buffer_, bigEndian_);
            const qsizetype at = kTiff + qsizetype(ifd0_);
            if (!c.hasAt(at, 2)) return std::nullopt;
            const qsizetype next = at + 2 + qsizetype(c.u16At(at)) * 12;
            const std::uint32_t off = c.hasAt(next, 4) ? c.u32At(next) : 0;
            return off ? std::optional<qsizetype>(off) : std::nullopt;
        }
        case eiExif: {
            const auto e = entryIn(qsizetype(ifd0_), 0x8769);
            return e && integral(e->type) ? std::optional<qsizetype>(GetInteger(eiIFD0, 0x8769))
                                          : std::nullopt;
        }
        case eiInterop: {
            const auto e = FindEntry(eiExif, 0xA005);
            return e && integral(e->type) ? std::optional<qsizetype>(GetInteger(eiExif, 0xA005))
                                          : std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<TExifReader::Entry> TExifReader::FindEntry(TExifIfd ifd, int tag) const {
    const auto off = ifdOffset(ifd);
    return off ? entryIn(*off, tag) : std::nullopt;
}

std::uint32_t TExifReader::GetInteger(TExifIfd ifd, int tag) const {
    const auto e = FindEntry(ifd, tag);
    if (!e || !integral(e->type) || e->count == 0) return 0;
    platform::ByteCursor value = reader(e->value, bigEndian_);
    switch (typeSize(e->type)) {
        case 1:
            return value.u8();
        case 2:
            return value.u16();
        default:
            return value.u32();
    }
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> TExifReader::GetRationals(TExifIfd ifd,
                                                                               int tag) const {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
    const auto e = FindEntry(ifd, tag);
    if (!e || !rational(e->type)) return out;
    platform::ByteCursor value = reader(e->value, bigEndian_);
    for (std::uint32_t i = 0; i < e->count; ++i) {
        const std::uint32_t numerator = value.u32();
        out.emplace_back(numerator, value.u32());
    }
    return out;
}

std::pair<std::uint32_t, std::uint32_t> TExifReader::GetRational(TExifIfd ifd, int tag) const {
    const auto r = GetRationals(ifd, tag);
    return r.empty() ? std::pair<std::uint32_t, std::uint32_t>{0, 1} : r.front();
}

QString TExifReader::GetText(TExifIfd ifd, int tag) const {
    const auto e = FindEntry(ifd, tag);
    if (!e) return {};
    if (e->type == 2) {
        const qsizetype zero = e->value.indexOf('\0');
        return QString::fromLatin1(zero >= 0 ? e->value.first(zero) : e->value);
    }
    if (e->type == 7) return QString::fromLatin1(e->value);
    if (integral(e->type)) return QString::number(GetInteger(ifd, tag));
    if (rational(e->type)) {
        const auto r = GetRational(ifd, tag);
        return platform::format(QStringLiteral("%d/%d"), int(r.first), int(r.second));
    }
    return {};
}

QString TrimmedDecimal(double v) {
    QString s = QString::asprintf("%.2f", v);
    if (s.contains(u'.')) {
        while (s.endsWith(u'0')) s.chop(1);
        if (s.endsWith(u'.')) s.chop(1);
    }
    return s;
}

namespace {
QString dateText(QString s) {
    if (s.size() == 19 && s[4] == u':' && s[7] == u':') {
        s[4] = u'/';
        s[7] = u'/';
    }
    return s;
}
double ratio(std::pair<std::uint32_t, std::uint32_t> r) {
    return r.second ? double(std::int32_t(r.first)) / double(std::int32_t(r.second)) : 0.0;
}
// Exposures from about 1.4 s (half a stop above one second) are shown in seconds; a
// fraction 1/n would round n to 1 or 0.
constexpr double kLongExposure = 1.4;
QString seconds(double s) {
    return platform::format(QStringLiteral("%s秒"), TrimmedDecimal(s));
}
}  // namespace

QString ExifPhotoDate(const TExifReader& r) {
    return r.HasTag(eiIFD0, 306) ? dateText(r.GetText(eiIFD0, 306)) : QString();
}

QString ExifInformationText(const TExifReader& r, const QString& fileName) {
    QStringList lines{QStringLiteral("ファイル名:") + fileName};
    auto add = [&](QStringView label, TExifIfd ifd, int tag, auto value) {
        if (r.HasTag(ifd, tag)) lines << label.toString() + u':' + value();
    };
    add(u"Exifバージョン", eiExif, 0x9000, [&] {
        const QString t = r.GetText(eiExif, 0x9000);
        bool ok = false;
        t.toInt(&ok);
        return t.size() == 4 && ok
                   ? platform::format(QStringLiteral("%d.%s"), t.left(2).toInt(), t.right(2))
                   : t;
    });
    add(u"画像の説明", eiIFD0, 0x010E, [&] { return r.GetText(eiIFD0, 0x010E); });
    add(u"メーカー名", eiIFD0, 0x010F, [&] { return r.GetText(eiIFD0, 0x010F); });
    add(u"機種名", eiIFD0, 0x0110, [&] { return r.GetText(eiIFD0, 0x0110); });
    add(u"撮影日時", eiExif, 0x9003, [&] { return dateText(r.GetText(eiExif, 0x9003)); });
    add(msg::modifiedDateTime(), eiIFD0, 0x0132,
        [&] { return dateText(r.GetText(eiIFD0, 0x0132)); });
    add(u"露光時間", eiExif, 0x829A, [&] {
        const auto e = r.GetRational(eiExif, 0x829A);
        if (e.second == 0) return QString();
        if (ratio(e) >= kLongExposure) return seconds(ratio(e));
        return platform::format(QStringLiteral("%d/%d秒"), int(e.first), int(e.second));
    });
    add(u"シャッター速度", eiExif, 0x9201, [&] {
        const auto tv = r.GetRational(eiExif, 0x9201);
        if (tv.second == 0) return QString();
        const double exposure = std::pow(2.0, -ratio(tv));
        if (exposure >= kLongExposure) return seconds(exposure);
        if (!(1 / exposure < 1e9)) return QString();  // no camera is that fast: bad data
        return platform::format(QStringLiteral("1/%d秒"), int(std::lround(1 / exposure)));
    });
    auto fNumber = [&](int tag) {
        const auto av = r.GetRational(eiExif, tag);
        const double f = std::pow(std::sqrt(2.0), ratio(av));
        return av.second && std::isfinite(f) ? QStringLiteral("F") + TrimmedDecimal(f) : QString();
    };
    add(u"絞り値", eiExif, 0x9202, [&] { return fNumber(0x9202); });
    add(u"レンズ開放F値", eiExif, 0x9205, [&] { return fNumber(0x9205); });
    add(u"レンズ焦点距離", eiExif, 0x920A, [&] {
        const auto f = r.GetRational(eiExif, 0x920A);
        return f.second ? QString::asprintf("%.2fmm", ratio(f)) : QString();
    });
    add(u"フラッシュ", eiExif, 0x9209, [&] {
        return (r.GetInteger(eiExif, 0x9209) & 1) ? QStringLiteral("オン") : QStringLiteral("オフ");
    });
    add(u"画像幅", eiExif, 0xA002,
        [&] { return msg::pixelCount(int(r.GetInteger(eiExif, 0xA002))); });
    add(u"画像高", eiExif, 0xA003,
        [&] { return msg::pixelCount(int(r.GetInteger(eiExif, 0xA003))); });
    return lines.join(QStringLiteral("\r\n"));
}
