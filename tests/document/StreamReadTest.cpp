// Reading values back, and how reads fail.
#include "document/stream/ClassRegistry.h"
#include "document/stream/IdentMaps.h"
#include "document/stream/StreamErrors.h"
#include "tests/document/SampleClasses.h"
#include "tests/document/StreamTestUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {
class StreamRead : public ::testing::Test {
protected:
    void SetUp() override { registerSampleClasses(); }
};

// A TSample stream named `name` with the given raw property bytes.
QByteArray sampleWith(const QByteArray& props, const char* cls = "TSample", const char* name = "") {
    return Bytes().sig().str(cls).str(name).b + props + QByteArray(2, '\0');
}

QString readError(const QByteArray& bytes) {
    try {
        readNew(bytes);
    } catch (const Exception& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}
}  // namespace

TEST_F(StreamRead, RoundTripOfEveryKind) {
    TSample s;
    s.SetName(QStringLiteral("S"));
    s.SetTag(-7);
    s.width = 32768;
    s.round = 7;
    s.color = 0x00FFFFFE;
    s.visible = false;
    s.locked = true;
    s.shape = shCircle;
    s.letter = 'z';
    s.ratio = 0.1;
    s.angle =
        Extended80::fromParts(true, 0x4001, 0xC90FDAA22168C234ULL);  // no double is this value
    s.caption = QStringLiteral("写真枠 'x'\r\n");
    s.shapes = 1 << shStar;
    s.cutWidth = 1;
    s.font.SetName(QStringLiteral("IPAGothic"));
    s.font.SetStyle(fsItalic);
    s.font.SetCharset(SHIFTJIS_CHARSET);
    s.lines.SetText(QStringLiteral("one\r\ntwo\r\n"));
    s.items.Add()->id = QStringLiteral("A");
    s.cutCenter = 99;
    s.blob = QByteArray(5000, 'b');

    const QByteArray bytes = streamOf(s);
    auto r = readNew<TSample>(bytes);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Name(), "S");
    EXPECT_EQ(r->Tag(), -7);
    EXPECT_EQ(r->width, 32768);
    EXPECT_EQ(r->round, 7);
    EXPECT_EQ(r->color, 0x00FFFFFE);
    EXPECT_FALSE(r->visible);
    EXPECT_TRUE(r->locked);
    EXPECT_EQ(r->shape, shCircle);
    EXPECT_EQ(r->letter, 'z');
    EXPECT_EQ(r->ratio, 0.1);
    EXPECT_EQ(r->angle, s.angle);
    EXPECT_EQ(r->caption, s.caption);
    EXPECT_EQ(r->shapes, 1 << shStar);
    EXPECT_EQ(r->cutWidth, 1);
    EXPECT_EQ(r->cutHeight, 410);
    EXPECT_EQ(r->font.Name(), "IPAGothic");
    EXPECT_EQ(r->font.Style(), fsItalic);
    EXPECT_EQ(r->font.Charset(), SHIFTJIS_CHARSET);
    EXPECT_EQ(r->lines.ToStringList(), (QStringList{"one", "two"}));
    ASSERT_EQ(r->items.Count(), 1);
    EXPECT_EQ(r->items.Items(0)->id, "A");
    EXPECT_EQ(r->cutCenter, 99);
    EXPECT_EQ(r->blob, s.blob);
    EXPECT_EQ(streamOf(*r), bytes);
}

TEST_F(StreamRead, LongNamesAreNotValueCodes) {
    TSample s;
    s.imageDisplayLimitSize = 5;
    auto* kid = new TSampleWithAVeryLongClassName;
    s.InsertComponent(kid);
    kid->SetName(QString(60, u'k'));
    auto r = readNew<TSample>(streamOf(s));
    EXPECT_EQ(r->imageDisplayLimitSize, 5);
    ASSERT_EQ(r->ComponentCount(), 1);
    EXPECT_EQ(r->Components(0)->ClassName(), "TSampleWithAVeryLongClassName");
    EXPECT_EQ(r->Components(0)->Name(), QString(60, u'k'));
}

