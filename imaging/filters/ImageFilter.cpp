#include "imaging/filters/ImageFilter.h"

#include "document/stream/PropertyBuilder.h"
#include "document/stream/Reader.h"
#include "document/stream/Writer.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"

VELLUMO_DEFINE_PERSISTENT(TImageFilter)
VELLUMO_DEFINE_PERSISTENT(TClipFilter)

TImageFilter::TImageFilter() : notify_(this) {}
TImageFilter::~TImageFilter() = default;

void TImageFilter::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TImageFilter*>(&source);
    if (!other || &other->ClassType() != &ClassType()) return TPersistent::Assign(source);
    if (other == this) return;
    TUpdateBracket update(notify_);
    AssignSettings(*other);
}

void TImageFilter::AssignSettings(const TImageFilter&) {}

void TClipFilter::DefineCustomProperties(TFiler& filer) {
    TImageFilter::DefineCustomProperties(filer);
    filer.DefineValueProperty(
        QStringLiteral("ClipRect"),
        [this](TReader& r) {
            r.ReadListBegin();
            int v[4] = {0, 0, 0, 0};
            int n = 0;
            while (!r.EndOfList()) {
                const int value = r.ReadInteger();
                if (n < 4) v[n] = value;
                ++n;
            }
            r.ReadListEnd();
            SetClipRect(TRect{v[0], v[1], v[2], v[3]});
        },
        [this](TWriter& w) {
            w.WriteListBegin();
            for (int v : {clipRect_.Left, clipRect_.Top, clipRect_.Right, clipRect_.Bottom})
                w.WriteInteger(v);
            w.WriteListEnd();
        },
        !clipRect_.IsEmpty());
}

void TClipFilter::AssignSettings(const TImageFilter& source) {
    TImageFilter::AssignSettings(source);
    SetClipRect(static_cast<const TClipFilter&>(source).clipRect_);
}

TRect TClipFilter::EffectiveRect(int width, int height) const {
    const TRect whole{0, 0, std::max(width, 0), std::max(height, 0)};
    if (clipRect_.IsEmpty()) return whole;
    const TRect r{std::max(clipRect_.Left, 0), std::max(clipRect_.Top, 0),
                  std::min(clipRect_.Right, whole.Right), std::min(clipRect_.Bottom, whole.Bottom)};
    return r.IsEmpty() ? whole : r;
}

bool TClipFilter::IsEffective() const {
    return !clipRect_.IsEmpty();
}

bool TClipFilter::IsEffectiveFor(const TPictureEx& picture) const {
    return !clipRect_.IsEmpty() && clipRect_ != TRect{0, 0, picture.Width(), picture.Height()};
}

void TClipFilter::Apply(const TPictureEx& source, TPictureEx& destination, TRect& rect) {
    const TRect r = EffectiveRect(source.Width(), source.Height());
    rect = {0, 0, r.Width(), r.Height()};
    if (source.Empty() || r == TRect{0, 0, source.Width(), source.Height()} ||
        !source.IsBitmapLike()) {
        // Nothing to cut, or a kind whose cutting belongs to its own class.
        destination.Assign(source);
        rect = {0, 0, source.Width(), source.Height()};
        return;
    }
    const QImage pixels = source.Graphic()->ToImage();
    auto bitmap = std::make_unique<TSafetyBitmap>(pixels.copy(r.toQRect()));
    destination.SetGraphic(std::move(bitmap));
}
