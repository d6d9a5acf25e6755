#pragma once
// TComponent: a persistent object with a Name, a Tag and an owner. An owner destroys
// the components it owns; a destroyed component leaves its owner. The virtual hooks
// decide what a component stream contains and how it is read back.

#include "document/stream/Persistent.h"

#include <functional>
#include <vector>

template <class T>
class PropertyBuilder;

class TReader;

class TComponent : public TPersistent {
    VELLUMO_PERSISTENT(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* owner = nullptr);
    ~TComponent() override;

    static void DeclareProperties(PropertyBuilder<TComponent>& p);

    const QString& Name() const { return name_; }
    // Empty or an identifier ("コンポーネント名に ''%s'' は使えません"), unique among
    // the owner's components ("コンポーネント名 %s はすでに使われています").
    void SetName(const QString& name);
    int32_t Tag() const { return tag_; }
    void SetTag(int32_t tag) { tag_ = tag; }

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return int(components_.size()); }
    TComponent* Components(int index) const { return components_.at(size_t(index)); }
    // The owned component of that name, compared without regard to case.
    TComponent* FindComponent(QStringView name) const;
    // Takes ownership of `component` (from its previous owner, if any).
    void InsertComponent(TComponent* component);
    // Gives up ownership without destroying.
    void RemoveComponent(TComponent* component);

    // True while a stream is being read into this component, up to its AfterLoad call.
    bool Reading() const { return reading_; }

    // The components written as this one's children (none by default).
    virtual void EnumStreamChildren(const std::function<void(TComponent&)>& proc);
    // The owner of children created while reading; null means the root.
    virtual TComponent* ChildOwnerForLoad() { return nullptr; }
    // The component children read from the stream are attached to (this by default).
    virtual TComponent* ChildParentForLoad() { return this; }
    // Attaches this component to `parent` while it is read (does nothing by default).
    virtual void SetParentComponent(TComponent* parent);
    // Called once a whole stream has been read.
    virtual void AfterLoad() {}

    static bool IsValidName(QStringView name);

private:
    friend class TReader;
    friend void RegisterGlobalComponent(TComponent*);
    friend void UnregisterGlobalComponent(TComponent*);

    QString name_;
    int32_t tag_ = 0;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    bool reading_ = false;
    TReader* reader_ = nullptr;  // the read in progress that lists this component
    size_t readSlot_ = 0;
    bool global_ = false;
};
