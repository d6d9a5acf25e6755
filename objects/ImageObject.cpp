#include "objects/ImageObject.h"

#include "document/stream/PropertyBuilder.h"
#include "drawing/ObjectSetUtils.h"
#include "drawing/ObjectSite.h"
#include "imaging/AspectFit.h"
#include "imaging/QuadMap.h"
#include "objects/ImageComposite.h"
#include "platform/IntMath.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QScopeGuard>
#include <cstdlib>

VELLUMO_DEFINE_PERSISTENT(TLOImage)
VELLUMO_DEFINE_PERSISTENT(TLOWizardImage)

const EnumType& imageSourceType() {
    static const EnumType t{QStringLiteral("TImageSource"),
                            {QStringLiteral("isFile"), QStringLiteral("isOnePoint"),
                             QStringLiteral("isTwain"), QStringLiteral("isPlugin")}};
    return t;
}

TLOImage::TLOImage(TComponent* owner)
    : TLORectBase(owner),
      imageData_(std::make_unique<TImageData>()),
      frame_(std::make_unique<TPictureEx>()) {
    imageData_->Notify().AddListener(&Listener());
    frame_->Notify().AddListener(&Listener());
}

TLOImage::~TLOImage() {
    imageData_->Notify().RemoveListener(&Listener());
    frame_->Notify().RemoveListener(&Listener());
}

void TLOImage::DeclareProperties(PropertyBuilder<TLOImage>& p) {
    p.persistent("ImageData", &TLOImage::ImageData);
    p.persistent("FramePicture", &TLOImage::FramePicture);
    p.boolean("AlphaFrame", &TLOImage::AlphaFrame, &TLOImage::SetAlphaFrame).defaultValue(false);
    p.integer("Angle", &TLOImage::Angle, &TLOImage::SetAngle).noDefault();
    p.enumeration("ImageSource", &TLOImage::ImageSource, &TLOImage::SetImageSource,
                  imageSourceType())
        .noDefault();
    // The older form of the picture: read when present, never written. Reaching it marks
    // the picture touched, which AfterLoad looks at.
    p.persistent("Picture", [](const TLOImage& o) {
         o.pictureTouched_ = true;
         return o.imageData_->Picture();
     }).stored(false);
}

TPictureEx* TLOImage::Picture() {
    pictureTouched_ = true;
    return imageData_->Picture();
}

void TLOImage::SetPicture(const TPictureEx* picture) {
    pictureTouched_ = true;
    imageData_->SetPicture(picture);
}

void TLOImage::AfterLoad() {
    TLORectBase::AfterLoad();
    // Illustrations stored in the older form are transparent in the frame opening colour.
    if (pictureTouched_ && imageSource_ == isOnePoint)
        imageData_->SetTransparentColor(kFrameOpeningColor);
}

void TLOImage::SetAlphaFrame(bool value) {
    if (value == alphaFrame_) return;
    alphaFrame_ = value;
    contentChanged();
}

void TLOImage::SetAngle(int degrees) {
    if (degrees == rotator_.Angle()) return;
    Invalidate();
    rotator_.SetAngle(degrees);
    contentChanged();
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
}

void TLOImage::contentChanged() {
    discardComposite();
    Changed();
    Invalidate();
}

void TLOImage::Notify(TPersistent* sender, const QUuid& aspect) {
    if (aspect == asChanged && !building_ && (sender == imageData_.get() || sender == frame_.get()))
        contentChanged();
    TLORectBase::Notify(sender, aspect);
}

void TLOImage::SetLogBounds(const TRect& rect) {
    // A move keeps the composite; a new size needs one of the new aspect.
    const TRect old = LogBounds();
    if (std::abs(std::int64_t(rect.Right) - rect.Left) != std::int64_t(old.Right) - old.Left ||
        std::abs(std::int64_t(rect.Bottom) - rect.Top) != std::int64_t(old.Bottom) - old.Top)
        discardComposite();
    TLORectBase::SetLogBounds(rect);
}

TRect TLOImage::GetBounds() const {
    return RotatedBounds(LogBounds(), Angle());
}

int TLOImage::HitTest(QPoint logical) {
    return RotatedRectContains(LogBounds(), Angle(), logical) ? 1 : 0;
}

void TLOImage::SetEnclosingSize(int width, int height) {
    const QSize s = EnclosingToUnrotated(LogBounds(), Angle(), width, height);
    const TRect r = LogBounds();
    SetLogBounds({r.Left, r.Top, platform::wrapSum(r.Left, s.width()),
                  platform::wrapSum(r.Top, s.height())});
}

void TLOImage::DrawOutline(TCanvas& canvas) {
    const std::array<QPoint, 4> c = RotatedCorners(LogBounds(), Angle());
    canvas.polygon({c.begin(), c.end()});
}

void* TLOImage::QueryFacet(const QUuid& id) {
    if (id == IDORotate::FacetId()) return static_cast<IDORotate*>(this);
    if (id == IDOBlend::FacetId()) return static_cast<IDOBlend*>(this);
    return TLORectBase::QueryFacet(id);
}

