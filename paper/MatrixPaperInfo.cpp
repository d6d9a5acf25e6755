#include "paper/MatrixPaperInfo.h"

#include "document/stream/PropertyBuilder.h"
#include "platform/IntMath.h"

#include <climits>

VELLUMO_DEFINE_PERSISTENT(TMatrixPaperInfo)

// Stored values are untrusted: sums and products are taken in 64 bits and wrap to 32
// like the stored integers themselves.
using platform::wrap32;

void TMatrixPaperInfo::DeclareProperties(PropertyBuilder<TMatrixPaperInfo>& p) {
    using M = TMatrixPaperInfo;
    p.integer("TopOffset", &M::TopOffset, &M::TopOffset);
    p.integer("LeftOffset", &M::LeftOffset, &M::LeftOffset);
    p.integer("BottomMargin", &M::BottomMargin, &M::BottomMargin);
    p.integer("RightMargin", &M::RightMargin, &M::RightMargin);
    p.integer("FaceWidth", &M::FaceWidth, &M::FaceWidth);
    p.integer("FaceHeight", &M::FaceHeight, &M::FaceHeight);
    p.integer("FaceCountX", &M::FaceCountX, &M::FaceCountX);
    p.integer("FaceCountY", &M::FaceCountY, &M::FaceCountY);
    p.enumeration(
        "FaceShape", [](const M& m) { return m.Face.shape; },
        [](M& m, int32_t v) { m.Face.shape = TFaceShape(v); }, faceShapeType());
    p.string(
        "FacePurpose", [](const M& m) { return m.Face.purpose; },
        [](M& m, const QString& v) { m.Face.purpose = v; });
    p.integer(
        "FaceMargin", [](const M& m) { return m.Face.margin; },
        [](M& m, int32_t v) { m.Face.margin = v; });
    p.integer(
         "RoundSize", [](const M& m) { return m.Face.roundSize; },
         [](M& m, int32_t v) { m.Face.roundSize = v; })
        .defaultValue(FaceSettings::kDefaultRoundSize);
    p.enumeration(
         "CenterShape", [](const M& m) { return m.Face.centerShape; },
         [](M& m, int32_t v) { m.Face.centerShape = TCenterShape(v); }, centerShapeType())
        .defaultValue(csEllipse);
    p.integer(
         "CutCenterWidth", [](const M& m) { return m.Face.cutCenterWidth; },
         [](M& m, int32_t v) { m.Face.cutCenterWidth = v; })
        .defaultValue(FaceSettings::kDefaultCutCenter)
        .storedIf([](const M& m) { return m.Face.CutCenterSizesStored(); });
    p.integer(
         "CutCenterHeight", [](const M& m) { return m.Face.cutCenterHeight; },
         [](M& m, int32_t v) { m.Face.cutCenterHeight = v; })
        .defaultValue(FaceSettings::kDefaultCutCenter)
        .storedIf([](const M& m) { return m.Face.CutCenterSizesStored(); });
}

void TMatrixPaperInfo::DefineCustomProperties(TFiler& filer) {
    TPaperInfo::DefineCustomProperties(filer);
    Face.DefineCustomProperties(filer);
}

int TMatrixPaperInfo::GetFaceCount() const {
    if (FaceCountX <= 0 || FaceCountY <= 0) return 0;
    const int64_t n = int64_t(FaceCountX) * FaceCountY;
    return n > INT_MAX ? INT_MAX : int(n);
}

TRect TMatrixPaperInfo::GetFaceRect(int i) const {
    CheckFaceIndex(i);
    const int col = i % FaceCountX, row = i / FaceCountX;
    const int left = wrap32(int64_t(col) * (int64_t(FaceWidth) + RightMargin) + LeftOffset);
    const int top = wrap32(int64_t(row) * (int64_t(FaceHeight) + BottomMargin) + TopOffset);
    return {left, top, wrap32(int64_t(left) + FaceWidth), wrap32(int64_t(top) + FaceHeight)};
}

TFaceShape TMatrixPaperInfo::GetFaceShape(int i) const {
    CheckFaceIndex(i);
    return Face.shape;
}
int TMatrixPaperInfo::GetFaceMargin(int i) const {
    CheckFaceIndex(i);
    return Face.margin;
}
QSize TMatrixPaperInfo::GetCutCenter(int i) const {
    CheckFaceIndex(i);
    return {Face.cutCenterWidth, Face.cutCenterHeight};
}
int TMatrixPaperInfo::GetRoundSize(int i) const {
    CheckFaceIndex(i);
    return Face.roundSize;
}
TCenterShape TMatrixPaperInfo::GetCenterShape(int i) const {
    CheckFaceIndex(i);
    return Face.centerShape;
}
QString TMatrixPaperInfo::GetStoredFacePurpose(int i) const {
    CheckFaceIndex(i);
    return Face.purpose;
}

void TMatrixPaperInfo::AssignFaces(const TPaperInfo& source) {
    const auto& o = static_cast<const TMatrixPaperInfo&>(source);
    TopOffset = o.TopOffset;
    LeftOffset = o.LeftOffset;
    BottomMargin = o.BottomMargin;
    RightMargin = o.RightMargin;
    FaceWidth = o.FaceWidth;
    FaceHeight = o.FaceHeight;
    FaceCountX = o.FaceCountX;
    FaceCountY = o.FaceCountY;
    Face = o.Face;
}
