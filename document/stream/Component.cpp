#include "document/stream/Component.h"

#include "document/Messages.h"
#include "document/stream/GlobalComponents.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Reader.h"
#include "document/stream/StreamErrors.h"

#include <algorithm>
#include <iterator>

VELLUMO_DEFINE_PERSISTENT(TComponent)

void TComponent::DeclareProperties(PropertyBuilder<TComponent>& p) {
    p.string("Name", &TComponent::Name, &TComponent::SetName).stored(false);
    p.integer("Tag", &TComponent::Tag, &TComponent::SetTag).defaultValue(0);
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    if (reader_) TReader::componentDestroyed(this);
    if (global_) UnregisterGlobalComponent(this);
    while (!components_.empty()) delete components_.back();  // each one leaves this list
    if (owner_) owner_->RemoveComponent(this);
}

bool TComponent::IsValidName(QStringView name) {
    if (name.isEmpty()) return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
        const bool digit = c >= u'0' && c <= u'9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

void TComponent::SetName(const QString& name) {
    if (name == name_) return;
    if (!name.isEmpty() && !IsValidName(name))
        throw EComponentError(msg::invalidComponentName(name));
    if (owner_ && !name.isEmpty()) {
        TComponent* other = owner_->FindComponent(name);
        if (other && other != this) throw EComponentError(msg::duplicateComponentName(name));
    }
    name_ = name;
}

TComponent* TComponent::FindComponent(QStringView name) const {
    if (name.isEmpty()) return nullptr;
    for (TComponent* c : components_)
        if (c->name_.compare(name, Qt::CaseInsensitive) == 0) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component || component->owner_ == this) return;
    if (!component->name_.isEmpty() && FindComponent(component->name_))
        throw EComponentError(msg::duplicateComponentName(component->name_));
    if (component->owner_) component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* component) {
    // From the back: components are destroyed last first.
    const auto it = std::find(components_.rbegin(), components_.rend(), component);
    if (it == components_.rend()) return;
    components_.erase(std::next(it).base());
    component->owner_ = nullptr;
}

void TComponent::EnumStreamChildren(const std::function<void(TComponent&)>&) {}

void TComponent::SetParentComponent(TComponent*) {}
