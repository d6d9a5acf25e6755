#include "drawing/DrawSite.h"

#include "document/stream/PropertyBuilder.h"
#include "drawing/DODesigner.h"
#include "drawing/DOList.h"
#include "drawing/DrawSiteHost.h"
#include "drawing/Ghost.h"
#include "platform/IntMath.h"

#include <QScopeGuard>
#include <algorithm>

VELLUMO_DEFINE_PERSISTENT(TDrawSite)

namespace {

constexpr TColor kWindowColor = TColor(0x80000005);  // clWindow

}  // namespace

TDrawSite::TDrawSite(TComponent* owner)
    : TComponent(owner),
      scaler_(std::make_unique<TScaler>()),
      color_(kWindowColor),
      screen_(1, 1, QImage::Format_RGB32),
      listener_(
          [this](TPersistent* sender, const QUuid& aspect) { objectNotify(sender, aspect); }) {
    screen_.fill(0xFFFFFFFF);
    platform::DeviceDescriptor screen;
    screen.dpiX = screen.dpiY = ScreenDPI();
    screenCanvas_ = std::make_unique<TCanvas>(screen_, screen);
    scaler_->OnChange = [this] {
        // A scale below 1 % would make the site vanish and every conversion divide by zero.
        if (scaler_->Scale() < 1) {
            scaler_->SetScale(1);  // comes back here
            return;
        }
        Rescale();
    };
}

TDrawSite::~TDrawSite() {
    destroying_ = true;
    // An operation running on this site ends with it, without reporting back.
    TGhostList& ghosts = TGhostList::Instance();
    if (ghosts.Running() && ghosts.Ghost(0)->Site == this) {
        ghosts.OnEnd = nullptr;
        ghosts.Cancel();
    }
    pivots_.clear();
    // The owned objects go while the site is whole; objects owned elsewhere only leave it.
    DestroyOwnedComponents();
    while (ControlCount() > 0) Controls(ControlCount() - 1)->SetParent(nullptr);
}

void TDrawSite::DeclareProperties(PropertyBuilder<TDrawSite>& p) {
    p.integer("LogWidth", &TDrawSite::LogWidth, &TDrawSite::SetLogWidth).noDefault();
    p.integer("LogHeight", &TDrawSite::LogHeight, &TDrawSite::SetLogHeight).noDefault();
    p.persistent("Scaler", &TDrawSite::ScalerObject);
    p.integer(
         "MoveCursor", [](const TDrawSite& s) { return int(s.moveCursor_); },
         [](TDrawSite& s, int32_t v) {
             s.moveCursor_ =
                 v >= 0 && v <= int(Qt::LastCursor) ? Qt::CursorShape(v) : Qt::ArrowCursor;
         })
        .defaultValue(0);
    p.boolean("Border", &TDrawSite::Border, &TDrawSite::SetBorder).defaultValue(true);
    p.color("Color", &TDrawSite::Color, &TDrawSite::SetColor).defaultValue(kWindowColor);
    p.boolean("DoubleBuffered", &TDrawSite::DoubleBuffered, &TDrawSite::SetDoubleBuffered)
        .defaultValue(false);
    p.method("OnPaint");
    p.method("OnPaintAfter");
    p.method("OnScalerChanged");
    p.method("OnClearGhost");
    p.method("OnModifyChanged");
    p.method("OnDrawToProgress");
}

// --- state ---

void TDrawSite::SetBorder(bool value) {
    if (value == border_) return;
    border_ = value;
    InvalidateRect({0, 0, Width(), Height()});
}

void TDrawSite::SetColor(TColor value) {
    if (value == color_) return;
    color_ = value;
    InvalidateRect({0, 0, Width(), Height()});
}

void TDrawSite::SetModified(bool value) {
    markHandlesDirty();
    if (value == modified_) return;
    modified_ = value;
    if (OnModifyChanged) OnModifyChanged(this);
}

void TDrawSite::markHandlesDirty() {
    if (destroying_) return;
    handlesDirty_ = true;
    if (host_) host_->SiteHandlesDirty();
}

void TDrawSite::SetHost(TDrawSiteHost* host) {
    host_ = host;
    resizeScreen();
}

void TDrawSite::SetClientSize(QSize size) {
    size = size.expandedTo({0, 0});
    if (size == clientSize_) return;
    clientSize_ = size;
    resizeScreen();
    if (host_) host_->SiteResized(size);
}