const TSafetyBitmap* TLOImage::EnsureComposite() {
    if (composite_) return composite_.get();
    building_ = true;
    const auto done = qScopeGuard([this] { building_ = false; });
    const TPictureEx& processed = imageData_->ProcessedPicture();
    if (processed.Empty()) return nullptr;
    TImageCompositeInput in;
    in.Picture = processed.Graphic()->ToImage();
    if (const auto* bitmap = dynamic_cast<const TSafetyBitmap*>(processed.Graphic());
        bitmap && bitmap->Transparent())
        in.PictureMask = bitmap->Mask();
    if (!frame_->Empty()) in.Frame = frame_->Graphic()->ToImage();
    in.AlphaFrame = alphaFrame_;
    in.Angle = Angle();
    in.Aspect = {Width(), Height()};
    composite_ = BuildImageComposite(in);
    ++compositeBuilds_;
    return composite_.get();
}

void TLOImage::Paint() {
    if (imageData_->Picture()->Empty()) return;
    TCanvas& canvas = Canvas();
    if (Angle() % 360 == 0 && frame_->Empty()) {
        imageData_->ProcessedPicture().Draw(canvas, LogBounds());
        return;
    }
    if (const TSafetyBitmap* composite = EnsureComposite()) composite->Draw(canvas, GetBounds());
}

bool TLOImage::NeedsBlend() {
    const IDOBlend* blend = ::QueryFacet<IDOBlend>(this);
    if (!blend || imageData_->Picture()->Empty()) return false;
    return blend->BlendRatio() != 100 || blend->BlendShade() || (!frame_->Empty() && alphaFrame_);
}

void TLOImage::PaintAlphaMask(TAlphaMask& mask) {
    if (Angle() % 360 == 0 && frame_->Empty() && !imageData_->UsesTransparency()) {
        QImage opaque(1, 1, QImage::Format_Grayscale8);
        opaque.fill(255);
        DrawIntoAlphaMask(mask, LogBounds(), opaque, false, false);
    } else if (const TSafetyBitmap* composite = EnsureComposite()) {
        // Mask bit 1 (transparent) becomes 0, bit 0 becomes 255.
        if (compositeOpacity_.isNull())
            compositeOpacity_ = composite->Mask().convertToFormat(QImage::Format_Grayscale8);
        DrawIntoAlphaMask(mask, GetBounds(), compositeOpacity_, false, true);
    }
    if (!frame_->Empty() && alphaFrame_) {
        // The frame's grey levels limit the opacity, turned with the picture.
        if (frameOpacity_.isNull()) {
            QImage frame = frame_->Graphic()->ToImage().convertToFormat(QImage::Format_RGB32);
            if (Angle() % 360 != 0) {
                const TPictureEx& processed = imageData_->ProcessedPicture();
                const QSize size =
                    processed.Empty() ? frame.size() : QSize(processed.Width(), processed.Height());
                const QSize s = RotatedLayerSize(size, {Width(), Height()});
                frame = Rotate(frame, Angle(), qRgb(255, 255, 255), s.width(), s.height());
            }
            frameOpacity_ = frame.convertToFormat(QImage::Format_Grayscale8);
        }
        DrawIntoAlphaMask(mask, GetBounds(), frameOpacity_, true, false);
    }
}

QSize TLOImage::NaturalSize() {
    const TPictureEx& p = imageData_->ProcessedPicture();
    const QSize logical = InitialImageSize({p.Width(), p.Height()});
    if (!IsOnSite()) return logical;
    const int side = std::max(Width(), Height());
    const TRect fit = FitAspectInside(logical.width(), logical.height(), TRect{0, 0, side, side});
    return {fit.Width(), fit.Height()};
}

void TLOImage::FitToPicture() {
    const QSize s = NaturalSize();
    const TRect r = LogBounds();
    SetLogBounds({r.Left, r.Top, r.Left + s.width(), r.Top + s.height()});
}

bool TLOImage::PasteFromClipboard() {
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return false;
    // Translucent pixels are laid over white, as a bitmap shows them.
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    TPictureEx picture;
    picture.SetGraphic(std::make_unique<TSafetyBitmap>(std::move(opaque)));
    SetPicture(&picture);
    return true;
}

void TLOImage::AssignProperties(const TDrawObject& source) {
    TLORectBase::AssignProperties(source);
    const auto* other = dynamic_cast<const TLOImage*>(&source);
    if (!other) return;
    imageData_->Assign(*other->imageData_);
    SetAngle(other->Angle());
    imageSource_ = other->imageSource_;
    frame_->Assign(*other->frame_);
    SetAlphaFrame(other->alphaFrame_);
}

void TLOWizardImage::DeclareProperties(PropertyBuilder<TLOWizardImage>& p) {
    p.boolean("wizInputEnable", &TLOWizardImage::wizInputEnable,
              &TLOWizardImage::SetwizInputEnable);
    p.string("wizInputCaption", &TLOWizardImage::wizInputCaption,
             &TLOWizardImage::SetwizInputCaption);
}

void TLOWizardImage::AssignProperties(const TDrawObject& source) {
    TLOImage::AssignProperties(source);
    if (const auto* other = dynamic_cast<const TLOWizardImage*>(&source)) {
        wizInputEnable_ = other->wizInputEnable_;
        wizInputCaption_ = other->wizInputCaption_;
    }
}
