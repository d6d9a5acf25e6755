// The owner tree, the class registry and references to top-level components.
#include "document/stream/ClassRegistry.h"
#include "document/stream/GlobalComponents.h"
#include "document/stream/PendingReferences.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/StreamErrors.h"
#include "tests/document/SampleClasses.h"
#include "tests/document/StreamTestUtil.h"

#include <gtest/gtest.h>

namespace first {
class TClash : public TComponent {
    VELLUMO_PERSISTENT(TClash, TComponent)
};
VELLUMO_DEFINE_PERSISTENT(TClash)
}  // namespace first
namespace second {
class TClash : public TComponent {
    VELLUMO_PERSISTENT(TClash, TComponent)
};
VELLUMO_DEFINE_PERSISTENT(TClash)
}  // namespace second

class TRegBase : public TComponent {
    VELLUMO_PERSISTENT(TRegBase, TComponent)
};
VELLUMO_DEFINE_PERSISTENT(TRegBase)
class TRegLeaf : public TRegBase {
    VELLUMO_PERSISTENT(TRegLeaf, TRegBase)
};
VELLUMO_DEFINE_PERSISTENT(TRegLeaf)

// Declares its properties with its base's builder by mistake.
class TMisdeclared : public TTiny {
    VELLUMO_PERSISTENT(TMisdeclared, TTiny)
public:
    static void DeclareProperties(PropertyBuilder<TTiny>& p) {
        p.integer("B", &TTiny::a, &TTiny::a);
    }
};
VELLUMO_DEFINE_PERSISTENT(TMisdeclared)

TEST(PropertyTablesDeathTest, BuilderOfAnotherClassIsReported) {
    EXPECT_DEATH(TMisdeclared::StaticClass(),
                 "TMisdeclared::DeclareProperties must take PropertyBuilder<TMisdeclared>");
}

TEST(OwnerTree, OwnerDestroysWhatItOwns) {
    const int before = TSample::live();
    auto* owner = new TSample;
    auto* a = new TSample;
    owner->InsertComponent(a);
    auto* b = new TSample;
    a->InsertComponent(b);
    EXPECT_EQ(b->Owner(), a);
    delete a;  // takes b with it and leaves its owner
    EXPECT_EQ(owner->ComponentCount(), 0);
    EXPECT_EQ(TSample::live(), before + 1);
    auto loose = std::make_unique<TSample>();  // unowned: not affected
    auto* c = new TSample;
    owner->InsertComponent(c);
    delete owner;
    EXPECT_EQ(TSample::live(), before + 1);
    loose.reset();
}

TEST(OwnerTree, NamesAreIdentifiersAndUniquePerOwner) {
    TSample owner;
    TComponent* a = new TComponent(&owner);
    a->SetName(QStringLiteral("Frame_1"));
    auto* b = new TComponent(&owner);
    try {
        b->SetName(QStringLiteral("frame_1"));
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.message(), "コンポーネント名 frame_1 はすでに使われています");
    }
    EXPECT_THROW(b->SetName(QStringLiteral("two words")), EComponentError);
    EXPECT_THROW(b->SetName(QStringLiteral("写真")), EComponentError);
    b->SetName(QStringLiteral("_x9"));
    EXPECT_EQ(owner.FindComponent(u"_X9"), b);
    b->SetName(QString());
    EXPECT_EQ(owner.FindComponent(u"_x9"), nullptr);
}

TEST(ClassRegistry, RegistersAncestorsAndRejectsTakenNames) {
    RegisterPersistentClass<TRegLeaf>();
    EXPECT_EQ(LookupClass(u"tregleaf"), &TRegLeaf::StaticClass());
    EXPECT_EQ(LookupClass(u"TRegBase"), &TRegBase::StaticClass());
    RegisterPersistentClass<TRegLeaf>();  // again: nothing changes
    UnregisterPersistentClass(TRegLeaf::StaticClass());
    EXPECT_EQ(LookupClass(u"TRegLeaf"), nullptr);
    EXPECT_EQ(LookupClass(u"TRegBase"), &TRegBase::StaticClass());

    RegisterPersistentClass<first::TClash>();
    try {
        RegisterPersistentClass<second::TClash>();
        FAIL();
    } catch (const EFilerError& e) {
        EXPECT_EQ(e.message(), "クラス名 TClash はすでに使われています");
    }
    EXPECT_EQ(LookupClass(u"TClash"), &first::TClash::StaticClass());
    // Class names are found before aliases.
    RegisterClassAlias(TRegBase::StaticClass(), QStringLiteral("TClash"));
    EXPECT_EQ(LookupClass(u"TClash"), &first::TClash::StaticClass());
    RegisterClassAlias(TRegBase::StaticClass(), QStringLiteral("TOldBase"));
    EXPECT_EQ(LookupClass(u"toldbase"), &TRegBase::StaticClass());
}

TEST(GlobalComponents, RootNameMadeUniqueAndReferencesCompletedLater) {
    registerSampleClasses();
    auto module = std::make_unique<TSample>();
    module->SetName(QStringLiteral("DataMod"));
    RegisterGlobalComponent(module.get());
    TSample other;
    other.SetName(QStringLiteral("DataMod_1"));
    RegisterGlobalComponent(&other);

    TSample src;
    src.SetName(QStringLiteral("DataMod"));
    TSample into;
    TMemoryStream s(streamOf(src));
    ReadComponentStream(s, &into);
    EXPECT_EQ(into.Name(), "DataMod_2");
    UnregisterGlobalComponent(&other);

    // "Later.Part": the top-level component does not exist yet.
    const QByteArray refBytes =
        Bytes().sig().str("TSample").str("").str("Buddy").raw({7}).str("Later.Part").raw({0, 0});
    auto holder = readNew<TSample>(refBytes);
    auto dropped = readNew<TSample>(refBytes);
    EXPECT_EQ(holder->buddy, nullptr);
    const size_t pendingBefore = PendingReferences::instance().size();
    dropped.reset();  // its pending reference goes with it
    EXPECT_EQ(PendingReferences::instance().size(), pendingBefore - 1);

    TSample later;
    later.SetName(QStringLiteral("Later"));
    auto* part = new TTiny;
    later.InsertComponent(part);
    part->SetName(QStringLiteral("Part"));
    RegisterGlobalComponent(&later);
    // Completed at the end of the next read.
    readNew<TSample>(streamOf(src));
    EXPECT_EQ(holder->buddy, part);
    // Resolved at once when it exists.
    EXPECT_EQ(readNew<TSample>(refBytes)->buddy, part);
    UnregisterGlobalComponent(&later);
    module.reset();
    EXPECT_EQ(FindGlobalComponent(u"DataMod"), nullptr);
}