TEST_F(StreamRead, IdentifiersAndAlternativeCodes) {
    auto r = readNew<TSample>(sampleWith(Bytes()
                                             .str("Color")
                                             .raw({7})
                                             .str("clBtnFace")
                                             .str("Font.Charset")
                                             .raw({7})
                                             .str("shiftjis_charset")
                                             .str("Ratio")
                                             .raw({3, 0x10, 0x27})
                                             .str("Locked")
                                             .raw({7})
                                             .str("True")
                                             .str("shape")
                                             .raw({7})
                                             .str("SHSTAR")
                                             .str("Caption")
                                             .raw({12, 2, 0, 0, 0, 'h', 'i'})));
    EXPECT_EQ(r->color, int32_t(0x8000000F));
    EXPECT_EQ(r->font.Charset(), 128);
    EXPECT_EQ(r->ratio, 10000.0);
    EXPECT_TRUE(r->locked);
    EXPECT_EQ(r->shape, shStar);
    EXPECT_EQ(r->caption, "hi");
}

TEST_F(StreamRead, EmptyStoredCollectionKeepsItems) {
    TSample target;
    target.items.Add()->id = QStringLiteral("keep");
    TMemoryStream s(sampleWith(Bytes().str("Items").raw({14, 0})));
    ReadComponentStream(s, &target);
    ASSERT_EQ(target.items.Count(), 1);
    EXPECT_EQ(target.items.Items(0)->id, "keep");

    target.items.updates = 0;
    TMemoryStream s2(sampleWith(
        Bytes().str("Items").raw({14, 2, 5, 1}).str("ID").raw({6}).str("n1").raw({0, 1, 0, 0})));
    ReadComponentStream(s2, &target);
    ASSERT_EQ(target.items.Count(), 2);
    EXPECT_EQ(target.items.Items(0)->id, "n1");
    EXPECT_EQ(target.items.updates, 1);  // one update for the whole read
}

TEST_F(StreamRead, ReferencesResolveAfterTheRead) {
    TSample root;
    auto* first = new TSample;
    root.InsertComponent(first);
    first->SetName(QStringLiteral("First"));
    auto* second = new TSample;
    root.InsertComponent(second);
    second->SetName(QStringLiteral("Second"));
    first->buddy = second;  // a forward reference
    second->buddy = &root;
    root.buddy = first;

    auto r = readNew<TSample>(streamOf(root));
    ASSERT_EQ(r->ComponentCount(), 2);
    auto* f = dynamic_cast<TSample*>(r->Components(0));
    auto* s = dynamic_cast<TSample*>(r->Components(1));
    EXPECT_EQ(r->buddy, f);
    EXPECT_EQ(f->buddy, s);
    EXPECT_EQ(s->buddy, r.get());
}

TEST_F(StreamRead, UnresolvedReferenceStaysUnassigned) {
    auto r = readNew<TSample>(Bytes()
                                  .sig()
                                  .str("TSample")
                                  .str("")
                                  .str("Buddy")
                                  .raw({7})
                                  .str("Nobody")
                                  .raw({0})
                                  .str("TTiny")
                                  .str("T")
                                  .raw({0, 0})
                                  .raw({0}));
    EXPECT_EQ(r->buddy, nullptr);
    ASSERT_EQ(r->ComponentCount(), 1);
}

TEST_F(StreamRead, AfterLoadOrderAndReadingState) {
    TSample root;
    root.SetName(QStringLiteral("R"));
    auto* a = new TSample;
    root.InsertComponent(a);
    a->SetName(QStringLiteral("A"));
    auto* b = new TSample;
    a->InsertComponent(b);  // A's child, but owned by the root when read
    b->SetName(QStringLiteral("B"));
    auto* c = new TSample;
    root.InsertComponent(c);
    c->SetName(QStringLiteral("C"));

    TSample::afterLoadLog().clear();
    auto r = readNew<TSample>(streamOf(root));
    EXPECT_EQ(TSample::afterLoadLog(), (QStringList{"R", "A", "B", "C"}));
    EXPECT_EQ(r->ComponentCount(), 3);  // children are owned by the root
    EXPECT_EQ(r->setDuringRead, 1);
    EXPECT_FALSE(r->readingInAfterLoad);
    EXPECT_FALSE(r->Reading());
}

