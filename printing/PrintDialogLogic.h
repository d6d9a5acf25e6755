#pragma once
// What the print dialog "印刷" decides, without its widgets: the sheets a page choice
// selects, the cover list, and the paper-size question.

#include "printing/PrintRun.h"

#include <QSize>
#include <QStringList>

enum class TPageChoice { AllPages, Range, Covers };

struct TPrintDialogState {
    TPageChoice Choice = TPageChoice::AllPages;
    int FirstPage = 1, LastPage = 1;  // pages count from 1 (page p is sheet p + 1)
    int CoverItem = 0;                // index into CoverItems()
    QPoint Offset;                    // "左から", "上から" in 0.1 mm, -999 .. 999
};

class TPrintDialogLogic {
public:
    TPrintDialogLogic(int sheetCount, bool frontCover, bool backCover);

    int PageCount() const { return std::max(sheetCount_ - 2, 0); }
    // "表表紙+裏表紙" first when both covers exist, then "表表紙のみ", "裏表紙のみ".
    QStringList CoverItems() const;
    bool CoversEnabled() const { return !CoverItems().isEmpty(); }
    // The range edits' limits: a typed start below 1 is raised, an end beyond the pages
    // lowered.
    void Clamp(TPrintDialogState& state) const;
    // The sheets the state selects, into `spec` (flags cleared first), with the offset.
    void Apply(const TPrintDialogState& state, TPrintSpec& spec) const;
    // "印刷開始" is enabled while at least one sheet is selected.
    bool CanStart(const TPrintDialogState& state) const;

private:
    int sheetCount_;
    bool front_, back_;
};

// The size question: the printer's physical page (0.1 mm) differs from the paper by 2 mm
// or more in either direction.
bool PaperSizeDiffers(QSize printerPage, QSize paper);
