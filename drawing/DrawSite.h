#pragma once
// TDrawSite: the surface the draw objects of one face live on. It holds the objects as its
// controls in z-order, converts between its pixels and logical units through its scaler,
// paints them on its screen picture (optionally through a double buffer) and on any other
// canvas at any scale (DrawTo), keeps the selection with its handles, re-broadcasts the
// objects' notifications and turns mouse and keyboard input into interactive operations.
// It needs no window: a widget shows it through TDrawSiteHost; printing and previews use it
// as it is.

#include "document/Notify.h"
#include "document/stream/Component.h"
#include "drawing/DrawObjectRef.h"
#include "drawing/ObjectSite.h"
#include "drawing/Pivot.h"
#include "drawing/Scaler.h"

#include <QImage>
#include <functional>
#include <memory>
#include <vector>

class TDOList;
class TDrawSiteHost;

class TDrawSite : public TComponent, public TObjectSite {
    VELLUMO_PERSISTENT(TDrawSite, TComponent)
public:
    explicit TDrawSite(TComponent* owner = nullptr);
    ~TDrawSite() override;

    static void DeclareProperties(PropertyBuilder<TDrawSite>& p);

    // --- published state ---
    int LogWidth() const { return logWidth_; }
    void SetLogWidth(int value) { SetLogSize(value, logHeight_); }
    int LogHeight() const { return logHeight_; }
    void SetLogHeight(int value) { SetLogSize(logWidth_, value); }
    // Its Scale never stays below 1.
    TScaler& Scaler() { return *scaler_; }
    const TScaler& Scaler() const override { return *scaler_; }
    TScaler* ScalerObject() const { return scaler_.get(); }
    // Copies Scale and UnitDPI.
    void SetScaler(const TScaler& value) { scaler_->Assign(value); }
    Qt::CursorShape MoveCursor() const { return moveCursor_; }
    void SetMoveCursor(Qt::CursorShape cursor) { moveCursor_ = cursor; }
    bool Border() const { return border_; }
    void SetBorder(bool value);
    // clNone leaves the background unpainted.
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    const QString& Hint() const { return hint_; }
    void SetHint(const QString& hint) { hint_ = hint; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value) { showHint_ = value; }

    // --- events ---
    std::function<void(TDrawSite*)> OnPaint;       // background, canvas in logical units
    std::function<void(TDrawSite*)> OnPaintAfter;  // over the objects, logical units
    std::function<void(TDrawSite*)> OnScalerChanged;
    std::function<void(TDrawSite*)> OnClearGhost;
    std::function<void(TDrawSite*)> OnModifyChanged;
    std::function<void(TDrawSite*, int index)> OnDrawToProgress;
    std::function<void(TDrawSite*)> OnClick;
    std::function<void(TDrawSite*)> OnDblClick;
    // A handler may set the key to 0 to consume it.
    std::function<void(TDrawSite*, int& key, Qt::KeyboardModifiers)> OnKeyDown;
    std::function<void(TDrawSite*, int& key, Qt::KeyboardModifiers)> OnKeyUp;
    std::function<void(TDrawSite*, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)> OnMouseDown;
    std::function<void(TDrawSite*, Qt::KeyboardModifiers, QPoint)> OnMouseMove;
    std::function<void(TDrawSite*, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)> OnMouseUp;
    // Errors that objects contained while painting on screen, reported once the objects are
    // painted but still inside the paint: a handler that shows a dialog defers it.
    std::function<void(TDrawSite*, const std::vector<std::pair<TLightControl*, QString>>&)>
        OnPaintErrors;

    // --- the control ---
    QPoint Position() const { return position_; }
    void SetPosition(QPoint p) { position_ = p; }
    QSize ClientSize() const { return clientSize_; }
    int Width() const { return clientSize_.width(); }
    int Height() const { return clientSize_.height(); }
    // Sets the pixel size directly (a site whose logical size follows its pixels).
    void SetClientSize(QSize size);
    TDrawSiteHost* Host() const { return host_; }
    // A site with a host is shown in a window and keeps a screen picture of its size.
    void SetHost(TDrawSiteHost* host);
    bool HasWindow() const { return host_ != nullptr; }
    // The picture the site shows; its canvas addresses the control's pixels.
    QImage& Screen() { return screen_; }
    TCanvas& ScreenCanvas() { return *screenCanvas_; }
    // The canvas painting goes to now: the redirect canvas during DrawTo, the canvas of
    // the screen paint in progress, else the screen canvas.
    TCanvas& Canvas() const;
    bool PaintingCopy() const { return paintingCopy_; }

    bool Modified() const { return modified_; }
    void SetModified(bool value) override;

    // The site's notifications: every object notification with its own sender and aspect.
    TBroadcaster& Broadcaster() { return broadcaster_; }

    // --- coordinates (through the scaler, on the current canvas) ---
    QPoint LogToDev(QPoint p) const;
    QPoint DevToLog(QPoint p) const override;
    TRect LogRectToDev(const TRect& r) const;
    TRect LogClientRect() const;
    // The part of the control its window shows (the whole control without one).
    TRect VisibleClientRect() const;

