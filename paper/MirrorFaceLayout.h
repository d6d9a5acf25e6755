#pragma once
// Mirrors the positions of a paper's faces left to right as the paper is shown, for
// printing the back side of a sheet: on a portrait paper along its width, on a landscape
// paper along the landscape width (the portrait height).

class TPaperInfo;

void MirrorFaceLayout(TPaperInfo& paper);