void TDrawSite::resizeScreen() {
    // Without a window the screen picture only carries the screen's resolution.
    const QSize want = host_ ? clientSize_.expandedTo({1, 1}) : QSize(1, 1);
    if (screen_.size() == want) return;
    screen_ = QImage(want, QImage::Format_RGB32);
    screen_.fill(0xFFFFFFFF);
    screenCanvas_->selectImage(screen_);
}

TCanvas& TDrawSite::Canvas() const {
    if (redirect_) return *redirect_;
    if (paintCanvas_) return *paintCanvas_;
    return *screenCanvas_;
}

// --- coordinates ---

QPoint TDrawSite::LogToDev(QPoint p) const {
    return scaler_->LogToDev(Canvas(), p);
}

QPoint TDrawSite::DevToLog(QPoint p) const {
    return scaler_->DevToLog(Canvas(), p);
}

TRect TDrawSite::LogRectToDev(const TRect& r) const {
    return scaler_->LogRectToDev(Canvas(), r);
}

TRect TDrawSite::LogClientRect() const {
    const QPoint p = DevToLog({Width(), Height()});
    return {0, 0, p.x(), p.y()};
}

TRect TDrawSite::VisibleClientRect() const {
    const TRect all{0, 0, Width(), Height()};
    if (!host_) return all;
    const TRect v = host_->SiteVisibleRect();
    const TRect r{std::max(v.Left, 0), std::max(v.Top, 0), std::min(v.Right, all.Right),
                  std::min(v.Bottom, all.Bottom)};
    return r.IsEmpty() ? all : r;
}

// --- objects ---

void TDrawSite::AddObject(TDrawObject& object) {
    object.SetParent(this);
    UpdateObjectBounds(object);
    object.BringToFrontInGroup();
    SetModified(true);
}

TDrawObject* TDrawSite::InsertObject(std::unique_ptr<TDrawObject> object) {
    TDrawObject* o = object.release();
    InsertComponent(o);
    AddObject(*o);
    return o;
}

void TDrawSite::UpdateObjectBounds(TDrawObject& object) {
    TRect r = LogRectToDev(object.GetBounds());
    ++r.Right;
    ++r.Bottom;
    object.SetBounds(r);
}

TDrawObject* TDrawSite::ObjectAt(QPoint logical) const {
    for (int i = ControlCount() - 1; i >= 0; --i)
        if (auto* o = dynamic_cast<TDrawObject*>(Controls(i)); o && o->HitTest(logical) != 0)
            return o;
    return nullptr;
}

void TDrawSite::CollectObjects(TDOList& list, bool selectedOnly) const {
    for (int i = ControlCount() - 1; i >= 0; --i)
        if (auto* o = dynamic_cast<TDrawObject*>(Controls(i));
            o && (!selectedOnly || o->Selected()))
            list.Add(o);
}

void TDrawSite::SelectAll(bool value) {
    TDOList list;
    CollectObjects(list, !value);
    for (int i = list.Count() - 1; i >= 0; --i) list[i]->SetSelected(value);
}

void TDrawSite::SelectInRect(const TRect& device) {
    TDOList list;
    CollectObjects(list, false);
    for (TDrawObject* o : list) {
        const TRect& r = o->BoundsRect();
        if (r.Left >= device.Left && r.Top >= device.Top && r.Right <= device.Right &&
            r.Bottom <= device.Bottom)
            o->SetSelected(true);
    }
}

void TDrawSite::SetLogSize(int width, int height) {
    if (width == logWidth_ && height == logHeight_) return;
    logWidth_ = width;
    logHeight_ = height;
    Rescale();
}

void TDrawSite::Rescale() {
    if (Reading() || paintingCopy_ || destroying_) return;
    const TRect device = LogRectToDev(TRect{0, 0, logWidth_, logHeight_});
    SetClientSize({device.Width(), device.Height()});
    const bool hidden = HideHandles();
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* o = dynamic_cast<TDrawObject*>(Controls(i))) UpdateObjectBounds(*o);
    InvalidateRect({0, 0, Width(), Height()});
    if (hidden) UpdateHandles();
    if (OnScalerChanged) OnScalerChanged(this);
}

void TDrawSite::DestroyOwnedComponents() {
    while (ComponentCount() > 0) delete Components(ComponentCount() - 1);  // each leaves the list
}

// --- handles ---

bool TDrawSite::HideHandles() {
    bool any = false;
    for (const auto& p : pivots_)
        if (p->Visible()) {
            p->SetVisible(false);
            any = true;
        }
    markHandlesDirty();
    return any;
}

void TDrawSite::FreeHandles() {
    if (pivots_.empty()) return;
    pivots_.clear();
    if (host_) host_->SiteUpdateNow();
    markHandlesDirty();
}

