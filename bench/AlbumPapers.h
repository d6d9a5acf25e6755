#pragma once
// Album papers the benchmarks lay their pages out on.

#include "paper/MatrixPaperInfo.h"

namespace bench {

// A4 with two by two photo frames of 78 x 110 mm (geometry only: name and group are the
// caller's).
inline void fourFrameA4(TMatrixPaperInfo& paper) {
    paper.SetPortraitSize(2100, 2970);
    paper.FaceWidth = 780;
    paper.FaceHeight = 1100;
    paper.FaceCountX = paper.FaceCountY = 2;
    paper.LeftOffset = 350;
    paper.TopOffset = 250;
    paper.RightMargin = 100;
    paper.BottomMargin = 250;
}

}  // namespace bench
