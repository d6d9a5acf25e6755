#pragma once
// A designer for the site tests: two handles per selected object (hit 0 at the top-left,
// hit 7 at the bottom-right), a move ghost for hit -1 and a resize ghost for hit 7, and a
// record of what it was asked.

#include "drawing/DODesigner.h"
#include "drawing/DrawObjectRef.h"
#include "drawing/DrawSite.h"
#include "drawing/Facets.h"
#include "drawing/Ghost.h"

#include <QStringList>

class TTestGhost : public TGhost {
public:
    TTestGhost(TDrawObject* object, int hitCode) : object_(object), hit_(hitCode) {}
    void Start(QPoint) override {
        if (auto* e = QueryFacet<IDOEncloseBounds>(object_.Get())) start_ = now_ = e->GetBounds();
    }
    void Draw(TCanvas& canvas) override { canvas.rectangle(now_); }
    void Move(Qt::KeyboardModifiers shift, QPoint delta) override {
        lastShift = shift;
        if (hit_ == 7)
            now_ = {start_.Left, start_.Top, start_.Right + delta.x(), start_.Bottom + delta.y()};
        else
            now_ = {start_.Left + delta.x(), start_.Top + delta.y(), start_.Right + delta.x(),
                    start_.Bottom + delta.y()};
    }
    void Apply(Qt::KeyboardModifiers) override {
        auto* e = QueryFacet<IDOEncloseBounds>(object_.Get());
        if (!e) return;
        e->OffsetBy(now_.Left - start_.Left, now_.Top - start_.Top);
        e->SetEnclosingSize(now_.Width(), now_.Height());
    }
    static inline Qt::KeyboardModifiers lastShift;

private:
    TDrawObjectRef<> object_;
    int hit_;
    TRect start_, now_;
};

class TTestDesigner : public TDODesigner {
public:
    bool CreatePivots(TDrawObject* object) override {
        auto* site = dynamic_cast<TDrawSite*>(object->Site());
        const TRect b = object->GetBounds();
        site->PlaceHandle(std::make_unique<TLabelPivot>(object, 0, Qt::SizeFDiagCursor),
                          {b.Left, b.Top});
        site->PlaceHandle(std::make_unique<TLabelPivot>(object, 7, Qt::SizeFDiagCursor),
                          {b.Right, b.Bottom});
        return true;
    }
    bool BeginDrag(TDrawObject* object, int hitCode) override {
        drags << QStringLiteral("%1:%2").arg(object->Name()).arg(hitCode);
        TGhostList::Instance().Add(std::make_unique<TTestGhost>(object, hitCode));
        return true;
    }
    bool Edit(TDrawObject* object, bool& flag) override {
        edits << object->Name();
        flag = editFlag;
        return true;
    }
    QStringList drags;
    QStringList edits;
    bool editFlag = false;
};
