#include "tests/colormatch/KvrPhotos.h"

#include <jpeglib.h>
#include <lcms2.h>
#include <tiffio.h>
#include <QFile>
#include <QtEndian>
#include <cstdio>
#include <cstdlib>

namespace {

QByteArray save(cmsHPROFILE p) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    QByteArray bytes(qsizetype(size), '\0');
    cmsSaveProfileToMem(p, bytes.data(), &size);
    cmsCloseProfile(p);
    return bytes;
}

void put16(QByteArray& b, quint16 v) {
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
void put32(QByteArray& b, quint32 v) {
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}
struct Entry {
    quint16 tag, type;
    quint32 count, value;
};
// An IFD at the end of `tiff`; values fit the entries (4 bytes or less).
void ifd(QByteArray& tiff, const std::vector<Entry>& entries) {
    put16(tiff, quint16(entries.size()));
    for (const Entry& e : entries) {
        put16(tiff, e.tag);
        put16(tiff, e.type);
        put32(tiff, e.count);
        put32(tiff, e.value);
    }
    put32(tiff, 0);
}

}  // namespace

QByteArray AdobeRgbProfile() {
    const cmsCIExyY d65{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* g = cmsBuildGamma(nullptr, 2.19921875);
    cmsToneCurve* curves[3] = {g, g, g};
    cmsHPROFILE p = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(g);
    cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(mlu, "en", "US", "Test Adobe RGB (1998)");
    cmsWriteTag(p, cmsSigProfileDescriptionTag, mlu);
    cmsMLUfree(mlu);
    return save(p);
}

QByteArray SrgbProfile() {
    return save(cmsCreate_sRGBProfile());
}

QByteArray ExifSegment(const ExifFields& f) {
    // Header, IFD0 (one entry) at 8, the Exif IFD at 26, the Interop IFD after it.
    std::vector<Entry> exif{{0x9000, 7, 4, qFromLittleEndian<quint32>("0230")}};
    if (f.colourSpace >= 0) exif.push_back({0xA001, 3, 1, quint32(f.colourSpace)});
    if (f.contrast >= 0) exif.push_back({0xA408, 3, 1, quint32(f.contrast)});
    if (f.saturation >= 0) exif.push_back({0xA409, 3, 1, quint32(f.saturation)});
    const quint32 exifAt = 26, interopAt = exifAt + 2 + 12 * quint32(exif.size() + 1) + 4;
    if (f.interopR03) exif.push_back({0xA005, 4, 1, interopAt});
    QByteArray tiff("II*\0", 4);
    put32(tiff, 8);
    ifd(tiff, {{0x8769, 4, 1, exifAt}});
    ifd(tiff, exif);
    if (f.interopR03) {
        while (quint32(tiff.size()) < interopAt) tiff.append('\0');
        ifd(tiff, {{0x0001, 2, 4, qFromLittleEndian<quint32>("R03")}});
    }
    return QByteArray("Exif\0\0", 6) + tiff;
}

QImage TestPixels(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, qRgb(255 * x / (width - 1), 255 * y / (height - 1), (x + y) % 2 ? 40 : 220));
    return image;
}

QByteArray MakeJpeg(const QImage& source, const QByteArray& icc, const QByteArray& exif,
                    int quality) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(image.width());
    c.image_height = JDIMENSION(image.height());
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    if (!exif.isEmpty())
        jpeg_write_marker(&c, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.constData()),
                          unsigned(exif.size()));
    if (!icc.isEmpty())
        jpeg_write_icc_profile(&c, reinterpret_cast<const JOCTET*>(icc.constData()),
                               unsigned(icc.size()));
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<uchar*>(image.constScanLine(int(c.next_scanline)));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

QImage DecodeJpegFile(const QString& path) {
    std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!f) return {};
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, f);
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    QImage image(int(d.output_width), int(d.output_height), QImage::Format_RGB888);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = image.scanLine(int(d.output_scanline));
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    std::fclose(f);
    return image;
}

double MeanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    if (x.size() != y.size() || x.isNull()) return 1e9;
    double sum = 0;
    for (int r = 0; r < x.height(); ++r) {
        const uchar* p = x.constScanLine(r);
        const uchar* q = y.constScanLine(r);
        for (int i = 0; i < 3 * x.width(); ++i) sum += std::abs(int(p[i]) - int(q[i]));
    }
    return sum / (3.0 * x.width() * x.height());
}

bool WriteTiff(const QString& path, const QImage& source, const QByteArray& icc, bool bottomUp) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tiff) return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(image.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(image.height()));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 4);
    if (bottomUp) TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_BOTLEFT);
    if (!icc.isEmpty())
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, uint32_t(icc.size()), icc.constData());
    bool ok = true;
    for (int y = 0; y < image.height() && ok; ++y)
        ok = TIFFWriteScanline(tiff, const_cast<uchar*>(image.constScanLine(y)), uint32_t(y), 0) ==
             1;
    TIFFClose(tiff);
    return ok;
}
