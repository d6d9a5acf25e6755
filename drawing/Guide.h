#pragma once
// TGuide: up to ten guide lines the editor shows and snaps to. A slot (x, y) with x not 0
// is a vertical guide at x, else one with y not 0 a horizontal guide at y; (0, 0) is empty.
// The slots are stored as the binary property "Pos": a 32-bit count and that many pairs of
// 32-bit x, y (little-endian).

#include "document/stream/Persistent.h"
#include "drawing/CanvasUtils.h"
#include "drawing/Grid.h"

#include <array>

class TGuide : public TPersistent {
    VELLUMO_PERSISTENT(TGuide, TPersistent)
public:
    static constexpr int kCount = 10;

    TGuide() = default;
    static void DeclareProperties(PropertyBuilder<TGuide>& p);
    void DefineCustomProperties(TFiler& filer) override;
    void Assign(const TPersistent& source) override;

    bool Visible = false;
    bool Enabled = false;
    int Count() const { return kCount; }
    QPoint Pos(int index) const { return pos_.at(size_t(index)); }
    void SetPos(int index, QPoint p) { pos_.at(size_t(index)) = p; }
    void Clear() { pos_.fill({0, 0}); }

    // Per axis the offset to the nearest guide within `tolerance` (vertical guides for x,
    // horizontal ones for y; ties keep the earlier slot); kNoSnap otherwise.
    QPoint SnapOffset(QPoint p, int tolerance) const;
    // Every guide across `rect`, with the canvas's pen, when Visible.
    void Draw(TCanvas& canvas, const TRect& rect) const;
    // The first slot within `tolerance` of (x, y); -1 when none or not Enabled.
    int GuideAt(int x, int y, int tolerance) const;
    int FirstFree() const;
    // Adds a guide in the first free slot; refused with "ガイドは%d本までです" when all
    // slots are used.
    int Add(QPoint p);
    // Empties every guide outside `rect`; when Enabled, Enabled becomes whether any remains.
    void Prune(const TRect& rect);

    // The "Pos" data; reading takes at most ten pairs and never reads beyond the data.
    QByteArray PosData() const;
    void ReadPosData(const QByteArray& data);

private:
    std::array<QPoint, kCount> pos_{};
};
