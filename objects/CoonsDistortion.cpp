#include "objects/CoonsDistortion.h"

#include "document/Messages.h"
#include "document/stream/Filer.h"
#include "document/stream/Stream.h"
#include "platform/Exception.h"

#include <QUuid>
#include <algorithm>
#include <cmath>
#include <cstring>

VELLUMO_DEFINE_PERSISTENT(TCoonsDistortion)

namespace {

constexpr int kHeaderSize = 16 + 4 * 4;
constexpr int kPointSize = 20;  // x and y, 10 bytes each
constexpr int kFlagSize = 1;

// Where a point index beyond an edge's ends lies: the neighbouring edge, the point on it,
// and the parameter the shared corner has on that edge.
struct Neighbour {
    int edge = 0;
    int index = 0;
    double cornerParam = 0;
};

Neighbour neighbourOf(int edge, int index, int n, const std::array<int, 4>& counts) {
    using E = TCoonsDistortion;
    const bool before = index < 0;
    const int beyond = before ? -index : index - n + 1;  // 1 for the first point past the end
    Neighbour r;
    switch (edge) {
        case E::Top:
            r = before ? Neighbour{E::Left, beyond, 0} : Neighbour{E::Right, beyond, 0};
            break;
        case E::Right:
            r = before ? Neighbour{E::Top, counts[E::Top] - 1 - beyond, 1}
                       : Neighbour{E::Bottom, counts[E::Bottom] - 1 - beyond, 1};
            break;
        case E::Bottom:
            r = before ? Neighbour{E::Left, counts[E::Left] - 1 - beyond, 1}
                       : Neighbour{E::Right, counts[E::Right] - 1 - beyond, 1};
            break;
        default:
            r = before ? Neighbour{E::Top, beyond, 0} : Neighbour{E::Bottom, beyond, 0};
            break;
    }
    // Short edges: stay on the neighbouring edge's points.
    r.index = std::clamp(r.index, 0, std::max(counts[size_t(r.edge)] - 1, 0));
    return r;
}

double unitParam(int index, int n) {
    return n >= 2 ? double(index) / (n - 1) : 0.0;
}

QPointF mid(QPointF a, QPointF b) {
    return (a + b) / 2;
}

// A mapped length in whole units, truncated after a small nudge; control points from a
// file may be anything, so the value is kept within a range that adds without overflow.
int toCoordinate(double v) {
    if (!std::isfinite(v)) return 0;
    return int(std::clamp(std::trunc(v + 0.01), -1.0e9, 1.0e9));
}

int32_t readInt32(const char* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(p[i]);
    return int32_t(v);
}

void appendInt32(QByteArray& out, int32_t value) {
    const uint32_t v = uint32_t(value);
    for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}

}  // namespace

TCoonsDistortion::Frame::Frame(const TRect& r)
    : rect(r),
      width(r.Width()),
      height(r.Height()),
      invWidth(width != 0 ? 1 / width : 0),
      invHeight(height != 0 ? 1 / height : 0) {}

TCoonsDistortion::TCoonsDistortion() {
    const QByteArray uuid = QUuid::createUuid().toRfc4122();
    std::memcpy(id_.data(), uuid.constData(), id_.size());
}

bool TCoonsDistortion::IsEmpty() const {
    return std::all_of(edges_.begin(), edges_.end(), [](const EdgeData& e) { return e.x.empty(); });
}

bool TCoonsDistortion::IsUsable() const {
    if (IsEmpty()) return false;
    for (const EdgeData& e : edges_)
        if (e.x.size() < 2) return false;
    return source_.width != 0 && source_.height != 0 && target_.width != 0 && target_.height != 0;
}

void TCoonsDistortion::SetCount(int edge, int n) {
    if (n < 0 || n == Count(edge)) return;
    EdgeData& e = edges_.at(size_t(edge));
    e.x.resize(size_t(n));
    e.y.resize(size_t(n));
    e.param.resize(size_t(n));
    e.smooth.assign(size_t(n), 0);
    needsPreparation_ = true;
}

QPointF TCoonsDistortion::GetPoint(int edge, int index) const {
    const int n = Count(edge);
    if (index < 0 || index >= n) {
        if (n == 0) return {};
        const std::array<int, 4> counts{Count(Top), Count(Right), Count(Bottom), Count(Left)};
        const Neighbour nb = neighbourOf(edge, index, n, counts);
        if (counts[size_t(nb.edge)] == 0) return GetPoint(edge, std::clamp(index, 0, n - 1));
        return GetPoint(nb.edge, nb.index);
    }
    const EdgeData& e = edges_[size_t(edge)];
    return {e.x[size_t(index)].toDouble(), e.y[size_t(index)].toDouble()};
}

