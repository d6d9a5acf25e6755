#include "drawing/Guide.h"

#include "document/stream/Filer.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "platform/ByteCursor.h"
#include "platform/Exception.h"

#include <QtEndian>
#include <cstdlib>

VELLUMO_DEFINE_PERSISTENT(TGuide)

namespace {

void putInt(QByteArray& out, std::int32_t v) {
    char bytes[4];
    qToLittleEndian(v, bytes);
    out.append(bytes, 4);
}

bool isVertical(QPoint p) {
    return p.x() != 0;
}
bool isHorizontal(QPoint p) {
    return p.x() == 0 && p.y() != 0;
}

}  // namespace

void TGuide::DeclareProperties(PropertyBuilder<TGuide>& p) {
    p.boolean("Visible", &TGuide::Visible, &TGuide::Visible);
    p.boolean("Enabled", &TGuide::Enabled, &TGuide::Enabled);
}

void TGuide::DefineCustomProperties(TFiler& filer) {
    TPersistent::DefineCustomProperties(filer);
    filer.DefineBlobProperty(
        QStringLiteral("Pos"),
        [this](TStream& s) {
            QByteArray data(qsizetype(s.Size()), Qt::Uninitialized);
            s.SetPosition(0);
            if (!data.isEmpty()) s.ReadBuffer(data.data(), data.size());
            ReadPosData(data);
        },
        [this](TStream& s) { s.WriteBytes(PosData()); }, true);
}

void TGuide::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TGuide*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    Visible = other->Visible;
    Enabled = other->Enabled;
    pos_ = other->pos_;
}

QByteArray TGuide::PosData() const {
    QByteArray out;
    putInt(out, kCount);
    for (const QPoint& p : pos_) {
        putInt(out, p.x());
        putInt(out, p.y());
    }
    return out;
}

void TGuide::ReadPosData(const QByteArray& data) {
    // The stored count is limited to the ten slots and to the pairs the data really holds.
    platform::ByteCursor c(data);
    if (!c.has(4)) return;
    std::int64_t count = c.i32le();
    count = std::clamp<std::int64_t>(count, 0, kCount);
    count = std::min<std::int64_t>(count, c.remaining() / 8);
    for (int i = 0; i < count; ++i) {
        const std::int32_t x = c.i32le();
        pos_[size_t(i)] = {x, c.i32le()};
    }
}

QPoint TGuide::SnapOffset(QPoint p, int tolerance) const {
    if (!Enabled) return {kNoSnap, kNoSnap};
    std::int64_t bestX = std::int64_t(tolerance) + 1, bestY = bestX;
    QPoint result{kNoSnap, kNoSnap};
    for (const QPoint& g : pos_) {
        if (isVertical(g)) {
            const std::int64_t d = std::int64_t(g.x()) - p.x();
            if (std::llabs(d) <= tolerance && std::llabs(d) < bestX) {
                bestX = std::llabs(d);
                result.setX(int(d));
            }
        } else if (isHorizontal(g)) {
            const std::int64_t d = std::int64_t(g.y()) - p.y();
            if (std::llabs(d) <= tolerance && std::llabs(d) < bestY) {
                bestY = std::llabs(d);
                result.setY(int(d));
            }
        }
    }
    return result;
}

void TGuide::Draw(TCanvas& canvas, const TRect& rect) const {
    if (!Visible) return;
    for (const QPoint& g : pos_) {
        if (isVertical(g)) {
            canvas.moveTo({g.x(), rect.Top});
            canvas.lineTo({g.x(), rect.Bottom});
        } else if (isHorizontal(g)) {
            canvas.moveTo({rect.Left, g.y()});
            canvas.lineTo({rect.Right, g.y()});
        }
    }
}

int TGuide::GuideAt(int x, int y, int tolerance) const {
    if (!Enabled) return -1;
    for (int i = 0; i < kCount; ++i) {
        const QPoint g = pos_[size_t(i)];
        if (isVertical(g) && std::llabs(std::int64_t(g.x()) - x) <= tolerance) return i;
        if (isHorizontal(g) && std::llabs(std::int64_t(g.y()) - y) <= tolerance) return i;
    }
    return -1;
}

int TGuide::FirstFree() const {
    for (int i = 0; i < kCount; ++i)
        if (pos_[size_t(i)] == QPoint(0, 0)) return i;
    return -1;
}

int TGuide::Add(QPoint p) {
    const int slot = FirstFree();
    if (slot < 0) throw Exception(QStringLiteral("ガイドは%1本までです").arg(Count()));
    pos_[size_t(slot)] = p;
    return slot;
}

void TGuide::Prune(const TRect& rect) {
    bool any = false;
    for (QPoint& g : pos_) {
        if (isVertical(g) && (g.x() < rect.Left || g.x() > rect.Right)) g = {0, 0};
        if (isHorizontal(g) && (g.y() < rect.Top || g.y() > rect.Bottom)) g = {0, 0};
        any = any || g != QPoint(0, 0);
    }
    if (Enabled) Enabled = any;
}
