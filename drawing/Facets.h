#pragma once
// Object facets: small interfaces through which sites, ghosts, commands and property
// dialogs handle different kinds of draw objects alike. A facet is asked for by its
// identifier (TDrawObject::QueryFacet), so an object may decline one at run time even
// when its class implements it. A new facet is an interface with a static FacetId() that
// answers its identifier; the classes that provide it derive from it and answer it in
// their QueryFacet.
//
//     if (auto* r = QueryFacet<IDORotate>(object)) r->SetAngle(r->Angle() + 90);

#include "drawing/CanvasUtils.h"

#include <QUuid>

class TDrawObject;

#define VELLUMO_FACET_ID(text)                       \
    static const QUuid& FacetId() {                  \
        static const QUuid id(QStringLiteral(text)); \
        return id;                                   \
    }

// The logical rectangle of rectangular objects.
class IDOBounds {
public:
    VELLUMO_FACET_ID("{B387DDEA-8A2D-4F34-8E3D-DE44C62D0006}")
    virtual TRect LogBounds() const = 0;

protected:
    ~IDOBounds() = default;
};

// Moving and resizing by the enclosing bounds (what the object covers on the page).
class IDOEncloseBounds {
public:
    VELLUMO_FACET_ID("{87B7C957-D9C9-4F46-B6C6-F221945F8271}")
    virtual void OffsetBy(int dx, int dy) = 0;
    virtual void SetEnclosingSize(int width, int height) = 0;
    virtual TRect GetBounds() const = 0;

protected:
    ~IDOEncloseBounds() = default;
};

// The logical rectangle as four values, for property dialogs and resize ghosts.
class IDOLogicalRect {
public:
    VELLUMO_FACET_ID("{DF161AC8-79F8-4611-A609-7C8F2524680F}")
    virtual int Left() const = 0;
    virtual void SetLeft(int value) = 0;
    virtual int Top() const = 0;
    virtual void SetTop(int value) = 0;
    virtual int Width() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual int Height() const = 0;
    virtual void SetHeight(int value) = 0;
    virtual bool KeepAspect() const = 0;

protected:
    ~IDOLogicalRect() = default;
};

// Painting on a canvas prepared in logical units, and the outline for interactive feedback.
class IDOPaint {
public:
    VELLUMO_FACET_ID("{82CBDAD4-08EA-4D02-9E58-6314FF223515}")
    virtual void PaintTo(TCanvas& canvas) = 0;
    virtual void DrawOutline(TCanvas& canvas) = 0;

protected:
    ~IDOPaint() = default;
};

// Translucent painting.
class IDOBlend {
public:
    VELLUMO_FACET_ID("{F3678854-BE9D-47A9-9467-AFC8E219E657}")
    virtual bool BlendShade() const = 0;
    virtual void SetBlendShade(bool value) = 0;
    virtual int BlendRatio() const = 0;
    virtual void SetBlendRatio(int value) = 0;

protected:
    ~IDOBlend() = default;
};

// The rotation angle in degrees, clockwise on the page.
class IDORotate {
public:
    VELLUMO_FACET_ID("{921FC373-4536-4E11-B451-3601C140841C}")
    virtual int Angle() const = 0;
    virtual void SetAngle(int degrees) = 0;

protected:
    ~IDORotate() = default;
};

// The facet F of `object`, or null when the object is null or declines it.
template <class F>
F* QueryFacet(TDrawObject* object);
