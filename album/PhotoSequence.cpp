#include "album/PhotoSequence.h"

#include "album/Messages.h"
#include "drawing/DrawObject.h"
#include "objects/AlbumPhoto.h"
#include "platform/Format.h"

#include <QScopeGuard>
#include <algorithm>

namespace {

QPoint centre(const TRect& r) {
    return {int((std::int64_t(r.Left) + r.Right) / 2), int((std::int64_t(r.Top) + r.Bottom) / 2)};
}

TRect frameRect(const TLOAlbumPhoto& p) {
    return p.LogBounds();
}

std::vector<TLOAlbumPhoto*> framesOf(const std::vector<TDrawObject*>& objects) {
    std::vector<TLOAlbumPhoto*> frames;
    for (TDrawObject* o : objects)
        if (auto* p = dynamic_cast<TLOAlbumPhoto*>(o)) frames.push_back(p);
    return frames;
}

TLOAlbumPhoto* firstSelectedFrame(const std::vector<TDrawObject*>& objects) {
    for (TLOAlbumPhoto* p : framesOf(objects))
        if (p->Selected()) return p;
    return nullptr;
}

// Restores the sheet that was current when an operation began, errors included.
class TSheetKeeper {
public:
    explicit TSheetKeeper(TPhotoSequenceContext& context)
        : context_(context), start_(context.CurrentSheet()) {}
    int Start() const { return start_; }
    void Return() {
        if (context_.CurrentSheet() != start_) context_.GoToPage(start_);
    }

private:
    TPhotoSequenceContext& context_;
    int start_;
};

}  // namespace

bool FrameComesBefore(const TRect& a, const TRect& b) {
    const QPoint ca = centre(a), cb = centre(b);
    if (ca.x() == cb.x()) return ca.y() < cb.y();
    if (ca.x() < cb.x()) return cb.y() >= a.Top;
    return b.Top >= ca.y();
}

std::vector<TLOAlbumPhoto*> FramesInReadingOrder(const std::vector<TDrawObject*>& objects) {
    std::vector<TLOAlbumPhoto*> rest = framesOf(objects);
    std::vector<TLOAlbumPhoto*> order;
    order.reserve(rest.size());
    while (!rest.empty()) {
        // The frame with the fewest remaining frames before it: none where the rule is
        // consistent, so the rule's own first frame.
        size_t best = 0;
        int bestCount = -1;
        for (size_t i = 0; i < rest.size(); ++i) {
            int count = 0;
            for (size_t j = 0; j < rest.size(); ++j)
                if (j != i && FrameComesBefore(frameRect(*rest[j]), frameRect(*rest[i]))) ++count;
            bool better = bestCount < 0 || count < bestCount;
            if (!better && count == bestCount) {
                const QPoint c = centre(frameRect(*rest[i])), cb = centre(frameRect(*rest[best]));
                better = c.y() < cb.y() || (c.y() == cb.y() && c.x() < cb.x());
            }
            if (better) {
                best = i;
                bestCount = count;
            }
        }
        order.push_back(rest[best]);
        rest.erase(rest.begin() + std::ptrdiff_t(best));
    }
    return order;
}

TLOAlbumPhoto* NextFrame(const std::vector<TDrawObject*>& objects, const TLOAlbumPhoto* after,
                         bool emptyOnly) {
    const std::vector<TLOAlbumPhoto*> order = FramesInReadingOrder(objects);
    auto it = order.begin();
    if (after) {
        it = std::find(order.begin(), order.end(), after);
        if (it == order.end()) return nullptr;
        ++it;
    }
    for (; it != order.end(); ++it)
        if (!emptyOnly || (*it)->IsEmptyFrame()) return *it;
    return nullptr;
}

bool HasPhotoFrames(const std::vector<TDrawObject*>& objects) {
    return !framesOf(objects).empty();
}

void CopyPhotoContent(TLOAlbumPhoto& target, const TLOAlbumPhoto& source) {
    if (&target == &source) return;
    const TRect rect = target.LogBounds();
    const bool selected = target.Selected(), movable = target.Movable();
    target.Assign(source);
    target.SetLogBounds(rect);
    target.SetMovable(movable);
    if (target.Selected() != selected) target.SetSelected(selected);
}

void ExchangePhotoContent(TLOAlbumPhoto& a, TLOAlbumPhoto& b) {
    TLOAlbumPhoto temp;
    CopyPhotoContent(temp, b);
    CopyPhotoContent(b, a);
    CopyPhotoContent(a, temp);
}

