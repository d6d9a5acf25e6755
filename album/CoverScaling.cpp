#include "album/CoverScaling.h"

#include "document/stream/Font.h"
#include "drawing/DrawObject.h"
#include "objects/LOText.h"
#include "objects/TextFacets.h"
#include "platform/IntMath.h"

namespace {

int scale(int v, int num, int den) {
    return platform::mulDiv(v, num, den);
}

}  // namespace

void ScaleObjectsToFace(const std::vector<TDrawObject*>& objects, const TRect& from,
                        const TRect& to) {
    const int tw = from.Width(), th = from.Height(), fw = to.Width(), fh = to.Height();
    // A face without width or height has nothing to scale from or to.
    if (tw <= 0 || th <= 0 || fw <= 0 || fh <= 0) return;
    if (tw == fw && th == fh) return;
    const auto map = [&](QPoint p) { return QPoint(scale(p.x(), fw, tw), scale(p.y(), fh, th)); };
    for (TDrawObject* o : objects) {
        auto* text = dynamic_cast<TLOText*>(o);
        auto* curve = QueryFacet<IDOCurve>(o);
        if (text && curve && text->Bulge() != 0) {
            curve->BeginCurveEdit();
            curve->SetStartPoint(map(curve->StartPoint()));
            curve->SetEndPoint(map(curve->EndPoint()));
            curve->SetBulgePoint(map(curve->BulgePoint()));
            curve->EndCurveEdit();
        } else if (auto* e = QueryFacet<IDOEncloseBounds>(o)) {
            const TRect old = e->GetBounds();
            const QPoint centre = map({int((std::int64_t(old.Left) + old.Right) / 2),
                                       int((std::int64_t(old.Top) + old.Bottom) / 2)});
            e->SetEnclosingSize(scale(old.Width(), fw, tw), scale(old.Height(), fh, th));
            const TRect now = e->GetBounds();
            e->OffsetBy(centre.x() - int((std::int64_t(now.Left) + now.Right) / 2),
                        centre.y() - int((std::int64_t(now.Top) + now.Bottom) / 2));
        }
    }
    const bool byHeight = double(fw) / tw >= double(fh) / th;
    for (TDrawObject* o : objects) {
        if (auto* f = QueryFacet<IDOFont>(o)) {
            TFont font;
            font.Assign(*f->Font());
            font.SetSize(byHeight ? scale(font.Size(), fh, th) : scale(font.Size(), fw, tw));
            f->SetFont(font);
        }
        if (auto* a = QueryFacet<IDOAutoSize>(o); a && a->AutoSize()) {
            a->SetAutoSize(false);
            a->SetAutoSize(true);
        }
    }
}

void RemoveCover(TCoverContext& context, bool front) {
    const int c = context.CurrentSheet();
    context.SelectSheet(front ? 0 : 1);
    context.ClearFace(0);
    context.SetCoverDesigned(front, false);
    if (c > 1)
        context.SelectSheet(c);
    else
        context.SelectSheet(front ? std::min(2, context.SheetCount() - 1)
                                  : context.SheetCount() - 1);
}