TPivot* TDrawSite::PlaceHandle(std::unique_ptr<TPivot> pivot, QPoint logical) {
    const int s = pivot->Size();
    const QPoint d = LogToDev(logical);
    const int left = d.x() - s / 2, top = d.y() - s / 2;
    pivot->SetBounds({left, top, left + s, top + s});
    pivot->SetParent(this);
    pivots_.push_back(std::move(pivot));
    return pivots_.back().get();
}

void TDrawSite::UpdateHandles() {
    if (!handlesDirty_ || captured_ || destroying_) return;
    FreeHandles();
    TDOList selected;
    CollectObjects(selected, true);
    for (int i = selected.Count() - 1; i >= 0; --i) selected[i]->CreatePivots();
    if (selected.Count() > 1)
        for (const auto& p : pivots_) p->SetCursor(Qt::ArrowCursor);
    handlesDirty_ = false;
}

// --- notifications ---

void TDrawSite::ControlInserted(TLightControl& control) {
    auto* o = dynamic_cast<TDrawObject*>(&control);
    if (!o) return;
    o->Notifier().AddListener(&listener_);
    if (Reading()) UpdateObjectBounds(*o);
    markHandlesDirty();
}

void TDrawSite::ControlRemoving(TLightControl& control) {
    auto* o = dynamic_cast<TDrawObject*>(&control);
    if (!o) return;
    if (o == pressed_.Get()) pressed_.Reset();
    o->Notifier().RemoveListener(&listener_);
    if (o->Selected()) broadcaster_.Broadcast(o, asSelection);
    markHandlesDirty();
}

void TDrawSite::objectNotify(TPersistent* sender, const QUuid& aspect) {
    broadcaster_.Broadcast(sender, aspect);
    if (aspect == asSelection || aspect == asMovable) markHandlesDirty();
}

void TDrawSite::InvalidateRect(const TRect& rect) {
    if (host_ && !paintingCopy_ && !rect.IsEmpty()) host_->SiteInvalidated(rect);
}

void TDrawSite::ReportPaintErrors(const std::vector<std::pair<TLightControl*, QString>>& errors) {
    if (OnPaintErrors) OnPaintErrors(this, errors);
}

// --- painting ---

void TDrawSite::callPrepared(const std::function<void(TDrawSite*)>& handler) {
    TCanvas& c = Canvas();
    TCanvasSaver saver(c, true);
    scaler_->PrepareCanvas(c);
    handler(this);
}

void TDrawSite::Paint() {
    TCanvas& c = Canvas();
    c.tools().pen = platform::Pen{};
    c.tools().brush = platform::Brush{platform::BrushStyle::Solid, color_, {}};
    if (!paintingCopy_ && color_ != clNone) c.fillRect({0, 0, Width(), Height()}, c.tools().brush);
    if (OnPaint) callPrepared(OnPaint);
}

void TDrawSite::paintControl(TCanvas& canvas) {
    TCanvas* const previous = paintCanvas_;
    paintCanvas_ = &canvas;
    const auto restore = qScopeGuard([&] { paintCanvas_ = previous; });
    Paint();
    PaintControls(canvas);
}

void TDrawSite::PaintWindow(const TRect& area) {
    TCanvas& dc = ScreenCanvas();
    const TRect r{std::max(area.Left, 0), std::max(area.Top, 0),
                  std::min(area.Right, screen_.width()), std::min(area.Bottom, screen_.height())};
    if (r.IsEmpty()) return;
    if (doubleBuffered_) {
        // The buffer starts as the screen shows the area, so that a site without a
        // background colour keeps what lies below it.
        QImage buffer = screen_.copy(r.toQRect());
        TCanvas bc(buffer, dc.device());
        CopyCanvasTools(bc, dc);
        bc.setWindowOrigin({r.Left, r.Top});
        paintControl(bc);
        TCanvasSaver saver(dc, true);
        dc.setMapping(platform::Mapping{});
        dc.selectClip(std::nullopt);
        dc.bitBlt(r, buffer, {0, 0});
    } else {
        TCanvasSaver saver(dc, true);
        dc.setMapping(platform::Mapping{});
        dc.selectClip(QRegion(r.toQRect()));
        paintControl(dc);
    }
    // Painted over the objects on the real picture, never through the buffer.
    TCanvasSaver saver(dc, true);
    dc.setMapping(platform::Mapping{});
    dc.selectClip(QRegion(r.toQRect()));
    TCanvas* const previous = paintCanvas_;
    paintCanvas_ = &dc;
    const auto restore = qScopeGuard([&] { paintCanvas_ = previous; });
    PaintAfter();
}

