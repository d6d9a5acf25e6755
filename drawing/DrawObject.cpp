#include "drawing/DrawObject.h"

#include "document/stream/PropertyBuilder.h"
#include "drawing/CoordMap.h"
#include "drawing/DrawObjectRef.h"
#include "drawing/FailureMarker.h"
#include "drawing/MemoryCanvas.h"
#include "drawing/ObjectSite.h"
#include "drawing/Scaler.h"
#include "imaging/AALine.h"
#include "imaging/Blend.h"
#include "platform/Exception.h"
#include "platform/MessageOf.h"

#include <QRegion>
#include <QScopeGuard>

VELLUMO_DEFINE_PERSISTENT(TDrawObject)

namespace {

constexpr TColor kBlue = 0xFF0000;
constexpr int kBlendMargin = 5;  // logical units around the clip box, as CreateImage uses


// The part of `canvas` that can be painted, in its pixels.
QRegion paintableRegion(const TCanvas& canvas) {
    return canvas.clipRegion().value_or(QRegion(canvas.image().rect()));
}

// True when some part of the logical rectangle lies inside the canvas's clip region.
bool rectVisible(const TCanvas& canvas, const TRect& logical) {
    TRect d = canvas.toDevice(logical);
    // A line-thin rectangle still covers the pixels it runs through.
    if (d.Right <= d.Left) d.Right = d.Left + 1;
    if (d.Bottom <= d.Top) d.Bottom = d.Top + 1;
    return paintableRegion(canvas).intersects(d.toQRect());
}

// The mapping that takes the canvas's logical units to a picture whose top-left pixel is
// the logical point `topLeft`, as an offscreen bitmap for that part of the canvas has it.
platform::Mapping partMapping(const TCanvas& canvas, QPoint topLeft) {
    const platform::Mapping& src = canvas.mapping();
    platform::Mapping m;
    m.mode = src.mode;
    if (m.mode != platform::MapMode::Text) {
        m.windowExtent = src.windowExtent;
        m.viewportExtent = src.viewportExtent;
    }
    const QPoint shift = topLeft == QPoint(0, 0) ? QPoint(0, 0) : m.toDevice(topLeft);
    m.viewportOrigin = -shift;
    return m;
}

}  // namespace

TDrawObject::TDrawObject(TComponent* owner)
    : TLightControl(owner),
      appendix_(std::make_unique<TNotifyStringList>()),
      notifier_(std::make_unique<TChangeNotify>(this, [this] { Modified(); })),
      listener_(std::make_unique<TListener>(
          [this](TPersistent* sender, const QUuid& aspect) { Notify(sender, aspect); })) {
    // Inside an update bracket (an assignment) the lines join the one change reported at
    // its end; otherwise they are a modification of their own.
    appendix_->OnChange = [this] {
        if (notifier_->UpdateCount() > 0)
            notifier_->Changed();
        else
            Modified();
    };
}

TDrawObject::~TDrawObject() {
    if (life_) life_->object = nullptr;
    // The site still sees a whole draw object while it lets it go.
    LeaveParent();
    listener_.reset();
    notifier_.reset();
    appendix_.reset();
}

void TDrawObject::DeclareProperties(PropertyBuilder<TDrawObject>& p) {
    // The control rectangle follows from the logical bounds: published, never stored.
    p.integer(
         "Left", [](const TDrawObject& o) { return o.ControlLeft(); },
         [](TDrawObject& o, int32_t v) {
             const TRect r = o.BoundsRect();
             o.SetBounds({v, r.Top, v + r.Width(), r.Bottom});
         })
        .stored(false);
    p.integer(
         "Top", [](const TDrawObject& o) { return o.ControlTop(); },
         [](TDrawObject& o, int32_t v) {
             const TRect r = o.BoundsRect();
             o.SetBounds({r.Left, v, r.Right, v + r.Height()});
         })
        .stored(false);
    p.integer(
         "Width", [](const TDrawObject& o) { return o.ControlWidth(); },
         [](TDrawObject& o, int32_t v) {
             const TRect r = o.BoundsRect();
             o.SetBounds({r.Left, r.Top, r.Left + v, r.Bottom});
         })
        .stored(false);
    p.integer(
         "Height", [](const TDrawObject& o) { return o.ControlHeight(); },
         [](TDrawObject& o, int32_t v) {
             const TRect r = o.BoundsRect();
             o.SetBounds({r.Left, r.Top, r.Right, r.Top + v});
         })
        .stored(false);
    p.boolean("Border", &TDrawObject::Border, &TDrawObject::SetBorder);
    p.reference("PopupMenu", &TDrawObject::PopupMenu, &TDrawObject::SetPopupMenu);
    p.boolean("Movable", &TDrawObject::Movable, &TDrawObject::SetMovable).defaultValue(true);
    p.boolean("Selectable", &TDrawObject::Selectable, &TDrawObject::SetSelectable)
        .defaultValue(true);
    p.integer("LayerGroup", &TDrawObject::LayerGroup, &TDrawObject::SetLayerGroup);
    p.method("OnModify");
    p.persistent("Appendix", &TDrawObject::Appendix);
}

