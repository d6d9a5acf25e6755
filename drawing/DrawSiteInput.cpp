// The mouse and keyboard protocol of a draw site: presses on objects and handles, the
// rubber band, interactive operations through the ghost list, clicks and arrow keys.

#include "drawing/DOList.h"
#include "drawing/DrawSite.h"
#include "drawing/DrawSiteHost.h"
#include "drawing/Facets.h"
#include "drawing/Ghost.h"
#include "drawing/ObjectSetUtils.h"
#include "drawing/SelectGhost.h"

void TDrawSite::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos,
                          bool doubleClick) {
    lastMouse_ = pos;
    if (!enabled_) return;
    const bool dbl = doubleClick && button == Qt::LeftButton;
    // Handles and objects get the press first; they pass it back as a press on an object.
    // A double click reaches the control before its press, as the framework orders them.
    if (TLightControl* c = ControlAt(pos)) {
        if (auto* o = dynamic_cast<TDrawObject*>(c)) {
            const TDrawObjectRef<> object(o);
            if (dbl) o->DblClick();
            // The edit a double click opens may have freed the object.
            if (TDrawObject* still = object.Get())
                still->MouseDown(button, shift,
                                 pos - QPoint(still->ControlLeft(), still->ControlTop()),
                                 doubleClick);
            return;
        }
        if (dbl) c->DblClick();
        c->MouseDown(button, shift, pos - QPoint(c->ControlLeft(), c->ControlTop()), doubleClick);
        return;
    }
    if (dbl && OnDblClick) OnDblClick(this);
    sitePress(button, shift, pos);
}

void TDrawSite::ObjectMouseDown(TDrawObject& object, Qt::MouseButton button,
                                Qt::KeyboardModifiers shift, QPoint clientPos, int hitCode) {
    if (object.Selected() && (shift & Qt::ShiftModifier)) togglePending_ = true;
    if (!object.Selected()) {
        if (!(shift & Qt::ShiftModifier)) SelectAll(false);
        object.SetSelected(true);
    }
    if (button != Qt::LeftButton) return;
    pressed_ = &object;
    captured_ = true;
    if (host_) host_->SiteCapture(true);
    if (!GhostsActive()) {
        TDOList selected;
        CollectObjects(selected, true);
        const int code = selected.Count() == 1 ? hitCode : -1;
        for (int i = selected.Count() - 1; i >= 0; --i)
            if (selected[i]->Movable()) selected[i]->BeginDrag(code);
    }
    sitePress(button, shift, clientPos);
}

void TDrawSite::sitePress(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos) {
    if (host_) host_->SiteFocus();
    if (button != Qt::LeftButton) {
        SelectAll(false);
    } else {
        if (!captured_) {
            captured_ = true;
            if (host_) host_->SiteCapture(true);
        }
        TGhostList& ghosts = TGhostList::Instance();
        const QPoint logical = DevToLog(pos);
        if (!ghosts.Active()) {
            TDrawObject* o = ObjectAt(logical);
            if (!o || !o->Selectable()) {
                if (!(shift & Qt::ShiftModifier)) SelectAll(false);
                ghosts.Add(std::make_unique<TSelectGhost>());
            }
        }
        if (ghosts.Active()) {
            if (HideHandles() && host_) host_->SiteUpdateNow();
            ghosts.OnEnd = [this] { endOfOperation(); };
            ghosts.StartDrag(*this, LogClientRect(), logical, shift);
        } else {
            markHandlesDirty();
            UpdateHandles();
        }
    }
    if (OnMouseDown) OnMouseDown(this, button, shift, pos);
}

void TDrawSite::MouseMove(Qt::KeyboardModifiers shift, QPoint pos) {
    lastMouse_ = pos;
    if (!captured_) {
        // Objects hand their moves back to the site; the site handles the rest itself.
        if (TLightControl* c = ControlAt(pos); c && dynamic_cast<TDrawObject*>(c)) {
            c->MouseMove(shift, pos - QPoint(c->ControlLeft(), c->ControlTop()));
            return;
        }
    }
    ObjectMouseMove(shift, pos);
}

void TDrawSite::ObjectMouseMove(Qt::KeyboardModifiers shift, QPoint clientPos) {
    lastMouse_ = clientPos;
    TGhostList& ghosts = TGhostList::Instance();
    if (ghosts.Active()) {
        autoScroll(clientPos);
        ghosts.DragMove(shift, DevToLog(clientPos));
    }
    if (OnMouseMove) OnMouseMove(this, shift, clientPos);
}

