#include "printing/PrintDialogLogic.h"

#include "printing/Messages.h"

TPrintDialogLogic::TPrintDialogLogic(int sheetCount, bool frontCover, bool backCover)
    : sheetCount_(sheetCount), front_(frontCover), back_(backCover) {}

QStringList TPrintDialogLogic::CoverItems() const {
    QStringList items;
    if (front_ && back_) items << msg::bothCoversItem();
    if (front_) items << msg::frontCoverOnlyItem();
    if (back_) items << msg::backCoverOnlyItem();
    return items;
}

void TPrintDialogLogic::Clamp(TPrintDialogState& s) const {
    const int last = std::max(PageCount(), 1);
    s.FirstPage = std::clamp(s.FirstPage, 1, last);
    s.LastPage = std::clamp(s.LastPage, 1, last);
    s.Offset = {std::clamp(s.Offset.x(), -999, 999), std::clamp(s.Offset.y(), -999, 999)};
}

void TPrintDialogLogic::Apply(const TPrintDialogState& s, TPrintSpec& spec) const {
    spec.SheetFlags.clear();
    spec.PrintOffset = s.Offset;
    switch (s.Choice) {
        case TPageChoice::AllPages:
            for (int i = 2; i < sheetCount_; ++i) spec.SetSheetFlag(i, true);
            break;
        case TPageChoice::Range:
            for (int p = std::max(s.FirstPage, 1); p <= std::min(s.LastPage, PageCount()); ++p)
                spec.SetSheetFlag(p + 1, true);
            break;
        case TPageChoice::Covers: {
            const QStringList items = CoverItems();
            if (s.CoverItem < 0 || s.CoverItem >= items.size()) break;
            const QString& item = items[s.CoverItem];
            if (item == msg::bothCoversItem() || item == msg::frontCoverOnlyItem())
                spec.SetSheetFlag(0, true);
            if (item == msg::bothCoversItem() || item == msg::backCoverOnlyItem())
                spec.SetSheetFlag(1, true);
            break;
        }
    }
}

bool TPrintDialogLogic::CanStart(const TPrintDialogState& s) const {
    TPrintSpec spec;
    Apply(s, spec);
    return spec.SelectedSheetCount() > 0;
}

bool PaperSizeDiffers(QSize printerPage, QSize paper) {
    return std::abs(printerPage.width() - paper.width()) >= 20 ||
           std::abs(printerPage.height() - paper.height()) >= 20;
}
