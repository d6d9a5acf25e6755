#pragma once
// The face object transforms with the faces taken from a paper: turning portrait layouts
// onto landscape papers, mirroring for back sides, and loading a face's design objects.

#include "drawing/DrawObject.h"
#include "drawing/FaceObjects.h"
#include "paper/PaperInfo.h"

// The face's rectangle in the paper's orientation and in the other one; the paper's
// orientation is toggled and put back, also when asking fails.
TFaceTurn FaceTurnOf(TPaperInfo& paper, int face);
void TurnFaceObjects(const TDOList& list, TPaperInfo& paper, int face, bool faceRelative);
void MirrorFaceObjects(const TDOList& list, const TPaperInfo& paper, int face);
// The design objects of `face` onto `site`, turned when the paper is landscape.
void LoadDesignObjects(TDrawSite& site, std::vector<std::unique_ptr<TDrawObject>> objects,
                       TPaperInfo& paper, int face);
