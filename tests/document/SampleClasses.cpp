#include "tests/document/SampleClasses.h"

#include "document/stream/ClassRegistry.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Reader.h"
#include "document/stream/Stream.h"
#include "document/stream/Writer.h"

#include <mutex>

VELLUMO_DEFINE_PERSISTENT(TSampleItem)
VELLUMO_DEFINE_PERSISTENT(TSample)
VELLUMO_DEFINE_PERSISTENT(TSampleDerived)
VELLUMO_DEFINE_PERSISTENT(TTiny)
VELLUMO_DEFINE_PERSISTENT(TSampleWithAVeryLongClassName)
VELLUMO_DEFINE_PERSISTENT(TStandInDrawObject)
VELLUMO_DEFINE_PERSISTENT(TNewStandIn)

const EnumType& shapeType() {
    static const EnumType t{
        QStringLiteral("TShape"),
        {QStringLiteral("shRect"), QStringLiteral("shCircle"), QStringLiteral("shStar")}};
    return t;
}

void TSampleItem::DeclareProperties(PropertyBuilder<TSampleItem>& p) {
    p.string("ID", &TSampleItem::id, &TSampleItem::id);
    p.integer("Value", &TSampleItem::value, &TSampleItem::value).defaultValue(0);
    p.reference("Link", &TSampleItem::link, &TSampleItem::link);
}

void TSampleItem::Assign(const TPersistent& source) {
    const auto* o = dynamic_cast<const TSampleItem*>(&source);
    if (!o) return TCollectionItem::Assign(source);
    id = o->id;
    value = o->value;
}

void TSample::DeclareProperties(PropertyBuilder<TSample>& p) {
    p.integer("Width", &TSample::Width, &TSample::SetWidth);
    p.integer("Round", &TSample::round, &TSample::round).defaultValue(100);
    p.color("Color", &TSample::color, &TSample::color).defaultValue(clBlack);
    p.boolean("Visible", &TSample::visible, &TSample::visible);
    p.boolean("Locked", &TSample::locked, &TSample::locked).defaultValue(false);
    p.enumeration("Shape", &TSample::shape, &TSample::shape, shapeType()).defaultValue(shRect);
    p.character("Letter", &TSample::letter, &TSample::letter).defaultValue('A');
    p.floating("Ratio", &TSample::ratio, &TSample::ratio);
    p.floating("Angle", &TSample::angle, &TSample::angle);
    p.string("Caption", &TSample::caption, &TSample::caption);
    p.set("Shapes", &TSample::shapes, &TSample::shapes, shapeType()).defaultValue(0);
    p.integer("CutWidth", &TSample::cutWidth, &TSample::cutWidth)
        .defaultValue(410)
        .storedIf(&TSample::CutStored);
    p.integer("CutHeight", &TSample::cutHeight, &TSample::cutHeight)
        .defaultValue(410)
        .storedIf(&TSample::CutStored);
    p.persistent("Font", &TSample::Font);
    p.persistent("Lines", &TSample::Lines);
    p.collection("Items", &TSample::Items);
    p.reference("Buddy", &TSample::Buddy, &TSample::SetBuddy);
    p.integer("ImageDisplayLimitSize", &TSample::imageDisplayLimitSize,
              &TSample::imageDisplayLimitSize)
        .defaultValue(0);
    p.integer("Area", &TSample::Area, nullptr);
    p.method("OnClick");
}

void TSample::EnumStreamChildren(const std::function<void(TComponent&)>& proc) {
    for (int i = 0; i < ComponentCount(); ++i) proc(*Components(i));
}

void TSample::AfterLoad() {
    readingInAfterLoad = Reading();
    afterLoadLog() << Name();
    // Lets tests destroy a component that is still waiting for its AfterLoad.
    if (caption == u"destroy victim" && Owner()) delete Owner()->FindComponent(u"Victim");
}

void TSample::DefineCustomProperties(TFiler& filer) {
    TComponent::DefineCustomProperties(filer);
    filer.DefineValueProperty(
        QStringLiteral("Cut"), [this](TReader& r) { cutCenter = r.ReadInteger(); },
        [this](TWriter& w) { w.WriteInteger(cutCenter); }, cutCenter != 0);
    filer.DefineBlobProperty(
        QStringLiteral("Data"),
        [this](TStream& s) {
            blob = QByteArray(int(s.Size()), '\0');
            s.ReadBuffer(blob.data(), blob.size());
        },
        [this](TStream& s) { s.WriteBytes(blob); }, !blob.isEmpty());
}

QStringList& TSample::afterLoadLog() {
    static QStringList log;
    return log;
}

void TSampleDerived::DeclareProperties(PropertyBuilder<TSampleDerived>& p) {
    p.integer("Round", &TSampleDerived::round, &TSampleDerived::round).defaultValue(50);
    p.integer("Extra", &TSampleDerived::extra, &TSampleDerived::extra);
}

void TTiny::DeclareProperties(PropertyBuilder<TTiny>& p) {
    p.integer("A", &TTiny::a, &TTiny::a);
}

void TStandInDrawObject::DeclareProperties(PropertyBuilder<TStandInDrawObject>& p) {
    p.integer("Left", &TStandInDrawObject::left, &TStandInDrawObject::left).defaultValue(0);
}

void TNewStandIn::DeclareProperties(PropertyBuilder<TNewStandIn>& p) {
    p.integer("Top", &TNewStandIn::top, &TNewStandIn::top).defaultValue(0);
}

void registerSampleClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterPersistentClass<TSampleDerived>();  // registers TSample too
        RegisterPersistentClass<TTiny>();
        RegisterPersistentClass<TSampleWithAVeryLongClassName>();
        RegisterPersistentClass<TNewStandIn>();  // and TStandInDrawObject
        RegisterClassAlias(TNewStandIn::StaticClass(), QStringLiteral("TOldStandIn"));
    });
}

void keepStandInObjects() {
    SetObjectListFilter(
        [](const TComponent& c) { return c.InheritsFrom(TStandInDrawObject::StaticClass()); });
}
