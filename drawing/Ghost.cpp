#include "drawing/Ghost.h"

#include "drawing/DrawSite.h"
#include "drawing/DrawSiteHost.h"
#include "drawing/SelectGhost.h"

TGhostList& TGhostList::Instance() {
    static TGhostList list;
    return list;
}

void TGhostList::Add(std::unique_ptr<TGhost> ghost) {
    ghosts_.push_back(std::move(ghost));
}

bool TGhostList::IsSelectionOnly() const {
    return ghosts_.size() == 1 && dynamic_cast<const TSelectGhost*>(ghosts_.front().get());
}

void TGhostList::StartDrag(TDrawSite& site, const TRect& limit, QPoint point,
                           Qt::KeyboardModifiers shift) {
    if (site.Host()) site.Host()->SiteUpdateNow();
    site_ = &site;
    moved_ = false;
    start_ = last_ = point;
    lastShift_ = shift & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier);
    for (const auto& g : ghosts_) {
        g->LimitRect = limit;
        g->Site = &site;
        g->Start(point);
    }
    DrawAll();
    running_ = true;
}

void TGhostList::DragMove(Qt::KeyboardModifiers shift, QPoint point) {
    if (!running_) return;
    shift &= Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier;
    if (point == last_ && shift == lastShift_) return;
    moved_ = true;
    last_ = point;
    lastShift_ = shift;
    DrawAll();
    for (const auto& g : ghosts_) g->Move(shift, point - start_);
    DrawAll();
}

void TGhostList::EndDrag() {
    struct Clear {
        TGhostList* list;
        ~Clear() { list->clear(); }
    } clearAtEnd{this};
    if (!running_) return;
    DrawAll();
    if (moved_)
        for (const auto& g : ghosts_) g->Apply(lastShift_);
}

void TGhostList::Cancel() {
    if (running_) DrawAll();
    clear();
}

void TGhostList::DrawAll() {
    if (!site_ || !site_->HasWindow() || ghosts_.empty()) return;
    TCanvas& c = site_->ScreenCanvas();
    {
        TCanvasSaver saver(c, true);
        c.setMapping(platform::Mapping{});
        c.selectClip(std::nullopt);
        site_->Scaler().PrepareCanvas(c);
        c.tools().brush = platform::Brush{platform::BrushStyle::Clear, clWhite, {}};
        c.tools().pen = platform::Pen{platform::PenStyle::Dot, 0, clWhite, platform::Rop2::XorPen};
        c.tools().mix = platform::Rop2::XorPen;
        for (const auto& g : ghosts_) g->Draw(c);
    }
    if (site_->Host()) site_->Host()->SiteScreenDrawn();
}

void TGhostList::clear() {
    const bool had = !ghosts_.empty();
    ghosts_.clear();
    running_ = false;
    site_ = nullptr;
    if (had && OnEnd) {
        // The callback may register a new one; take this one out first.
        const std::function<void()> end = std::move(OnEnd);
        OnEnd = nullptr;
        end();
    }
}
