#pragma once
// Lightweight (windowless) controls and the container that holds them. A container keeps
// its controls in z-order (first at the bottom), paints them over its own picture and
// routes mouse input to the topmost one that answers a hit. Draw objects and the handles
// of selected objects are such controls on a draw site.

#include "document/stream/Component.h"
#include "drawing/CanvasUtils.h"

#include <QString>
#include <Qt>
#include <functional>
#include <optional>
#include <vector>

class TControlContainer;

class TLightControl : public TComponent {
    VELLUMO_PERSISTENT(TLightControl, TComponent)
public:
    explicit TLightControl(TComponent* owner = nullptr);
    ~TLightControl() override;  // leaves its container

    // --- placement, in the container's pixels ---
    TControlContainer* Parent() const { return parent_; }
    // Appends the control on top of the new container's controls; null removes it.
    void SetParent(TControlContainer* parent);
    const TRect& BoundsRect() const { return bounds_; }
    // Invalidates the old and the new area when the rectangle changes.
    void SetBounds(const TRect& rect);
    int ControlLeft() const { return bounds_.Left; }
    int ControlTop() const { return bounds_.Top; }
    int ControlWidth() const { return bounds_.Width(); }
    int ControlHeight() const { return bounds_.Height(); }

    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // An opaque control hides what lies below it; the container leaves its area out when
    // painting the controls below.
    bool Opaque() const { return opaque_; }
    void SetOpaque(bool value) { opaque_ = value; }
    const QString& Hint() const { return hint_; }
    void SetHint(const QString& hint) { hint_ = hint; }
    virtual Qt::CursorShape Cursor() const { return cursor_; }
    void SetCursor(Qt::CursorShape cursor) { cursor_ = cursor; }
    TComponent* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TComponent* menu) { popupMenu_ = menu; }

    // Asks the container to repaint the control's area.
    void Invalidate();
    // Moves the control to the top or the bottom of its container's z-order.
    void BringToFront();
    void SendToBack();

    // --- painting and input, called by the container ---
    // Paints on `canvas`, which addresses the container's pixels (text mapping) and is
    // clipped to the control. Answers the message of an error that the control contained
    // (shown by the container after painting), or nothing.
    virtual std::optional<QString> PaintControl(TCanvas& canvas);
    // The hit code at a point of the container's pixels inside the control; 0: not hit.
    virtual int ControlHitTest(QPoint pos);
    // Mouse input; `pos` is relative to the control's top-left.
    virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos,
                           bool doubleClick);
    virtual void MouseMove(Qt::KeyboardModifiers shift, QPoint pos);
    virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    virtual void Click();
    virtual void DblClick();

    std::function<void(TLightControl*)> OnClick;
    std::function<void(TLightControl*)> OnDblClick;

    void SetParentComponent(TComponent* parent) override;

protected:
    // Runs after the control has joined or left a container.
    virtual void ParentChanged() {}
    // Runs before the control leaves its container (also from a destructor: only state
    // that every control has may be used there).
    void LeaveParent();

private:
    friend class TControlContainer;
    TControlContainer* parent_ = nullptr;
    TRect bounds_;
    bool visible_ = true;
    bool enabled_ = true;
    bool opaque_ = false;
    QString hint_;
    Qt::CursorShape cursor_ = Qt::ArrowCursor;
    TComponent* popupMenu_ = nullptr;
};

class TControlContainer {
public:
    TControlContainer() = default;
    virtual ~TControlContainer();  // the controls left are detached, not destroyed
    TControlContainer(const TControlContainer&) = delete;
    TControlContainer& operator=(const TControlContainer&) = delete;

    int ControlCount() const { return int(controls_.size()); }
    TLightControl* Controls(int index) const { return controls_.at(size_t(index)); }
    // -1 when the control is not in this container.
    int IndexOfControl(const TLightControl* control) const;
    // Takes the control out and puts it back at `index` of the remaining list.
    void MoveControl(TLightControl* control, int index);

    // Paints every visible control in z-order on `canvas` (the container's pixels), each
    // clipped to its rectangle minus the opaque controls above it; afterwards reports the
    // errors that controls contained, in painting order.
    void PaintControls(TCanvas& canvas);
    // The topmost visible control whose hit test answers a hit at `pos`; disabled
    // controls only when `allowDisabled`.
    TLightControl* ControlAt(QPoint pos, bool allowDisabled = false) const;

    // Repaint an area of the container's pixels.
    virtual void InvalidateRect(const TRect& rect) = 0;

protected:
    // Painting errors that controls contained, called once PaintControls has painted every
    // control. A container that shows them in a dialog must do so outside its paint event.
    virtual void ReportPaintErrors(
        const std::vector<std::pair<TLightControl*, QString>>& errors) = 0;
    // After a control joined, before one leaves (the latter also from the control's
    // destructor), and after the z-order changed.
    virtual void ControlInserted(TLightControl&) {}
    virtual void ControlRemoving(TLightControl&) {}
    virtual void ControlMoved(TLightControl&) {}

private:
    friend class TLightControl;
    std::vector<TLightControl*> controls_;
};