// --- state ---

void TDrawObject::SetBorder(bool value) {
    if (value == border_) return;
    border_ = value;
    Invalidate();
    Changed();
}

void TDrawObject::SetSelectable(bool value) {
    if (value == selectable_) return;
    selectable_ = value;
    if (!value && selected_) SetSelected(false);
    Changed();
}

void TDrawObject::SetLayerGroup(int value) {
    if (value == layerGroup_) return;
    layerGroup_ = value;
    Changed();
}

void TDrawObject::SetAppendix(const TStrings* lines) {
    if (lines)
        appendix_->Assign(*lines);
    else
        appendix_->Clear();
}

void TDrawObject::SetSelected(bool value) {
    if (value && !selectable_) return;
    selected_ = value;
    notifier_->Broadcast(this, asSelection);
}

void TDrawObject::SetMovable(bool value) {
    if (value == movable_) return;
    movable_ = value;
    notifier_->Broadcast(this, asMovable);
}

void TDrawObject::Changed() {
    notifier_->Changed();
}

void TDrawObject::Modified() {
    if (TObjectSite* site = Site()) site->SetModified(true);
    if (OnModify) OnModify(this);
}

void TDrawObject::Notify(TPersistent*, const QUuid&) {}

TObjectSite* TDrawObject::Site() const {
    return dynamic_cast<TObjectSite*>(Parent());
}

TCanvas& TDrawObject::Canvas() const {
    if (redirect_) return *redirect_;
    if (paintCanvas_) return *paintCanvas_;
    throw Exception(QStringLiteral("キャンバスに描画できません"));
}

std::shared_ptr<const TDrawObjectLife> TDrawObject::Life() const {
    if (!life_)
        life_ = std::make_shared<TDrawObjectLife>(TDrawObjectLife{const_cast<TDrawObject*>(this)});
    return life_;
}

void* TDrawObject::QueryFacet(const QUuid&) {
    return nullptr;
}

// --- assignment ---

void TDrawObject::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TDrawObject*>(&source);
    TUpdateBracket update(*notifier_);
    if (!other)
        TLightControl::Assign(source);
    else if (other != this)
        AssignProperties(*other);
}

void TDrawObject::AssignProperties(const TDrawObject& source) {
    SetBorder(source.border_);
    SetSelected(source.selected_);
    appendix_->Assign(*source.appendix_);
}

// --- painting ---

bool TDrawObject::NeedsBlend() {
    const IDOBlend* blend = ::QueryFacet<IDOBlend>(this);
    return blend && (blend->BlendRatio() != 100 || blend->BlendShade());
}

void TDrawObject::PaintContent() {
    TCanvas& canvas = Canvas();
    if (NeedsBlend() && HasDIBSection(canvas)) {
        const IDOBlend* blend = ::QueryFacet<IDOBlend>(this);
        bool done = false;
        paintBlended(canvas, blend ? blend->BlendRatio() : 100, done);
        if (done) return;
    }
    Paint();
}

void TDrawObject::paintBlended(TCanvas& target, int ratio, bool& done) {
    TRect clip = target.clipBox();
    clip = {clip.Left - kBlendMargin, clip.Top - kBlendMargin, clip.Right + kBlendMargin,
            clip.Bottom + kBlendMargin};
    const TRect bounds = GetBounds();
    const TRect visible{std::max(clip.Left, bounds.Left), std::max(clip.Top, bounds.Top),
                        std::min(clip.Right, bounds.Right), std::min(clip.Bottom, bounds.Bottom)};
    if (visible.IsEmpty()) {
        done = true;  // nothing of the object can show
        return;
    }
    const TRect device = target.toDevice(visible);

    TAlphaMask mask;
    mask.Image =
        QImage(std::max(1, device.Width()), std::max(1, device.Height()), QImage::Format_Indexed8);
    mask.Image.setColorTable(GreyPalette());
    mask.Image.fill(0);
    mask.Mapping = partMapping(target, {visible.Left, visible.Top});
    mask.LogicalRect = visible;
    PaintAlphaMask(mask);
    // The blend writes straight into the target's picture: keep it inside the clip region
    // as every other painting is.
    if (target.clipRegion()) {
        const QRegion outside =
            QRegion(mask.Image.rect()) - target.clipRegion()->translated(-device.Left, -device.Top);
        for (const QRect& r : outside)
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::fill_n(mask.Image.scanLine(y) + r.left(), r.width(), uchar(0));
    }

    const std::unique_ptr<TOffscreenBitmap> image = CreateImage();
    TCoordMap::ResetMapping(image->Canvas());

    TBitmapRelatedDC related(target);
    if (!related.IsValid() || image->Image.size() != mask.Image.size()) return;
    TGRBlendAlphaMapRatio blender;
    blender.Dest = &related.Bitmap();
    blender.DestRect = image->DeviceRect.toQRect();
    blender.Source = &image->Image;
    blender.SourceRect = image->Image.rect();
    blender.AlphaMap = &mask.Image;
    blender.AlphaRect = mask.Image.rect();
    blender.Ratio = ratio;
    if (!blender.CanExecute()) return;
    blender.Execute();
    done = true;
}

