#pragma once
// TPrintSpec: what one print run prints. Lengths in 0.1 mm.

#include <QByteArray>
#include <QPoint>

class TPrintSpec {
public:
    int Copies = 1;
    bool DrawFaceOutline = false;
    bool DrawTrimLine = false;
    bool PrintPaperExtras = false;
    QPoint PrintOffset;  // positive moves right / down
    bool AllFaces = true;
    int Resolution = 0;  // band rendering dpi; 0 = default
    bool NoPaperChangeMessage = true;

    // Index 0 is the front cover, 1 the back cover, 2 and up the pages. Setting beyond the
    // end grows the array; reading beyond it answers false.
    bool SheetFlag(int index) const { return flag(SheetFlags, index); }
    void SetSheetFlag(int index, bool value) { setFlag(SheetFlags, index, value); }
    bool FaceFlag(int index) const { return flag(FaceFlags, index); }
    void SetFaceFlag(int index, bool value) { setFlag(FaceFlags, index, value); }
    bool FaceSelected(int index) const { return AllFaces || FaceFlag(index); }
    // Sheets in a list such as "0,2-4" (raises msg::sheetListInvalid() for a bad one).
    void SelectSheets(const QString& list, int sheetCount);
    int SelectedSheetCount() const;
    // The highest selected sheet index, -1 when none.
    int LastSelectedSheet() const;

    QByteArray SheetFlags;
    QByteArray FaceFlags;

private:
    static bool flag(const QByteArray& a, int i) { return i >= 0 && i < a.size() && a[i] != 0; }
    static void setFlag(QByteArray& a, int i, bool v) {
        if (i < 0) return;
        if (i >= a.size()) a.append(QByteArray(i + 1 - a.size(), '\0'));
        a[i] = v ? 1 : 0;
    }
};
