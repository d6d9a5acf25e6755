#include "drawing/DODesigner.h"

#include "drawing/DrawObject.h"
#include "drawing/DrawSite.h"

#include <algorithm>

const QUuid& IDODesigner::InterfaceId() {
    static const QUuid id(QStringLiteral("{3DE184C9-3C1E-41AE-B20A-A06CE1EA0359}"));
    return id;
}

bool TDODesigner::CreateObject(TDrawSite*, const QString&) {
    return false;
}

std::unique_ptr<TDrawObject> TDODesigner::NewObject(const QString&) {
    return nullptr;
}

bool TDODesigner::Edit(TDrawObject*, bool&) {
    return false;
}

bool TDODesigner::CreatePivots(TDrawObject*) {
    return false;
}

bool TDODesigner::BeginDrag(TDrawObject*, int) {
    return false;
}

TDODesignerList& TDODesignerList::Instance() {
    static TDODesignerList list;
    return list;
}

void TDODesignerList::Register(std::shared_ptr<IDODesigner> designer) {
    if (designer) designers_.push_back(std::move(designer));
}

void TDODesignerList::Unregister(const IDODesigner* designer) {
    std::erase_if(designers_, [designer](const auto& d) { return d.get() == designer; });
}

void TDODesignerList::ModuleUnloaded(const QString& moduleName) {
    std::erase_if(designers_, [&](const auto& d) {
        const auto* base = dynamic_cast<const TDODesigner*>(d.get());
        return base && !moduleName.isEmpty() && base->ModuleName() == moduleName;
    });
}

bool TDODesignerList::CreateObject(TDrawSite* site, const QString& className) {
    const auto list = snapshot();
    return std::any_of(list.rbegin(), list.rend(),
                       [&](const auto& d) { return d->CreateObject(site, className); });
}

std::unique_ptr<TDrawObject> TDODesignerList::NewObject(const QString& className) {
    const auto list = snapshot();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (std::unique_ptr<TDrawObject> o = (*it)->NewObject(className)) return o;
    return nullptr;
}

bool TDODesignerList::CreatePivots(TDrawObject* object) {
    const auto list = snapshot();
    return std::any_of(list.rbegin(), list.rend(),
                       [&](const auto& d) { return d->CreatePivots(object); });
}

bool TDODesignerList::BeginDrag(TDrawObject* object, int hitCode) {
    const auto list = snapshot();
    return std::any_of(list.rbegin(), list.rend(),
                       [&](const auto& d) { return d->BeginDrag(object, hitCode); });
}

bool TDODesignerList::EditObject(TDrawObject* object) {
    const TDrawObjectRef<> ref(object);
    bool flag = true;
    const auto list = snapshot();
    const bool handled = std::any_of(list.rbegin(), list.rend(),
                                     [&](const auto& d) { return d->Edit(object, flag); });
    if (!handled) return false;
    // The edit may have freed the object.
    if (TDrawObject* o = ref.Get())
        if (auto* site = dynamic_cast<TDrawSite*>(o->Site())) {
            site->FreeHandles();
            site->UpdateHandles();
        }
    return !flag;
}

TDODesignerRegistration::TDODesignerRegistration(std::shared_ptr<IDODesigner> designer)
    : designer_(designer.get()) {
    TDODesignerList::Instance().Register(std::move(designer));
}

TDODesignerRegistration::~TDODesignerRegistration() {
    TDODesignerList::Instance().Unregister(designer_);
}
