#pragma once
// How many pages (sheets after the two covers) an album paper allows.

#include <QString>
#include <optional>

class TLabelData;
class TPaperInfo;

// Papers of the photo-album group, and among them the covers.
bool IsAlbumPaper(const TPaperInfo& paper);
bool IsCoverPaper(const TPaperInfo& paper);
// 1 for an album cover paper, 6 for a two-page spread paper, 12 for other album papers;
// 0 (no limit) for papers outside the photo-album group.
int PageLimit(const TPaperInfo& paper);
// The document's pages: sheets minus the two covers.
int PageCount(const TLabelData& data);
// Null when another page may be added to the document with the current sheet's paper,
// else the message that refuses it.
std::optional<QString> PageLimitMessage(const TLabelData& data);
// Adds a page directly after the current sheet (or after `after` when given) and makes it
// current, as the layout window does; refused with the limit message (raised).
void AddPage(TLabelData& data, int after = -1);
