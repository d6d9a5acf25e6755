#pragma once
// TMatrixPaperInfo: faces of one size in a grid, numbered row by row, left to right,
// top row first; every face shares the paper's one set of face settings.

#include "paper/FaceSettings.h"
#include "paper/PaperInfo.h"

class TMatrixPaperInfo : public TPaperInfo {
    VELLUMO_PERSISTENT(TMatrixPaperInfo, TPaperInfo)
public:
    TMatrixPaperInfo() = default;
    static void DeclareProperties(PropertyBuilder<TMatrixPaperInfo>& p);
    void DefineCustomProperties(TFiler& filer) override;

    int TopOffset = 0;     // top edge of the first row
    int LeftOffset = 0;    // left edge of the first column
    int BottomMargin = 0;  // gap between rows
    int RightMargin = 0;   // gap between columns
    int FaceWidth = 0;
    int FaceHeight = 0;
    int FaceCountX = 0;
    int FaceCountY = 0;
    FaceSettings Face;

    // No faces when either count is 0 or below.
    int GetFaceCount() const override;
    TFaceShape GetFaceShape(int i) const override;
    TRect GetFaceRect(int i) const override;
    int GetFaceMargin(int i) const override;
    QSize GetCutCenter(int i) const override;
    int GetRoundSize(int i) const override;
    TCenterShape GetCenterShape(int i) const override;
    QString GetStoredFacePurpose(int i) const override;

protected:
    void AssignFaces(const TPaperInfo& source) override;
};