void TDrawObject::PaintAlphaMask(TAlphaMask& mask) {
    mask.Image.fill(255);
}

std::unique_ptr<TOffscreenBitmap> TDrawObject::CreateImage() {
    std::unique_ptr<TOffscreenBitmap> bitmap =
        CreateOffscreenBitmap(Canvas(), GetBounds(), kBlendMargin, false);
    TCanvas* const previous = redirect_;
    redirect_ = &bitmap->Canvas();
    {
        const auto restore = qScopeGuard([&] { redirect_ = previous; });
        Paint();
    }
    TCoordMap::ResetMapping(bitmap->Canvas());
    return bitmap;
}

void TDrawObject::PaintTo(TCanvas& canvas) {
    if (!rectVisible(canvas, GetBounds())) return;
    TCanvasSaver saver(canvas, true);
    TCanvas* const previous = redirect_;
    const bool wasCopy = paintingCopy_;
    redirect_ = &canvas;
    paintingCopy_ = true;
    const auto restore = qScopeGuard([&] {
        redirect_ = previous;
        paintingCopy_ = wasCopy;
    });
    // The object starts with fresh tools of its own, as on screen.
    canvas.tools().pen = platform::Pen{};
    canvas.tools().brush = platform::Brush{};
    canvas.intersectClipRect(GetBounds());
    PaintContent();
}

std::optional<QString> TDrawObject::PaintControl(TCanvas& canvas) {
    TCanvas* const previous = paintCanvas_;
    paintCanvas_ = &canvas;
    const auto detach = qScopeGuard([&] { paintCanvas_ = previous; });
    const TRect r = BoundsRect();
    if (paintFailed_) {
        DrawPaintFailureMarker(canvas, r);
        return std::nullopt;
    }
    paintFailed_ = true;
    std::optional<QString> error;
    try {
        TCanvasSaver saver(canvas, true);
        canvas.tools().pen = platform::Pen{};
        canvas.tools().brush = platform::Brush{};
        if (border_) {
            canvas.tools().pen = platform::Pen{platform::PenStyle::Solid, 1, kBlue};
            canvas.tools().brush.style = platform::BrushStyle::Clear;
            canvas.rectangle(r);
            canvas.tools().pen = platform::Pen{};
            canvas.tools().brush = platform::Brush{};
        }
        if (TObjectSite* site = Site()) site->Scaler().PrepareCanvas(canvas);
        PaintContent();
        paintFailed_ = false;
    } catch (const std::exception& e) {
        error = MessageOf(e);
    } catch (...) {
        error = PaintFailedCaption();
    }
    // A failed object shows its marker from the next paint on; the error goes to the
    // container, which reports it once painting is over.
    if (error) Invalidate();
    return error;
}

// --- input ---

int TDrawObject::ControlHitTest(QPoint pos) {
    const TObjectSite* site = Site();
    const QPoint logical = site ? site->DevToLog(pos) : pos;
    return HitTest(logical) & 0x7F;
}

void TDrawObject::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos,
                            bool doubleClick) {
    if (doubleClick) return;
    if (TObjectSite* site = Site())
        site->ObjectMouseDown(*this, button, shift, pos + QPoint(ControlLeft(), ControlTop()), -1);
}

// --- z-order ---

void TDrawObject::BringToFrontInGroup() {
    TObjectSite* site = Site();
    if (!site) {
        BringToFront();
        return;
    }
    const int current = std::max(0, site->IndexOfControl(this));
    int target = current;
    for (int i = 0; i < site->ControlCount(); ++i) {
        const auto* other = dynamic_cast<const TDrawObject*>(site->Controls(i));
        if (!other) continue;
        if (other->layerGroup_ > layerGroup_) {
            target = current < i ? i - 1 : i;
            break;
        }
        target = i;
    }
    if (target != current) {
        site->MoveControl(this, target);
        Changed();
    }
}

void TDrawObject::SendToBackInGroup() {
    TObjectSite* site = Site();
    if (!site) {
        SendToBack();
        return;
    }
    const int current = std::max(0, site->IndexOfControl(this));
    int target = 0;
    for (int i = site->ControlCount() - 1; i >= 0; --i) {
        const auto* other = dynamic_cast<const TDrawObject*>(site->Controls(i));
        if (other && other->layerGroup_ < layerGroup_) {
            target = i + 1;
            if (current < target) --target;
            break;
        }
    }
    if (target != current) {
        site->MoveControl(this, target);
        Changed();
    }
}
