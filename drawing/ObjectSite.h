#pragma once
// What a draw object needs from the draw site it is placed on: the scaler and coordinate
// conversions, the modified flag, mouse routing, and the designers and ghosts of
// interactive editing. The draw site implements it; objects reach it through their parent.

#include "drawing/LightControl.h"

class TDrawObject;
class TScaler;

class TObjectSite : public TControlContainer {
public:
    // The logical-to-device mapping of the site.
    virtual const TScaler& Scaler() const = 0;
    // A point of the site's client area in logical units.
    virtual QPoint DevToLog(QPoint clientPos) const = 0;
    // Recomputes the object's control rectangle from its logical bounds.
    virtual void UpdateObjectBounds(TDrawObject& object) = 0;
    virtual void SetModified(bool value) = 0;

    // A press on an object (hit code -1) or on one of its handles (the handle's hit code),
    // at a point of the site's client area.
    virtual void ObjectMouseDown(TDrawObject& object, Qt::MouseButton button,
                                 Qt::KeyboardModifiers shift, QPoint clientPos, int hitCode) = 0;
    // A mouse move over an object, passed on to the site.
    virtual void ObjectMouseMove(Qt::KeyboardModifiers shift, QPoint clientPos) = 0;

    // True while an interactive operation runs (any ghost active).
    virtual bool GhostsActive() const = 0;
    // The designer registry's requests for an object of this site; true when handled.
    virtual bool DesignerCreatePivots(TDrawObject& object) = 0;
    virtual bool DesignerBeginDrag(TDrawObject& object, int hitCode) = 0;
    virtual bool DesignerEditObject(TDrawObject& object) = 0;
    // Fires the site's end-of-operation event (OnClearGhost).
    virtual void ClearGhost() = 0;
};