void TDrawSite::PaintAfter() {
    if (OnPaintAfter) callPrepared(OnPaintAfter);
    if (!border_) return;
    TCanvas& c = Canvas();
    TCanvasSaver saver(c, true);
    c.setMapMode(platform::MapMode::Text);
    c.tools().pen = platform::Pen{platform::PenStyle::Solid, 1, clBlack};
    c.tools().brush.style = platform::BrushStyle::Clear;
    c.rectangle({0, 0, Width(), Height()});
}

void TDrawSite::DrawToProgress(int index) {
    if (OnDrawToProgress) OnDrawToProgress(this, index);
}

void TDrawSite::PaintObjectTo(TDrawObject& object) {
    object.PaintTo(*redirect_);
}

void TDrawSite::DrawTo(TCanvas& canvas, QPoint offset, int scale) {
    scale = std::max(scale, 1);
    TCanvasSaver saver(canvas, true);
    TCanvas* const previousRedirect = redirect_;
    const bool previousCopy = paintingCopy_;
    const int previousScale = scaler_->Scale();
    CopyCanvasTools(canvas, *screenCanvas_);
    redirect_ = &canvas;
    paintingCopy_ = true;
    const auto restore = qScopeGuard([&] {
        scaler_->SetScale(previousScale);  // Rescale is still skipped here
        redirect_ = previousRedirect;
        paintingCopy_ = previousCopy;
    });
    platform::Mapping m = canvas.mapping();
    m.viewportOrigin += offset;
    canvas.setMapping(m);
    scaler_->SetScale(scale);
    scaler_->PrepareCanvas(canvas);
    if (OnPaint) {
        TCanvasSaver inner(canvas, true);
        OnPaint(this);
    }
    // A child may leave or join while painting: walk a copy and skip what has left.
    std::vector<TLightControl*> children;
    for (int i = 0; i < ControlCount(); ++i) children.push_back(Controls(i));
    for (size_t i = 0; i < children.size(); ++i) {
        TLightControl* c = children[i];
        if (IndexOfControl(c) >= 0 && c->Visible())
            if (auto* o = dynamic_cast<TDrawObject*>(c)) PaintObjectTo(*o);
        DrawToProgress(int(i));
    }
    PaintAfter();
}

int TDrawSite::ComputeFitScale(const TCanvas& canvas, const TRect& rect, bool fitHeight,
                               bool fitWidth) const {
    TScaler s;
    s.Assign(*scaler_);
    s.SetScale(100);
    const TRect d = s.LogRectToDev(canvas, TRect{0, 0, logWidth_, logHeight_});
    // An empty site fits at any scale: keep 100 rather than divide by zero.
    const int b = d.Width() > 0 ? platform::mulDiv(100, rect.Width(), d.Width()) : 100;
    const int c = d.Height() > 0 ? platform::mulDiv(100, rect.Height(), d.Height()) : 100;
    int result = 100;
    if (fitWidth && fitHeight)
        result = std::min(b, c);
    else if (fitWidth)
        result = b;
    else if (fitHeight)
        result = c;
    // A scale below 1 would make the site vanish and break every conversion.
    return std::max(result, 1);
}

// --- streaming ---

void TDrawSite::EnumStreamChildren(const std::function<void(TComponent&)>& proc) {
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* o = dynamic_cast<TDrawObject*>(Controls(i)); o && o->Owner() == this) proc(*o);
}

void TDrawSite::AfterLoad() {
    if (logWidth_ != 0 || logHeight_ != 0) {
        Rescale();
    } else {
        const QPoint p = DevToLog({Width(), Height()});
        logWidth_ = p.x();
        logHeight_ = p.y();
    }
    SetModified(false);
}

// --- designers and ghosts ---

bool TDrawSite::GhostsActive() const {
    return TGhostList::Instance().Active();
}

bool TDrawSite::DesignerCreatePivots(TDrawObject& object) {
    return TDODesignerList::Instance().CreatePivots(&object);
}

bool TDrawSite::DesignerBeginDrag(TDrawObject& object, int hitCode) {
    return TDODesignerList::Instance().BeginDrag(&object, hitCode);
}

bool TDrawSite::DesignerEditObject(TDrawObject& object) {
    return TDODesignerList::Instance().EditObject(&object);
}

void TDrawSite::ClearGhost() {
    if (OnClearGhost) OnClearGhost(this);
}
