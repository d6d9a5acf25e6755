#pragma once
// Registers the paper classes with the class registry (once; later calls do nothing):
// TMatrixPaperInfo, TFreePaperInfo and TPLStreamer.

void RegisterPaperClasses();
