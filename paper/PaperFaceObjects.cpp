#include "paper/PaperFaceObjects.h"

#include <QScopeGuard>

TFaceTurn FaceTurnOf(TPaperInfo& paper, int face) {
    TFaceTurn turn;
    turn.Face = paper.GetFaceBounds(face);
    const bool landscape = paper.Landscape();
    paper.SetLandscape(!landscape);
    const auto restore = qScopeGuard([&] { paper.SetLandscape(landscape); });
    turn.Toggled = paper.GetFaceBounds(face);
    return turn;
}

void TurnFaceObjects(const TDOList& list, TPaperInfo& paper, int face, bool faceRelative) {
    TurnFaceObjects(list, FaceTurnOf(paper, face), faceRelative);
}

void MirrorFaceObjects(const TDOList& list, const TPaperInfo& paper, int face) {
    MirrorFaceObjects(list, paper.GetFaceBounds(face), paper.Landscape());
}

void LoadDesignObjects(TDrawSite& site, std::vector<std::unique_ptr<TDrawObject>> objects,
                       TPaperInfo& paper, int face) {
    std::optional<TFaceTurn> turn;
    if (paper.Landscape()) turn = FaceTurnOf(paper, face);
    LoadDesignObjects(site, std::move(objects), turn);
}
