#include "objects/AlphaMaskObject.h"

#include "document/stream/PropertyBuilder.h"
#include "drawing/ObjectSetUtils.h"
#include "drawing/ObjectSite.h"
#include "imaging/AspectFit.h"
#include "imaging/Blur.h"
#include "imaging/QuadMap.h"
#include "objects/RotatedRect.h"
#include "platform/IntMath.h"

#include <algorithm>

VELLUMO_DEFINE_PERSISTENT(TLOAlphaMask)

namespace {

QSize turnedSize(QSize object, QSize mask) {
    const std::int64_t w = std::max(object.width(), 1), h = std::max(object.height(), 1);
    const std::int64_t limit = 2 * std::int64_t(std::max({mask.width(), mask.height(), 1}));
    const std::int64_t longer = std::max(w, h);
    if (longer <= limit) return {int(w), int(h)};
    return {int(std::max<std::int64_t>(1, w * limit / longer)),
            int(std::max<std::int64_t>(1, h * limit / longer))};
}

}  // namespace

TLOAlphaMask::TLOAlphaMask(TComponent* owner)
    : TLORectBase(owner),
      fill_(std::make_unique<TColorSpec>()),
      picture_(std::make_unique<TPictureEx>()) {
    fill_->Notify().AddListener(&Listener());
    picture_->Notify().AddListener(&Listener());
}

TLOAlphaMask::~TLOAlphaMask() {
    fill_->Notify().RemoveListener(&Listener());
    picture_->Notify().RemoveListener(&Listener());
}

void TLOAlphaMask::DeclareProperties(PropertyBuilder<TLOAlphaMask>& p) {
    p.integer("Angle", &TLOAlphaMask::Angle, &TLOAlphaMask::SetAngle).defaultValue(0);
    p.persistent("FillColor", &TLOAlphaMask::FillColor);
    p.persistent("Picture", &TLOAlphaMask::Picture);
    p.integer("ShadeSize", &TLOAlphaMask::ShadeSize, &TLOAlphaMask::SetShadeSize).defaultValue(0);
}

void TLOAlphaMask::changedContent() {
    mask_ = QImage();
    Changed();
    Invalidate();
}

void TLOAlphaMask::SetAngle(int degrees) {
    if (degrees == angle_) return;
    Invalidate();
    angle_ = degrees;
    changedContent();
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
}

void TLOAlphaMask::SetShadeSize(int value) {
    value = std::clamp(value, 0, kMaxShadeSize);
    if (value == shadeSize_) return;
    shadeSize_ = value;
    changedContent();
}

void TLOAlphaMask::Notify(TPersistent* sender, const QUuid& aspect) {
    if (aspect == asChanged && (sender == picture_.get() || sender == fill_.get())) {
        if (sender == picture_.get()) mask_ = QImage();
        Changed();
        Invalidate();
    }
    TLORectBase::Notify(sender, aspect);
}

TRect TLOAlphaMask::GetBounds() const {
    return RotatedBounds(LogBounds(), angle_);
}

int TLOAlphaMask::HitTest(QPoint logical) {
    return RotatedRectContains(LogBounds(), angle_, logical) ? 1 : 0;
}

void TLOAlphaMask::SetEnclosingSize(int width, int height) {
    const QSize s = EnclosingToUnrotated(LogBounds(), angle_, width, height);
    const TRect r = LogBounds();
    SetLogBounds({r.Left, r.Top, platform::wrapSum(r.Left, s.width()),
                  platform::wrapSum(r.Top, s.height())});
}

void TLOAlphaMask::DrawOutline(TCanvas& canvas) {
    const std::array<QPoint, 4> c = RotatedCorners(LogBounds(), angle_);
    canvas.polygon({c.begin(), c.end()});
}

void* TLOAlphaMask::QueryFacet(const QUuid& id) {
    if (id == IDORotate::FacetId()) return static_cast<IDORotate*>(this);
    if (id == IDOBlend::FacetId()) return static_cast<IDOBlend*>(this);
    return TLORectBase::QueryFacet(id);
}

void TLOAlphaMask::Paint() {
    fill_->Fill(Canvas(), GetBounds());
}

bool TLOAlphaMask::NeedsBlend() {
    const IDOBlend* blend = ::QueryFacet<IDOBlend>(this);
    if (!blend) return false;
    if (blend->BlendRatio() == 100) return !picture_->Empty() || blend->BlendShade();
    return true;
}

const QImage& TLOAlphaMask::MaskImage() {
    // A turned mask has the object's size: a resize needs a new one.
    if (!mask_.isNull() && angle_ % 360 != 0 && maskFor_ != QSize(Width(), Height()))
        mask_ = QImage();
    if (!mask_.isNull() || picture_->Empty()) return mask_;
    maskFor_ = QSize(Width(), Height());
    const QImage picture =
        picture_->Graphic()->ToImage().convertToFormat(QImage::Format_Grayscale8);
    const int s = shadeSize_;
    QImage grey(picture.width() + 2 * s, picture.height() + 2 * s, QImage::Format_Grayscale8);
    grey.fill(0);
    for (int y = 0; y < picture.height(); ++y)
        std::copy_n(picture.constScanLine(y), picture.width(), grey.scanLine(y + s) + s);
    if (s != 0) Blur(grey, grey.rect(), s, s);
    if (angle_ % 360 != 0) {
        // Black around the turned mask: nothing shows outside it.
        // Turned onto the object's size, at no more than twice the mask's own resolution:
        // the result is stretched over the bounds anyway, and a stored size must not ask
        // for a bitmap of unbounded size.
        const QSize target = turnedSize({Width(), Height()}, grey.size());
        const QImage turned = Rotate(grey.convertToFormat(QImage::Format_RGB32), angle_,
                                     qRgb(0, 0, 0), target.width(), target.height());
        grey = turned.convertToFormat(QImage::Format_Grayscale8);
    }
    mask_ = grey;
    return mask_;
}

void TLOAlphaMask::PaintAlphaMask(TAlphaMask& mask) {
    if (picture_->Empty()) return;
    DrawIntoAlphaMask(mask, GetBounds(), MaskImage(), false, false);
}

QSize TLOAlphaMask::NaturalSize() {
    if (!IsOnSite())
        return picture_->Empty() ? QSize(300, 200)
                                 : InitialImageSize({picture_->Width(), picture_->Height()});
    if (picture_->Empty()) return {Width(), Height()};
    const QSize logical = InitialImageSize({picture_->Width(), picture_->Height()});
    const int side = std::max(Width(), Height());
    const TRect fit = FitAspectInside(logical.width(), logical.height(), TRect{0, 0, side, side});
    return {fit.Width(), fit.Height()};
}

void TLOAlphaMask::FitToPicture() {
    const QSize s = NaturalSize();
    const TRect r = LogBounds();
    SetLogBounds({r.Left, r.Top, r.Left + s.width(), r.Top + s.height()});
}

void TLOAlphaMask::AssignProperties(const TDrawObject& source) {
    TLORectBase::AssignProperties(source);
    const auto* other = dynamic_cast<const TLOAlphaMask*>(&source);
    if (!other) return;
    picture_->Assign(*other->picture_);
    fill_->Assign(*other->fill_);
    SetAngle(other->angle_);
    SetShadeSize(other->shadeSize_);
}