TEST_F(StreamRead, ObjectsDestroyedDuringTheReadAreForgotten) {
    // The first Items value is replaced by the second; its item's pending reference
    // must not be resolved into the destroyed item.
    const QByteArray twice = Bytes()
                                 .sig()
                                 .str("TSample")
                                 .str("")
                                 .str("Items")
                                 .raw({14, 1})
                                 .str("Link")
                                 .raw({7})
                                 .str("Kid")
                                 .raw({0, 0})
                                 .str("Items")
                                 .raw({14, 1})
                                 .str("ID")
                                 .raw({6})
                                 .str("2")
                                 .raw({0, 0})
                                 .raw({0})
                                 .str("TSample")
                                 .str("Kid")
                                 .raw({0, 0, 0});
    auto r = readNew<TSample>(twice);
    ASSERT_EQ(r->items.Count(), 1);
    EXPECT_EQ(r->items.Items(0)->id, "2");
    EXPECT_EQ(r->items.Items(0)->link, nullptr);

    // An AfterLoad that destroys a component still waiting for its own.
    TSample root;
    auto* killer = new TSample;
    root.InsertComponent(killer);
    killer->SetName(QStringLiteral("Killer"));
    killer->caption = QStringLiteral("destroy victim");
    auto* victim = new TSample;
    root.InsertComponent(victim);
    victim->SetName(QStringLiteral("Victim"));
    TSample::afterLoadLog().clear();
    auto back = readNew<TSample>(streamOf(root));
    EXPECT_EQ(TSample::afterLoadLog(), (QStringList{"", "Killer"}));
    EXPECT_EQ(back->ComponentCount(), 1);
}

TEST_F(StreamRead, FailuresAreWrapped) {
    EXPECT_EQ(readError(sampleWith(Bytes().str("Bogus").raw({2, 1}))),
              "TSample.Bogus の読み込み中のエラー : プロパティが存在しません");
    EXPECT_EQ(readError(sampleWith(Bytes().str("Bogus").raw({2, 1}), "TSample", "S1")),
              "S1.Bogus の読み込み中のエラー : プロパティが存在しません");
    EXPECT_EQ(readError(sampleWith(Bytes().str("Width.X").raw({2, 1}))),
              "TSample.Width.X の読み込み中のエラー : 不正なプロパティのパスです");
    EXPECT_EQ(readError(sampleWith(Bytes().str("Nope.X").raw({2, 1}))),
              "TSample.Nope.X の読み込み中のエラー : プロパティが存在しません");
    EXPECT_EQ(readError(sampleWith(Bytes().str("Width").raw({6}).str("12"))),
              "TSample.Width の読み込み中のエラー : 不正なプロパティの値です");
    EXPECT_EQ(readError(sampleWith(Bytes().str("Color").raw({7}).str("clUnknown"))),
              "TSample.Color の読み込み中のエラー : 不正なプロパティの値です");
    EXPECT_EQ(readError(sampleWith(Bytes().str("Width").raw({7}).str("clRed"))),
              "TSample.Width の読み込み中のエラー : 不正なプロパティの値です");
    EXPECT_EQ(
        readError(sampleWith(Bytes().str("Shapes").raw({11}).str("shOval").str("shRect").raw({0}))),
        "TSample.Shapes の読み込み中のエラー : 不正なプロパティの値です");
    EXPECT_EQ(readError(sampleWith(Bytes().str("Letter").raw({6}).str("ab"))),
              "TSample.Letter の読み込み中のエラー : 不正なプロパティの値です");
    EXPECT_EQ(readError(sampleWith(Bytes().str("Area").raw({2, 9}))),
              "TSample.Area の読み込み中のエラー : プロパティは書き込み禁止です");
    EXPECT_EQ(readError(sampleWith(Bytes().str("OnClick").raw({7}).str("Clicked"))),
              "TSample.OnClick の読み込み中のエラー : 不正なプロパティの値です");
    // Errors inside collection items are wrapped at each level.
    EXPECT_EQ(readError(sampleWith(Bytes().str("Items").raw({14, 1}).str("Odd").raw({2, 1, 0, 0}))),
              "TSample.Items の読み込み中のエラー : TSampleItem.Odd の読み込み中のエラー : "
              "プロパティが存在しません");
    EXPECT_EQ(readError(Bytes().raw({'T', 'P', 'F', '1'})),
              "不正なストリーム フォーマット (オフセット 0)");
    EXPECT_EQ(readError(Bytes().sig().str("TNope").str("")), "クラス TNope が見つかりません");
    EXPECT_EQ(readError(Bytes().sig().str("TSampleItem").str("")),
              "クラス TSampleItem が見つかりません");
    // The offset of the component name's length byte, which is missing.
    EXPECT_EQ(readError(Bytes().sig().str("TSample")),
              "ストリームからの読み込みエラー (オフセット 12)");
}