    // --- objects ---
    // Parent, control rectangle, place in its layer group; sets Modified.
    void AddObject(TDrawObject& object);
    // Makes the site the object's owner, then AddObject.
    TDrawObject* InsertObject(std::unique_ptr<TDrawObject> object);
    void UpdateObjectBounds(TDrawObject& object) override;
    // The topmost draw object hit at a logical point, or null.
    TDrawObject* ObjectAt(QPoint logical) const;
    // Appends the draw objects from the topmost down.
    void CollectObjects(TDOList& list, bool selectedOnly) const;
    void SelectAll(bool value);
    // Selects every object whose control rectangle lies inside the device rectangle.
    void SelectInRect(const TRect& device);
    void SetLogSize(int width, int height);
    void Rescale();
    // Destroys every component the site owns.
    void DestroyOwnedComponents();

    // --- handles ---
    bool HideHandles();
    void FreeHandles();
    // Takes the handle, sizes it and centres it at the logical point.
    TPivot* PlaceHandle(std::unique_ptr<TPivot> pivot, QPoint logical);
    void UpdateHandles();
    bool HandlesDirty() const { return handlesDirty_; }
    int HandleCount() const { return int(pivots_.size()); }
    TPivot* Handle(int index) const { return pivots_.at(size_t(index)).get(); }

    // --- painting ---
    // The screen paint of an area of the control's pixels (the paint message).
    void PaintWindow(const TRect& area);
    // Renders the whole site on `canvas`, its origin moved by `offset` device pixels, at
    // `scale` (at least 1). The site keeps its size and its objects their control rectangles.
    void DrawTo(TCanvas& canvas, QPoint offset, int scale);
    // The scale that fits the logical size into `rect` of `canvas`; 100 when neither flag
    // is set or the site has no size.
    int ComputeFitScale(const TCanvas& canvas, const TRect& rect, bool fitHeight,
                        bool fitWidth) const;
    virtual void PaintAfter();
    virtual void DrawToProgress(int index);
    virtual void PaintObjectTo(TDrawObject& object);

    // --- input, in the control's pixels ---
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos,
                   bool doubleClick = false);
    void MouseMove(Qt::KeyboardModifiers shift, QPoint pos);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void KeyDown(int& key, Qt::KeyboardModifiers shift);
    void KeyUp(int& key, Qt::KeyboardModifiers shift);
    // Cancels the running interactive operation (the window lost the mouse).
    void CancelMode();
    // The editor's arrow keys: moves the selected movable objects by 10 logical units
    // (1 with Shift) and keeps them inside; true when the key was an arrow key.
    bool NudgeSelection(int key, Qt::KeyboardModifiers shift);
    bool Captured() const { return captured_; }
    TDrawObject* PressedObject() const { return pressed_.Get(); }
    // What the mouse shows at a point: the cursor and the hint of the control there.
    Qt::CursorShape CursorAt(QPoint pos) const;
    QString HintAt(QPoint pos) const;

    // --- TObjectSite ---
    void ObjectMouseDown(TDrawObject& object, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                         QPoint clientPos, int hitCode) override;
    void ObjectMouseMove(Qt::KeyboardModifiers shift, QPoint clientPos) override;
    bool GhostsActive() const override;
    bool DesignerCreatePivots(TDrawObject& object) override;
    bool DesignerBeginDrag(TDrawObject& object, int hitCode) override;
    bool DesignerEditObject(TDrawObject& object) override;
    void ClearGhost() override;
    void InvalidateRect(const TRect& rect) override;

    // --- streaming: the owned draw objects are the children, in child order ---
    void EnumStreamChildren(const std::function<void(TComponent&)>& proc) override;
    TComponent* ChildOwnerForLoad() override { return this; }
    void AfterLoad() override;

protected:
    void ReportPaintErrors(const std::vector<std::pair<TLightControl*, QString>>& errors) override;
    void ControlInserted(TLightControl& control) override;
    void ControlRemoving(TLightControl& control) override;
    // The site's own painting: background and OnPaint.
    virtual void Paint();

private:
    void markHandlesDirty();
    void objectNotify(TPersistent* sender, const QUuid& aspect);
    void paintControl(TCanvas& canvas);
    void sitePress(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void siteClick();
    void autoScroll(QPoint pos);
    void endOfOperation();
    void resizeScreen();
    void callPrepared(const std::function<void(TDrawSite*)>& handler);

    int logWidth_ = 0;
    int logHeight_ = 0;
    std::unique_ptr<TScaler> scaler_;
    Qt::CursorShape moveCursor_ = Qt::ArrowCursor;
    bool border_ = true;
    TColor color_;
    bool doubleBuffered_ = false;
    bool enabled_ = true;
    QString hint_;
    bool showHint_ = false;

    QPoint position_;
    QSize clientSize_;
    TDrawSiteHost* host_ = nullptr;
    QImage screen_;
    std::unique_ptr<TCanvas> screenCanvas_;
    TCanvas* redirect_ = nullptr;
    TCanvas* paintCanvas_ = nullptr;
    bool paintingCopy_ = false;
    bool destroying_ = false;

    bool modified_ = false;
    bool handlesDirty_ = false;
    TDrawObjectRef<> pressed_;
    bool togglePending_ = false;
    bool captured_ = false;
    QPoint lastMouse_;
    std::vector<std::unique_ptr<TPivot>> pivots_;
    TBroadcaster broadcaster_;
    TListener listener_;
};
