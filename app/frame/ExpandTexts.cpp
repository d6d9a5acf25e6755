#include "app/frame/ExpandTexts.h"

#include "app/frame/AppFrame.h"
#include "document/Strings.h"
#include "document/stream/Component.h"

#include <set>

namespace {

const QString kMacroStart = QStringLiteral("$(");

// Replaces `text` by its expansion; false when it does not expand.
bool expand(TAppFrame& frame, const QString& text, QString& out) {
    try {
        out = frame.Macro().Expand(text);
        return true;
    } catch (const EMacroString&) {
        return false;
    }
}

void expandObject(TAppFrame& frame, TPersistent& object, std::set<const TPersistent*>& seen) {
    if (!seen.insert(&object).second) return;
    if (auto* list = dynamic_cast<TStrings*>(&object)) {
        const QString text = list->Text();
        QString expanded;
        if (text.contains(kMacroStart) && expand(frame, text, expanded)) list->SetText(expanded);
    }
    for (const PropInfo& p : object.Properties().entries()) {
        if (!p.hasGetter() || !p.hasSetter() || !p.isStored(object)) continue;
        if (p.kind == PropKind::String) {
            const QString value = p.getString(object);
            QString expanded;
            if (value.contains(kMacroStart) && expand(frame, value, expanded)) p.setString(object, expanded);
        } else if (p.kind == PropKind::Class && p.getObject) {
            if (TPersistent* nested = p.getObject(object)) expandObject(frame, *nested, seen);
        }
    }
}

void expandTree(TAppFrame& frame, TComponent& c, std::set<const TPersistent*>& seen) {
    expandObject(frame, c, seen);
    for (int i = 0; i < c.ComponentCount(); ++i) expandTree(frame, *c.Components(i), seen);
}

}  // namespace

void ExpandComponentTexts(TAppFrame& frame, TComponent& component) {
    std::set<const TPersistent*> seen;
    expandTree(frame, component, seen);
}
