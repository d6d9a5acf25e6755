#pragma once
// TCoonsDistortion: warps points from a source rectangle into a target rectangle through
// a Coons patch whose four edges are curves through control points given in unit-square
// coordinates of the target. Edges: top (top-left to top-right), right (top-right to
// bottom-right), bottom (bottom-left to bottom-right), left (top-left to bottom-left);
// neighbouring edges share their corner points. Stored as the binary property "Data",
// positions as 80-bit reals kept bit for bit.

#include "document/stream/Extended80.h"
#include "drawing/Transformer.h"
#include "platform/Geometry.h"

#include <QByteArray>
#include <QPointF>
#include <array>
#include <cstdint>
#include <vector>

class TCoonsDistortion : public TTransformer {
    VELLUMO_PERSISTENT(TCoonsDistortion, TTransformer)
public:
    enum Edge { Top = 0, Right = 1, Bottom = 2, Left = 3 };

    TCoonsDistortion();  // empty, with a fresh identifier

    bool IsEmpty() const;
    // Not empty, every edge has at least two points, and both rectangles have a size.
    bool IsUsable() const;

    int Count(int edge) const { return int(edges_.at(size_t(edge)).x.size()); }
    // Resizes the edge (negative or unchanged counts are ignored) and clears its flags.
    void SetCount(int edge, int n);
    // Indexes beyond the edge's ends continue around the corner into the neighbouring
    // edge; an edge without points gives (0, 0).
    QPointF GetPoint(int edge, int index) const;
    // Does nothing outside 0..n-1; a corner point is set in both edges that share it.
    void SetPoint(int edge, int index, QPointF p);
    bool Smooth(int edge, int index) const;
    void SetSmooth(int edge, int index, bool smooth);

    // Every edge of n points evenly spaced along the unit square's side.
    void SetIdentity(int countPerEdge);
    // Moves every control point from its identity position towards its current one by
    // percent / 100.
    void SetStrength(int percent);

    void SetSourceRect(const TRect& r) { source_ = Frame(r); }
    void SetTargetRect(const TRect& r) { target_ = Frame(r); }
    const std::array<uint8_t, 16>& Identifier() const { return id_; }

    void TransformPoint(QPoint& p) const override;
    void Assign(const TPersistent& source) override;
    void DefineCustomProperties(TFiler& filer) override;

    // The "Data" blob; reading fails with the invalid property value message unless the
    // counts are non-negative and the length is exactly what they need.
    QByteArray SaveData() const;
    void LoadData(const QByteArray& data);

private:
    struct EdgeData {
        std::vector<Extended80> x, y;
        std::vector<uint8_t> smooth;
        std::vector<double> param;  // derived by preparation
    };
    struct Frame {
        Frame() = default;
        explicit Frame(const TRect& r);
        TRect rect;
        double width = 0, height = 0, invWidth = 0, invHeight = 0;
    };
    void setRaw(int edge, int index, QPointF p);
    void prepare() const;
    // The parameter of point `index` of the edge, continued past its ends.
    double param(int edge, int index) const;
    QPointF evaluate(int edge, double t) const;

    std::array<uint8_t, 16> id_{};
    mutable std::array<EdgeData, 4> edges_;
    Frame source_, target_;
    mutable std::array<QPointF, 4> corners_;  // top-left, top-right, bottom-right, bottom-left
    mutable bool needsPreparation_ = true;
};
