#pragma once
// Registers the paper classes with the class registry (once; later calls do nothing):
// TMatrixPaperInfo, TFreePaperInfo, TPLStreamer,
// the extras TExPaperInfo, TImagePaperInfo and TExAlbumInfo, and TPaperUpdate.

void RegisterPaperClasses();
