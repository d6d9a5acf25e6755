#include "album/PageLimits.h"

#include "album/LabelData.h"
#include "album/Messages.h"
#include "paper/PaperInfo.h"
#include "platform/Exception.h"

bool IsAlbumPaper(const TPaperInfo& paper) {
    return paper.GroupName().contains(QStringLiteral("フォトアルバム"));
}

bool IsCoverPaper(const TPaperInfo& paper) {
    return paper.PaperName().contains(QStringLiteral("表紙"));
}

int PageLimit(const TPaperInfo& paper) {
    if (!IsAlbumPaper(paper)) return 0;
    if (IsCoverPaper(paper)) return 1;
    return paper.PaperName().contains(QStringLiteral("見開")) ? 6 : 12;
}

int PageCount(const TLabelData& data) {
    return data.SheetCount() - 2;
}

std::optional<QString> PageLimitMessage(const TLabelData& data) {
    const int limit = PageLimit(data.SheetPaper());
    if (limit > 0 && PageCount(data) >= limit) return msg::pageLimitExceeded(limit);
    return std::nullopt;
}

void AddPage(TLabelData& data, int after) {
    if (const auto message = PageLimitMessage(data)) throw Exception(*message);
    const int position = (after >= 0 ? after : data.CurrentSheet()) + 1;
    data.AddSheet();
    if (position < data.SheetCount() - 1) data.MoveSheet(position);
}
