#pragma once
// Persisted classes used by the stream tests and the fuzz target.

#include "document/Strings.h"
#include "document/stream/Collection.h"
#include "document/stream/Component.h"
#include "document/stream/Extended80.h"
#include "document/stream/Font.h"

#include <QStringList>

enum TShape : int32_t { shRect, shCircle, shStar };
const EnumType& shapeType();

class TSampleItem : public TCollectionItem {
    VELLUMO_PERSISTENT(TSampleItem, TCollectionItem)
public:
    static void DeclareProperties(PropertyBuilder<TSampleItem>& p);
    void Assign(const TPersistent& source) override;

    QString id;
    int32_t value = 0;
    TComponent* link = nullptr;
};

class TSampleItems : public TOwnedCollection<TSampleItem> {
public:
    int updates = 0;

protected:
    void Update(TCollectionItem*) override { ++updates; }
};

class TSample : public TComponent {
    VELLUMO_PERSISTENT(TSample, TComponent)
public:
    TSample() { ++live(); }
    ~TSample() override { --live(); }
    static void DeclareProperties(PropertyBuilder<TSample>& p);
    // Objects alive, to show that failed reads leave none behind.
    static int& live() {
        static int n = 0;
        return n;
    }

    int32_t Width() const { return width; }
    void SetWidth(int32_t v) {
        width = v;
        if (Reading()) ++setDuringRead;
    }
    int32_t Area() const { return width * 2; }  // read-only
    bool CutStored() const { return cutWidth != cutHeight; }
    TFont* Font() const { return &font; }
    TStringList* Lines() const { return &lines; }
    TSampleItems* Items() const { return &items; }
    TComponent* Buddy() const { return buddy; }
    void SetBuddy(TComponent* c) { buddy = c; }

    void EnumStreamChildren(const std::function<void(TComponent&)>& proc) override;
    void AfterLoad() override;
    void DefineCustomProperties(TFiler& filer) override;

    int32_t width = 0;
    int32_t round = 100;
    int32_t color = 0;
    bool visible = true;
    bool locked = false;
    TShape shape = shRect;
    int32_t letter = 'A';
    double ratio = 0;
    Extended80 angle;
    QString caption;
    int32_t shapes = 0;
    int32_t imageDisplayLimitSize = 0;  // a name longer than any value code
    int32_t cutWidth = 410;
    int32_t cutHeight = 410;
    mutable TFont font;
    mutable TStringList lines;
    mutable TSampleItems items;
    TComponent* buddy = nullptr;
    QByteArray blob;
    int32_t cutCenter = 0;  // custom value property "Cut"
    int setDuringRead = 0;
    bool readingInAfterLoad = true;

    // Names of the components whose AfterLoad ran, in order (shared by all tests).
    static QStringList& afterLoadLog();
};

// Redeclares Round with another default (same position) and adds Extra.
class TSampleDerived : public TSample {
    VELLUMO_PERSISTENT(TSampleDerived, TSample)
public:
    static void DeclareProperties(PropertyBuilder<TSampleDerived>& p);
    int32_t extra = 0;
};

// A class with one integer, for hand-computed encodings.
class TTiny : public TComponent {
    VELLUMO_PERSISTENT(TTiny, TComponent)
public:
    static void DeclareProperties(PropertyBuilder<TTiny>& p);
    int32_t a = 0;
};

// A class name longer than any value code.
class TSampleWithAVeryLongClassName : public TComponent {
    VELLUMO_PERSISTENT(TSampleWithAVeryLongClassName, TComponent)
};

// Stands in for the draw-object base in object-list tests.
class TStandInDrawObject : public TComponent {
    VELLUMO_PERSISTENT(TStandInDrawObject, TComponent)
public:
    static void DeclareProperties(PropertyBuilder<TStandInDrawObject>& p);
    int32_t left = 0;
};

// Registered under its own name with the alias "TOldStandIn".
class TNewStandIn : public TStandInDrawObject {
    VELLUMO_PERSISTENT(TNewStandIn, TStandInDrawObject)
public:
    static void DeclareProperties(PropertyBuilder<TNewStandIn>& p);
    int32_t top = 0;
};

// Registers the classes above once.
// Object lists keep the stand-in draw objects, as the drawing layer's filter would.
void keepStandInObjects();
void registerSampleClasses();