TSequenceResult InsertPhotoSlot(TPhotoSequenceContext& context) {
    TLOAlbumPhoto* s = firstSelectedFrame(context.SiteObjects());
    if (!s) return TSequenceResult::NotStarted;
    TSheetKeeper keeper(context);
    const auto back = qScopeGuard([&] { keeper.Return(); });

    // A new page is needed only when no empty frame follows the slot. Then the page limit
    // is checked before anything moves, so that a refused insertion loses no photo.
    if (!NextFrame(context.SiteObjects(), s, true)) {
        bool emptyLater = false;
        for (int j = context.CurrentSheet() + 1; j < context.SheetCount() && !emptyLater; ++j)
            emptyLater = context.HasStoredEmptyFrame(j);
        if (!emptyLater) {
            if (const std::optional<QString> refused = context.PageLimitMessage()) {
                context.ShowMessage(*refused);
                return TSequenceResult::PageLimit;
            }
        }
    }

    TLOAlbumPhoto carry;
    CopyPhotoContent(carry, *s);
    s->PhotoImageObj()->Picture()->Clear();
    context.SetProgressRange(1, std::max(1, context.SheetCount() - 2));
    const TLOAlbumPhoto* last = s;
    for (;;) {
        TLOAlbumPhoto* n = NextFrame(context.SiteObjects(), last, false);
        if (n && n->IsEmptyFrame()) {
            CopyPhotoContent(*n, carry);
            context.MarkSiteChanged();
            return TSequenceResult::Done;
        }
        if (n) {
            ExchangePhotoContent(carry, *n);
            last = n;
        } else {
            context.MarkSiteChanged();
            if (context.CurrentSheet() < context.SheetCount() - 1) {
                context.GoToPage(context.CurrentSheet() + 1);
            } else {
                context.StoreFace();
                int found = -1;
                for (int j = context.SheetCount() - 1; j >= 0 && found < 0; --j)
                    if (context.CountStoredFrames(j) > 0) found = j;
                // Without any page to copy the frames from, the photo has nowhere to go.
                if (found < 0) return TSequenceResult::NotStarted;
                if (const std::optional<QString> refused = context.PageLimitMessage()) {
                    context.ShowMessage(*refused);
                    return TSequenceResult::PageLimit;
                }
                context.AppendSheet();
                context.LayOutFromPage(found);
                context.MarkSiteChanged();
                // A page laid out without frames would be walked forever.
                if (!HasPhotoFrames(context.SiteObjects())) return TSequenceResult::NotStarted;
            }
            last = nullptr;
        }
        context.SetProgressPosition(context.CurrentSheet() - 1);
    }
}

TSequenceResult DeletePhoto(TPhotoSequenceContext& context) {
    TLOAlbumPhoto* p = firstSelectedFrame(context.SiteObjects());
    if (!p) return TSequenceResult::NotStarted;
    TLOAlbumPhoto carry;
    carry.SetMovable(false);
    for (TLOAlbumPhoto* n = NextFrame(context.SiteObjects(), p, false); n;
         n = NextFrame(context.SiteObjects(), n, false)) {
        CopyPhotoContent(*p, *n);
        if (p->Selected()) p->SetSelected(false);
        p = n;
    }
    TSheetKeeper keeper(context);
    const auto back = qScopeGuard([&] { keeper.Return(); });
    const int c = keeper.Start();
    const int count = context.SheetCount();
    context.SetProgressRange(1, std::max(1, count - c));
    for (int j = count - 1; j >= c; --j) {
        context.StoreFace();
        context.SelectSheet(j);
        context.SetProgressPosition(count - j);
        context.ShowSheet();
        const std::vector<TLOAlbumPhoto*> frames = FramesInReadingOrder(context.SiteObjects());
        if (frames.empty()) continue;
        if (j == c) {
            ExchangePhotoContent(carry, *frames.back());
            context.MarkSiteChanged();
        } else {
            for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
                ExchangePhotoContent(carry, **it);
                context.MarkSiteChanged();
            }
        }
    }
    return TSequenceResult::Done;
}

TSequenceResult FillEmptyFrames(TPhotoSequenceContext& context, int imageCount) {
    if (!HasPhotoFrames(context.SiteObjects())) {
        context.ShowMessage(msg::noPhotoFramesForFill());
        return TSequenceResult::NotStarted;
    }
    context.SetProgressRange(1, std::max(1, imageCount));
    for (int j = 0; j < imageCount;) {
        context.SetCounterText(platform::format(QStringLiteral("%d/%d"), j + 1, imageCount));
        TLOAlbumPhoto* f = NextFrame(context.SiteObjects(), nullptr, true);
        if (f) {
            TLoadedPhoto photo;
            context.LoadPhoto(j, photo);
            context.ShowPhoto(photo.Picture);
            if (context.StopRequested()) return TSequenceResult::Stopped;
            f->PhotoImageObj()->SetPicture(&photo.Picture);
            f->SetImageSource(photo.Source);
            f->SetPhotoDate(photo.Date);
            context.MarkSiteChanged();
            context.StepProgress();
            ++j;
        } else {
            if (const std::optional<QString> refused = context.PageLimitMessage()) {
                context.ShowMessage(*refused);
                return TSequenceResult::PageLimit;
            }
            context.AddPage();
            // A page added without an empty frame would be added again and again.
            if (!NextFrame(context.SiteObjects(), nullptr, true)) {
                context.ShowMessage(msg::noPhotoFramesForFill());
                return TSequenceResult::NotStarted;
            }
        }
        if (context.StopRequested()) return TSequenceResult::Stopped;
    }
    return TSequenceResult::Done;
}

void FlipFollowingPages(TPhotoSequenceContext& context, int from) {
    const int current = context.CurrentSheet();
    const auto back = qScopeGuard([&] { context.SelectSheet(current); });
    for (int k = from; k < context.SheetCount(); ++k) {
        context.SelectSheet(k);
        const TSequencePaper paper = context.LayoutPaper();
        std::vector<std::unique_ptr<TDrawObject>> objects = context.LoadFace(k);
        std::vector<TDrawObject*> raw;
        for (const auto& o : objects) {
            raw.push_back(o.get());
            auto* e = QueryFacet<IDOEncloseBounds>(o.get());
            if (!e) continue;
            const TRect b = e->GetBounds();
            if (paper.Landscape)
                e->OffsetBy(0, int(std::int64_t(paper.Height) - b.Bottom - b.Top));
            else
                e->OffsetBy(int(std::int64_t(paper.Width) - b.Right - b.Left), 0);
        }
        context.SaveFace(k, raw);
    }
}
