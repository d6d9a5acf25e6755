#include "imaging/metafile/MetafilePlayer.h"

#include "imaging/Messages.h"
#include "imaging/metafile/Players.h"
#include "platform/ByteCursor.h"
#include "platform/Exception.h"
#include "platform/canvas/Canvas.h"

namespace metafile {

namespace {
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
}  // namespace

Kind kindOf(QByteArrayView bytes) {
    const platform::ByteCursor c(bytes);
    if (c.hasAt(0, 88) && c.u32leAt(0) == 1 && c.u32leAt(40) == kEmfSignature) return Kind::Emf;
    if (c.hasAt(0, 22 + 18) && c.u32leAt(0) == kPlaceableKey) return Kind::Wmf;
    return Kind::None;
}

void countSkipped(PlayReport& report, const char* name, unsigned type) {
    const QString key =
        name ? QString::fromLatin1(name) : QStringLiteral("0x%1").arg(type, 4, 16, QChar(u'0'));
    ++report.skipped[key];
}

PlayReport play(QByteArrayView bytes, platform::Canvas& canvas, const TRect& rect) {
    const Kind kind = kindOf(bytes);
    if (kind == Kind::None) throw Exception(msg::invalidMetafile());
    platform::CanvasStateKeeper keep(canvas);
    const QRect dest = canvas.toDevice(rect).toQRect().normalized();
    canvas.setMapping(platform::Mapping{});
    if (dest.isEmpty()) return PlayReport{kind, 0, {}, false};
    return kind == Kind::Emf ? playEmf(bytes, canvas, dest) : playWmf(bytes, canvas, dest);
}

}  // namespace metafile
