#include "paper/MirrorFaceLayout.h"

#include "paper/FreePaperInfo.h"
#include "paper/MatrixPaperInfo.h"

void MirrorFaceLayout(TPaperInfo& paper) {
    const int width = paper.Width();  // of the orientation the paper is shown in
    if (auto* m = dynamic_cast<TMatrixPaperInfo*>(&paper)) {
        if (m->GetFaceCount() == 0) return;
        // The gap after the last face of the first row (portrait) or after the last face
        // (landscape: the rows run across) becomes the gap before the first one.
        const int last = paper.Landscape() ? m->GetFaceCount() - 1 : m->FaceCountX - 1;
        const int offset = width + m->Face.margin - m->GetFaceBounds(last).Right;
        (paper.Landscape() ? m->TopOffset : m->LeftOffset) = offset;
        return;
    }
    if (auto* f = dynamic_cast<TFreePaperInfo*>(&paper)) {
        for (int i = 0; i < f->Faces().Count(); ++i) {
            TFaceItem& item = *f->Faces().Items(i);
            if (paper.Landscape())
                item.SetTop(width - item.Top() - item.Height());
            else
                item.SetLeft(width - item.Left() - item.Width());
        }
    }
}
