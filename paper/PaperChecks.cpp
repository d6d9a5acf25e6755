// The checks the paper editor runs before it accepts a paper.
#include "paper/Papers.h"

#include <QRegion>

int TPapers::FindFaceOutsidePaper(const TPaperInfo& paper) {
    const int width = paper.Width(), height = paper.Height();
    for (int i = 0; i < paper.GetFaceCount(); ++i) {
        const TRect b = paper.GetFaceBounds(i);
        if (b.IsEmpty() || b.Left < 0 || b.Top < 0 || b.Right > width || b.Bottom > height)
            return i;
    }
    return -1;
}

int TPapers::FindOverlappingFace(const TPaperInfo& paper) {
    QRegion before;
    for (int i = 0; i < paper.GetFaceCount(); ++i) {
        TFaceInfo face;
        paper.GetFaceInfo(i, face);
        const QRegion outline = face.Region(nullptr, false);
        if (before.intersects(outline)) return i;
        before += outline;
    }
    return -1;
}
