#pragma once
// Objects whose classes this program does not implement yet are kept as data: every
// stored property is kept as its stored bytes and written back unchanged, and children
// are kept as they were read. So a document never loses objects it cannot show.
//
// TKeptObject is a draw object under the stored class name (shapes, decorated strings,
// barcodes, OLE objects, illustrations, groups): it paints nothing and has
// no bounds; its stored class is below TComponent (not TDrawObject), so none of its
// properties is taken as a draw object's.

#include "drawing/DrawObject.h"

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// The stored properties of a kept object, in stored order.
class KeptProperties {
public:
    // Reading: takes the property being read. Writing: writes every kept property.
    void define(TFiler& filer);
    bool empty() const { return values_.empty(); }
    int count() const { return int(values_.size()); }
    const std::vector<std::pair<QString, QByteArray>>& values() const { return values_; }
    void assign(const KeptProperties& other) { values_ = other.values_; }

private:
    std::vector<std::pair<QString, QByteArray>> values_;
};

class TKeptObject : public TDrawObject {
public:
    explicit TKeptObject(const PersistentClass& cls) : cls_(cls) {}
    const PersistentClass& ClassType() const override { return cls_; }

    void DefineCustomProperties(TFiler& filer) override;
    void EnumStreamChildren(const std::function<void(TComponent&)>& proc) override;
    TComponent* ChildOwnerForLoad() override { return this; }

    int HitTest(QPoint) override { return 0; }
    TRect GetBounds() const override { return {}; }
    void CreatePivots() override {}
    void BeginDrag(int) override {}

    const KeptProperties& Kept() const { return kept_; }

protected:
    void AssignProperties(const TDrawObject& source) override;

private:
    const PersistentClass& cls_;
    KeptProperties kept_;
};

// The stored names kept as draw objects.
const QStringList& KeptObjectClassNames();
// Registers every kept name that no class of the program has taken (call after the real
// classes are registered); later calls do nothing.
void RegisterKeptClasses();