void TCoonsDistortion::setRaw(int edge, int index, QPointF p) {
    EdgeData& e = edges_[size_t(edge)];
    if (index < 0 || index >= int(e.x.size())) return;
    e.x[size_t(index)] = Extended80::fromDouble(p.x());
    e.y[size_t(index)] = Extended80::fromDouble(p.y());
}

void TCoonsDistortion::SetPoint(int edge, int index, QPointF p) {
    const int n = Count(edge);
    if (index < 0 || index >= n) return;
    setRaw(edge, index, p);
    // The corner shared with the neighbouring edge, set once there (no propagation back).
    const bool first = index == 0, last = index == n - 1;
    switch (edge) {
        case Top:
            if (first) setRaw(Left, 0, p);
            if (last) setRaw(Right, 0, p);
            break;
        case Right:
            if (first) setRaw(Top, Count(Top) - 1, p);
            if (last) setRaw(Bottom, Count(Bottom) - 1, p);
            break;
        case Bottom:
            if (first) setRaw(Left, Count(Left) - 1, p);
            if (last) setRaw(Right, Count(Right) - 1, p);
            break;
        default:
            if (first) setRaw(Top, 0, p);
            if (last) setRaw(Bottom, 0, p);
            break;
    }
    needsPreparation_ = true;
}

bool TCoonsDistortion::Smooth(int edge, int index) const {
    const EdgeData& e = edges_.at(size_t(edge));
    return index >= 0 && index < int(e.smooth.size()) && e.smooth[size_t(index)] != 0;
}

void TCoonsDistortion::SetSmooth(int edge, int index, bool smooth) {
    EdgeData& e = edges_.at(size_t(edge));
    if (index >= 0 && index < int(e.smooth.size())) e.smooth[size_t(index)] = smooth ? 1 : 0;
}

namespace {
QPointF identityPoint(int edge, int index, int n) {
    const double u = unitParam(index, n);
    switch (edge) {
        case TCoonsDistortion::Top:
            return {u, 0};
        case TCoonsDistortion::Right:
            return {1, u};
        case TCoonsDistortion::Bottom:
            return {u, 1};
        default:
            return {0, u};
    }
}
}  // namespace

void TCoonsDistortion::SetIdentity(int countPerEdge) {
    for (int edge = 0; edge < 4; ++edge) {
        SetCount(edge, countPerEdge);
        for (int j = 0; j < countPerEdge; ++j)
            setRaw(edge, j, identityPoint(edge, j, countPerEdge));
    }
    needsPreparation_ = true;
}

void TCoonsDistortion::SetStrength(int percent) {
    const double f = percent / 100.0;
    for (int edge = 0; edge < 4; ++edge) {
        const int n = Count(edge);
        const bool inner = edge == Right || edge == Left;
        for (int j = inner ? 1 : 0; j < (inner ? n - 1 : n); ++j) {
            const QPointF id = identityPoint(edge, j, n);
            SetPoint(edge, j, id + f * (GetPoint(edge, j) - id));
        }
    }
}

void TCoonsDistortion::prepare() const {
    for (EdgeData& e : edges_) {
        const int n = int(e.x.size());
        for (int k = 0; k + 1 < n; ++k) e.param[size_t(k)] = double(k + 1) / (n - 1);
        if (n > 0) e.param[size_t(n - 1)] = 1;
    }
    corners_ = {GetPoint(Top, 0), GetPoint(Right, 0), GetPoint(Bottom, Count(Bottom) - 1),
                GetPoint(Left, Count(Left) - 1)};
    needsPreparation_ = false;
}

double TCoonsDistortion::param(int edge, int index) const {
    const int n = Count(edge);
    if (index >= 0 && index < n) return unitParam(index, n);
    const std::array<int, 4> counts{Count(Top), Count(Right), Count(Bottom), Count(Left)};
    const Neighbour nb = neighbourOf(edge, index, n, counts);
    const double distance = std::abs(unitParam(nb.index, counts[size_t(nb.edge)]) - nb.cornerParam);
    return index < 0 ? -distance : 1 + distance;
}

