#pragma once
// The per-face settings that a grid paper holds once for all its faces and a free
// paper's face item holds for its own face, with the two custom properties both store:
// "FaceType" (older papers' single face type number; read, never written) and
// "CutCenter" (one value for a square centre hole other than the default).

#include "imaging/FaceInfo.h"

#include <QString>

class TFiler;

struct FaceSettings {
    static constexpr int kDefaultCutCenter = 410;
    static constexpr int kDefaultRoundSize = 100;

    TFaceShape shape = fsRect;
    QString purpose;
    int margin = 0;
    int roundSize = kDefaultRoundSize;
    TCenterShape centerShape = csEllipse;
    int cutCenterWidth = kDefaultCutCenter;
    int cutCenterHeight = kDefaultCutCenter;

    bool operator==(const FaceSettings&) const = default;

    // The two hole sizes are stored as properties only when they differ; a square hole
    // other than the default goes into "CutCenter".
    bool CutCenterSizesStored() const { return cutCenterWidth != cutCenterHeight; }
    bool CutCenterStored() const {
        return cutCenterWidth == cutCenterHeight && cutCenterWidth != kDefaultCutCenter;
    }
    // Decodes an older face type number: shape and purpose start as fsRect and empty, so
    // a number the decoding does not know gives exactly that.
    void SetFromFaceType(int type);

    void DefineCustomProperties(TFiler& filer);
};