TEST_F(StreamRead, FailedReadLeavesNothing) {
    const int before = TSample::live();
    // An unknown class deep in the children: nothing of the stream survives.
    const QByteArray bytes = Bytes()
                                 .sig()
                                 .str("TSample")
                                 .str("Face")
                                 .raw({0})
                                 .str("TSample")
                                 .str("A")
                                 .raw({0, 0})
                                 .str("TSample")
                                 .str("B")
                                 .raw({0})
                                 .str("TUnregisteredObject")
                                 .str("C")
                                 .raw({0, 0, 0, 0});
    EXPECT_EQ(readError(bytes), "クラス TUnregisteredObject が見つかりません");
    EXPECT_EQ(TSample::live(), before);

    // A given root survives with what was assigned; the children it got are gone.
    TSample root;
    const QByteArray withBadProp = Bytes()
                                       .sig()
                                       .str("TSample")
                                       .str("")
                                       .str("Width")
                                       .raw({2, 9, 0})
                                       .str("TSample")
                                       .str("A")
                                       .str("Junk")
                                       .raw({2, 1, 0, 0, 0});
    TMemoryStream s(withBadProp);
    EXPECT_THROW(ReadComponentStream(s, &root), EReadError);
    EXPECT_EQ(root.width, 9);
    EXPECT_EQ(root.ComponentCount(), 0);
    EXPECT_FALSE(root.Reading());
    EXPECT_EQ(TSample::live(), before + 1);
}

TEST_F(StreamRead, ChildNamesAreChecked) {
    auto child = [](const char* name) {
        return Bytes().sig().str("TSample").str("").raw({0}).str("TTiny").str(name).raw({0, 0}).b;
    };
    EXPECT_EQ(readError(child("1abc") + Bytes().raw({0})),
              "コンポーネント名に ''1abc'' は使えません");
    const QByteArray twice = Bytes()
                                 .sig()
                                 .str("TSample")
                                 .str("")
                                 .raw({0})
                                 .str("TTiny")
                                 .str("Same")
                                 .raw({0, 0})
                                 .str("TTiny")
                                 .str("same")
                                 .raw({0, 0, 0});
    EXPECT_EQ(readError(twice), "コンポーネント名 same はすでに使われています");
}

TEST_F(StreamRead, AliasReadsIntoReplacementAndWritesNewName) {
    TNewStandIn n;
    n.top = 4;
    QByteArray bytes = streamOf(n);
    bytes.replace("TNewStandIn", "TOldStandIn");
    auto r = readNew<TNewStandIn>(bytes);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->top, 4);
    EXPECT_EQ(r->ClassName(), "TNewStandIn");
    EXPECT_TRUE(streamOf(*r).contains("TNewStandIn"));
}

TEST_F(StreamRead, BareStreamLeavesPositionAfterRoot) {
    TTiny t;
    t.a = 1;
    const QByteArray one = streamOf(t);
    TMemoryStream s(one + QByteArray("trailing bytes") + QByteArray(5000, 'x'));
    TTiny back;
    ReadComponentStream(s, &back);
    EXPECT_EQ(s.Position(), one.size());
    EXPECT_EQ(back.a, 1);
}

TEST_F(StreamRead, ReadsInsideReadsAndOnThreads) {
    // AfterLoad of a class may read a nested stream; the lock is recursive.
    struct Nested : TTiny {
        void AfterLoad() override {
            TTiny inner;
            inner.a = 3;
            TMemoryStream s(streamOf(inner));
            TTiny got;
            ReadComponentStream(s, &got);
            a = got.a;
        }
    };
    Nested n;
    TTiny src;
    TMemoryStream s(streamOf(src));
    ReadComponentStream(s, &n);
    EXPECT_EQ(n.a, 3);

    TSample big;
    big.caption = QStringLiteral("thread");
    const QByteArray bytes = streamOf(big);
    std::atomic<int> ok{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i)
                if (readNew<TSample>(bytes)->caption == "thread") ++ok;
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(ok, 200);
}