QPointF TCoonsDistortion::evaluate(int edge, double t) const {
    const int n = Count(edge);  // at least 2 when usable
    int k = 0;
    while (k < n - 2 && param(edge, k + 1) < t) ++k;
    const double uk = param(edge, k), uk1 = param(edge, k + 1);
    const int p = t - uk < uk1 - t ? k : k + 1;
    if (Smooth(edge, p)) {
        const double before = param(edge, p - 1), after = param(edge, p + 1);
        const QPointF pp = GetPoint(edge, p);
        const QPointF m1 = mid(GetPoint(edge, p - 1), pp), m2 = mid(pp, GetPoint(edge, p + 1));
        const double span = after - before;
        const double v = span != 0 ? (2 * t - param(edge, p) - before) / span : 0.5;
        return (1 - v) * (1 - v) * m1 + 2 * v * (1 - v) * pp + v * v * m2;
    }
    const double f = uk1 != uk ? (t - uk) / (uk1 - uk) : 0.5;
    return GetPoint(edge, k) + f * (GetPoint(edge, k + 1) - GetPoint(edge, k));
}

void TCoonsDistortion::TransformPoint(QPoint& p) const {
    if (!IsUsable()) return;
    if (needsPreparation_) prepare();
    const double s = (p.x() - source_.rect.Left) * source_.invWidth;
    const double t = (p.y() - source_.rect.Top) * source_.invHeight;
    const QPointF top = evaluate(Top, s), bottom = evaluate(Bottom, s);
    const QPointF left = evaluate(Left, t), right = evaluate(Right, t);
    const auto& [tl, tr, br, bl] = corners_;
    const QPointF q = (1 - t) * top + t * bottom + (1 - s) * left + s * right -
                      ((1 - s) * (1 - t) * tl + s * (1 - t) * tr + s * t * br + (1 - s) * t * bl);
    p = QPoint(toCoordinate(q.x() * target_.width) + target_.rect.Left,
               toCoordinate(q.y() * target_.height) + target_.rect.Top);
}

void TCoonsDistortion::Assign(const TPersistent& source) {
    const auto* s = dynamic_cast<const TCoonsDistortion*>(&source);
    if (!s) return TTransformer::Assign(source);
    id_ = s->id_;
    edges_ = s->edges_;
    source_ = s->source_;
    target_ = s->target_;
    corners_ = s->corners_;
    needsPreparation_ = s->needsPreparation_;
}

void TCoonsDistortion::DefineCustomProperties(TFiler& filer) {
    TTransformer::DefineCustomProperties(filer);
    filer.DefineBlobProperty(
        QStringLiteral("Data"),
        [this](TStream& s) {
            QByteArray data(qsizetype(s.Size()), Qt::Uninitialized);
            s.SetPosition(0);
            if (!data.isEmpty()) s.ReadBuffer(data.data(), data.size());
            LoadData(data);
        },
        [this](TStream& s) { s.WriteBytes(SaveData()); }, true);
}

QByteArray TCoonsDistortion::SaveData() const {
    QByteArray out(reinterpret_cast<const char*>(id_.data()), qsizetype(id_.size()));
    for (const EdgeData& e : edges_) appendInt32(out, int32_t(e.x.size()));
    for (const EdgeData& e : edges_)
        for (size_t j = 0; j < e.x.size(); ++j) {
            out.append(reinterpret_cast<const char*>(e.x[j].bytes().data()), 10);
            out.append(reinterpret_cast<const char*>(e.y[j].bytes().data()), 10);
        }
    for (const EdgeData& e : edges_)
        for (const uint8_t f : e.smooth) out.append(char(f));
    return out;
}

void TCoonsDistortion::LoadData(const QByteArray& data) {
    if (data.size() < kHeaderSize) throw Exception(msg::invalidPropertyValue());
    std::array<int32_t, 4> counts{};
    int64_t total = 0;
    for (size_t i = 0; i < 4; ++i) {
        counts[i] = readInt32(data.constData() + 16 + 4 * i);
        if (counts[i] < 0) throw Exception(msg::invalidPropertyValue());
        total += counts[i];
    }
    if (int64_t(kHeaderSize) + total * (kPointSize + kFlagSize) != int64_t(data.size()))
        throw Exception(msg::invalidPropertyValue());
    std::memcpy(id_.data(), data.constData(), id_.size());
    const auto* p = reinterpret_cast<const uint8_t*>(data.constData()) + kHeaderSize;
    for (int edge = 0; edge < 4; ++edge) {
        EdgeData& e = edges_[size_t(edge)];
        const size_t n = size_t(counts[size_t(edge)]);
        e.x.resize(n);
        e.y.resize(n);
        e.param.assign(n, 0);
        e.smooth.assign(n, 0);
        for (size_t j = 0; j < n; ++j, p += kPointSize) {
            e.x[j] = Extended80::fromBytes(p);
            e.y[j] = Extended80::fromBytes(p + 10);
        }
    }
    for (EdgeData& e : edges_)
        for (uint8_t& f : e.smooth) f = *p++;
    needsPreparation_ = true;
}