void TDrawSite::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos) {
    lastMouse_ = pos;
    TGhostList& ghosts = TGhostList::Instance();
    const bool hadGhosts = ghosts.Active();
    const bool wasCaptured = captured_;
    if (button == Qt::LeftButton) {
        // The final position counts as movement before the click looks at it.
        if (hadGhosts) ghosts.DragMove(shift, DevToLog(pos));
        if (wasCaptured && pos.x() >= 0 && pos.y() >= 0 && pos.x() < Width() && pos.y() < Height())
            siteClick();
        togglePending_ = false;
        captured_ = false;
        if (host_) host_->SiteCapture(false);
        if (hadGhosts) ghosts.EndDrag();
    }
    if (OnMouseUp) OnMouseUp(this, button, shift, pos);
    if (button == Qt::LeftButton) {
        if (hadGhosts) markHandlesDirty();
        UpdateHandles();
        pressed_.Reset();
    }
}

void TDrawSite::siteClick() {
    if (TDrawObject* o = pressed_.Get()) {
        const bool dragged = TGhostList::Instance().Moved();
        if (!dragged && togglePending_) o->SetSelected(false);
        togglePending_ = false;
        o->Click();
    } else {
        togglePending_ = false;
        if (OnClick) OnClick(this);
    }
}

void TDrawSite::KeyDown(int& key, Qt::KeyboardModifiers shift) {
    TGhostList& ghosts = TGhostList::Instance();
    if (ghosts.Active()) ghosts.DragMove(shift, DevToLog(lastMouse_));
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TDrawSite::KeyUp(int& key, Qt::KeyboardModifiers shift) {
    TGhostList& ghosts = TGhostList::Instance();
    if (ghosts.Active()) ghosts.DragMove(shift, DevToLog(lastMouse_));
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TDrawSite::CancelMode() {
    TGhostList::Instance().Cancel();
    if (captured_) {
        captured_ = false;
        if (host_) host_->SiteCapture(false);
    }
    togglePending_ = false;
    pressed_.Reset();
    UpdateHandles();
}

void TDrawSite::endOfOperation() {
    TGhostList::Instance().OnEnd = nullptr;
    ClearGhost();
}

void TDrawSite::autoScroll(QPoint pos) {
    if (!host_) return;
    const QPoint delta = host_->SiteScrollNeeded(pos);
    if (delta.isNull()) return;
    TGhostList& ghosts = TGhostList::Instance();
    ghosts.DrawAll();
    host_->SiteScrollBy(delta);
    host_->SiteUpdateNow();
    ghosts.DrawAll();
}

bool TDrawSite::NudgeSelection(int key, Qt::KeyboardModifiers shift) {
    const int step = (shift & Qt::ShiftModifier) ? 1 : 10;
    int dx = 0, dy = 0;
    switch (key) {
        case Qt::Key_Left:
            dx = -step;
            break;
        case Qt::Key_Right:
            dx = step;
            break;
        case Qt::Key_Up:
            dy = -step;
            break;
        case Qt::Key_Down:
            dy = step;
            break;
        default:
            return false;
    }
    TDOList selected, moved;
    CollectObjects(selected, true);
    for (TDrawObject* o : selected) {
        if (!o->Movable()) continue;
        if (auto* e = QueryFacet<IDOEncloseBounds>(o)) {
            e->OffsetBy(dx, dy);
            moved.Add(o);
        }
    }
    KeepInside(moved, LogClientRect());
    return true;
}

// --- what the mouse shows ---

Qt::CursorShape TDrawSite::CursorAt(QPoint pos) const {
    if (TGhostList::Instance().Active()) return Qt::ArrowCursor;
    TLightControl* c = ControlAt(pos);
    if (!c) return Qt::ArrowCursor;
    if (auto* o = dynamic_cast<TDrawObject*>(c);
        o && o->Movable() && o->Selectable() && o->Cursor() == Qt::ArrowCursor)
        return moveCursor_;
    return c->Cursor();
}

QString TDrawSite::HintAt(QPoint pos) const {
    if (TLightControl* c = ControlAt(pos); c && !c->Hint().isEmpty()) return c->Hint();
    return hint_;
}
