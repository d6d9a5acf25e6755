#pragma once
// The facets text objects answer besides those of rectangular objects: line feed slant,
// letter colour, the curve of text on an arc, alignment, font, vertical writing and
// automatic sizing. See drawing/Facets.h for how facets are asked for.

#include "drawing/Facets.h"

class TColorSpec;
class TFont;

class IDOFeedAngle {
public:
    VELLUMO_FACET_ID("{48E9E8E1-73B6-438B-959C-BA33B35B36CC}")
    virtual int FeedAngle() const = 0;
    virtual void SetFeedAngle(int degrees) = 0;

protected:
    ~IDOFeedAngle() = default;
};

// The colour of an object's lines; for text, the letters.
class IDOLineColor {
public:
    VELLUMO_FACET_ID("{BF8ED8C7-03F9-414E-96F3-DEF60E987FA9}")
    virtual TColorSpec* LineColor() const = 0;
    virtual void SetLineColor(const TColorSpec& spec) = 0;

protected:
    ~IDOLineColor() = default;
};

// The chord and bulge of an object bent on an arc, edited by the curve ghost between
// BeginCurveEdit and EndCurveEdit.
class IDOCurve {
public:
    VELLUMO_FACET_ID("{AE86B02C-2FE2-47C6-931B-6924C91E9E48}")
    virtual QPoint StartPoint() const = 0;
    virtual void SetStartPoint(QPoint p) = 0;
    virtual QPoint EndPoint() const = 0;
    virtual void SetEndPoint(QPoint p) = 0;
    virtual QPoint BulgePoint() const = 0;
    virtual void SetBulgePoint(QPoint p) = 0;
    virtual void BeginCurveEdit() = 0;
    virtual void EndCurveEdit() = 0;

protected:
    ~IDOCurve() = default;
};

class IDOAlign {
public:
    VELLUMO_FACET_ID("{9AFC62B3-4C39-4082-8F48-FA5EEBD9505F}")
    virtual int Align() const = 0;
    virtual void SetAlign(int value) = 0;

protected:
    ~IDOAlign() = default;
};

class IDOFont {
public:
    VELLUMO_FACET_ID("{EEBC45D0-56A1-40DC-8FF5-CE9BD41C7C76}")
    virtual TFont* Font() const = 0;
    virtual void SetFont(const TFont& font) = 0;

protected:
    ~IDOFont() = default;
};

class IDOVertical {
public:
    VELLUMO_FACET_ID("{C8CE9D17-FFA1-4E8B-B6A6-B8BB7A203E71}")
    virtual bool Vertical() const = 0;
    virtual void SetVertical(bool value) = 0;

protected:
    ~IDOVertical() = default;
};

class IDOAutoSize {
public:
    VELLUMO_FACET_ID("{6ACEF37B-4E85-49F6-B86C-7821BB91EFE8}")
    virtual bool AutoSize() const = 0;
    virtual void SetAutoSize(bool value) = 0;

protected:
    ~IDOAutoSize() = default;
};

// The fill colour facet of closed shapes; text objects decline it.
inline const QUuid& FillColorFacetId() {
    static const QUuid id(QStringLiteral("{8341E320-DC9F-4299-9CA7-816FB9152B1D}"));
    return id;
}
