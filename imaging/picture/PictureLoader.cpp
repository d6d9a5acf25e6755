#include "imaging/picture/PictureLoader.h"

#include "imaging/Messages.h"
#include "imaging/Resample.h"
#include "imaging/codecs/Jpeg.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"
#include "platform/Exception.h"

#include <QFileInfo>
#include <atomic>
#include <climits>
#include <new>

namespace {
std::atomic<int> g_loadLimit{INT_MAX};

std::int64_t mulDiv(std::int64_t a, std::int64_t b, std::int64_t c) {
    return c == 0 ? 0 : (a * b + c / 2) / c;
}
}  // namespace

int PictureLoadLimit() {
    return g_loadLimit;
}
void SetPictureLoadLimit(int limit) {
    g_loadLimit = limit > 0 ? limit : INT_MAX;
}

QSize FitInsideSquare(QSize size, int limit) {
    if (size.width() <= 0 || size.height() <= 0 || limit <= 0) return {};
    std::int64_t w = mulDiv(size.width(), limit, size.height()), h = limit;
    if (w > limit) {
        h = mulDiv(size.height(), limit, size.width());
        w = limit;
    }
    return QSize(int(std::max<std::int64_t>(1, w)), int(std::max<std::int64_t>(1, h)));
}

void Downscale(TPictureEx& picture, int limit) {
    if (picture.Empty()) return;
    const QSize target = FitInsideSquare(QSize(picture.Width(), picture.Height()), limit);
    if (target.isEmpty()) return;
    QImage source;
    if (picture.IsJpeg()) {
        const auto& jpeg = static_cast<const TSafetyJPEGImage&>(*picture.Graphic());
        const int t = std::max(target.width(), target.height());
        const int s = std::max(jpeg.FullWidth(), jpeg.FullHeight());
        source = codecs::DecodeJpeg(jpeg.Bytes(), codecs::JpegScaleFor(s, t));
    } else {
        source = picture.Graphic()->ToImage();
    }
    source = source.convertToFormat(QImage::Format_BGR888);
    QImage result(target, QImage::Format_BGR888);
    if (result.isNull()) throw std::bad_alloc();
    Resample(result, source, rfLinear);
    picture.SetGraphic(std::make_unique<TSafetyBitmap>(std::move(result)));
}

void LoadPicture(TPictureEx& dest, const QString& path) {
    try {
        TPictureEx temp;
        temp.LoadFromFile(path);
        temp.SetImageID(QFileInfo(path).absoluteFilePath());
        const int limit = PictureLoadLimit();
        if (temp.Width() > limit || temp.Height() > limit) {
            const bool exif =
                temp.IsJpeg() && static_cast<const TSafetyJPEGImage*>(temp.Graphic())->HasExif();
            if (!exif) Downscale(temp, limit);
        }
        if (!temp.Empty()) dest.Assign(temp);
    } catch (const Exception&) {
        throw Exception(msg::pictureLoadFailed());
    } catch (const std::bad_alloc&) {
        throw Exception(msg::pictureLoadFailed());
    }
}
