// What the writer emits for each kind of property.
#include "document/stream/IdentMaps.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Reader.h"
#include "document/stream/Writer.h"
#include "platform/ShiftJis.h"
#include "tests/document/SampleClasses.h"
#include "tests/document/StreamTestUtil.h"

#include <gtest/gtest.h>

namespace {
// The bytes stored for property `name` of `root`: code and payload, or empty when
// the property is not written. Walks the entry with a reader.
QByteArray storedValue(TComponent& root, const QByteArray& name) {
    TMemoryStream s(streamOf(root));
    TReader r(s);
    r.ReadSignature();
    r.ReadStr();
    r.ReadStr();
    while (!r.EndOfList()) {
        const QByteArray prop = r.ReadStr();
        const int64_t start = s.Size() - r.Remaining();
        r.SkipValue();
        const int64_t end = s.Size() - r.Remaining();
        if (prop == name) return s.Data().mid(start, end - start);
    }
    return {};
}

QList<QByteArray> storedNames(TComponent& root) {
    TMemoryStream s(streamOf(root));
    TReader r(s);
    r.ReadSignature();
    r.ReadStr();
    r.ReadStr();
    QList<QByteArray> names;
    while (!r.EndOfList()) {
        names << r.ReadStr();
        r.SkipValue();
    }
    return names;
}
}  // namespace

TEST(StreamWrite, TinyObjectBytes) {
    TTiny t;
    t.SetName(QStringLiteral("X"));
    t.a = 5;
    const QByteArray expected =
        Bytes().sig().str("TTiny").str("X").str("A").raw({0x02, 0x05}).raw({0x00}).raw({0x00});
    EXPECT_EQ(hex(streamOf(t)), hex(expected));
    t.SetTag(-300);
    t.a = 70000;
    const QByteArray withTag = Bytes()
                                   .sig()
                                   .str("TTiny")
                                   .str("X")
                                   .str("Tag")
                                   .raw({0x03, 0xD4, 0xFE})
                                   .str("A")
                                   .raw({0x04, 0x70, 0x11, 0x01, 0x00})
                                   .raw({0x00, 0x00});
    EXPECT_EQ(hex(streamOf(t)), hex(withTag));
}

TEST(StreamWrite, IntegerCodeIsTheSmallestThatFits) {
    TTiny t;
    const std::pair<int32_t, int> cases[] = {{127, 2},   {128, 3},   {-128, 2},   {-129, 3},
                                             {32767, 3}, {32768, 4}, {-32768, 3}, {-32769, 4}};
    for (auto [value, code] : cases) {
        t.a = value;
        EXPECT_EQ(int(storedValue(t, "A").at(0)), code) << value;
    }
    t.a = 0;  // no default: written even when 0
    EXPECT_EQ(hex(storedValue(t, "A")), "02 00");
}

TEST(StreamWrite, StringSplitsAt255EncodedBytes) {
    TSample s;
    s.caption = QString(255, u'x');
    EXPECT_EQ(int(storedValue(s, "Caption").at(0)), 6);
    s.caption = QString(256, u'x');
    EXPECT_EQ(hex(storedValue(s, "Caption").left(5)), "0C 00 01 00 00");
    s.caption = QString(127, u'あ') + u'x';  // 255 bytes in CP932
    EXPECT_EQ(int(storedValue(s, "Caption").at(0)), 6);
    s.caption = QString(128, u'あ');  // 256 bytes, 128 characters
    EXPECT_EQ(int(storedValue(s, "Caption").at(0)), 12);
    s.caption.clear();
    EXPECT_FALSE(storedNames(s).contains("Caption"));
}

TEST(StreamWrite, TextOutsideCp932IsWideString) {
    registerSampleClasses();
    TSample s;
    s.caption = QStringLiteral("a\u00E9\U0001F600");
    EXPECT_EQ(hex(storedValue(s, "Caption")), "12 04 00 00 00 61 00 E9 00 3D D8 00 DE");
    auto back = readNew<TSample>(streamOf(s));
    EXPECT_EQ(back->caption, s.caption);
}

TEST(StreamWrite, DefaultsAndStoredRules) {
    TSample s;
    QList<QByteArray> names = storedNames(s);
    // Visible has no default: stored although it holds its initial value.
    EXPECT_EQ(names, (QList<QByteArray>{"Width", "Visible", "Font.Charset", "Font.Color",
                                        "Font.Height", "Font.Style", "Items"}));
    s.visible = false;
    EXPECT_EQ(hex(storedValue(s, "Visible")), "08");
    s.locked = true;
    EXPECT_EQ(hex(storedValue(s, "Locked")), "09");
    s.round = 100;
    EXPECT_TRUE(storedValue(s, "Round").isEmpty());
    s.cutWidth = s.cutHeight = 300;  // equal: the stored predicate says no
    EXPECT_TRUE(storedValue(s, "CutWidth").isEmpty());
    s.cutHeight = 410;
    EXPECT_EQ(hex(storedValue(s, "CutWidth")), "03 2C 01");
    EXPECT_TRUE(storedValue(s, "CutHeight").isEmpty());  // differs, but equals its default
    EXPECT_FALSE(storedNames(s).contains("Name"));
    EXPECT_FALSE(storedNames(s).contains("OnClick"));
}

TEST(StreamWrite, ColoursByName) {
    TSample s;
    s.color = 0x00FFFFFF;
    EXPECT_EQ(storedValue(s, "Color"), Bytes().raw({7}).str("clWhite").b);
    s.color = 0x00FFFFFE;
    EXPECT_EQ(hex(storedValue(s, "Color")), "04 FE FF FF 00");
    s.color = clBtnFace;
    EXPECT_EQ(storedValue(s, "Color"), Bytes().raw({7}).str("clBtnFace").b);
    s.color = clNone;
    EXPECT_EQ(storedValue(s, "Color"), Bytes().raw({7}).str("clNone").b);
}

TEST(StreamWrite, EnumerationsSetsCharactersFloats) {
    TSample s;
    s.shape = shStar;
    EXPECT_EQ(storedValue(s, "Shape"), Bytes().raw({7}).str("shStar").b);
    s.shapes = (1 << shRect) | (1 << shStar);
    EXPECT_EQ(storedValue(s, "Shapes"), Bytes().raw({11}).str("shRect").str("shStar").raw({0}).b);
    s.letter = 'Q';
    EXPECT_EQ(hex(storedValue(s, "Letter")), "06 01 51");
    EXPECT_TRUE(storedValue(s, "Ratio").isEmpty());  // 0 is not written
    s.ratio = 1.5;
    EXPECT_EQ(hex(storedValue(s, "Ratio")), "05 00 00 00 00 00 00 00 C0 FF 3F");
}

TEST(StreamWrite, NestedFontRecord) {
    TSample s;
    s.font.SetCharset(SHIFTJIS_CHARSET);
    s.font.SetColor(clBlack);
    s.font.SetHeight(-12);
    s.font.SetName(QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(storedValue(s, "Font.Charset"), Bytes().raw({7}).str("SHIFTJIS_CHARSET").b);
    EXPECT_EQ(storedValue(s, "Font.Color"), Bytes().raw({7}).str("clBlack").b);
    EXPECT_EQ(hex(storedValue(s, "Font.Height")), "02 F4");
    EXPECT_EQ(hex(storedValue(s, "Font.Name")),
              "06 0F 82 6C 82 72 20 82 6F 83 53 83 56 83 62 83 4E");
    EXPECT_EQ(hex(storedValue(s, "Font.Style")), "0B 00");
    EXPECT_TRUE(storedValue(s, "Font.Size").isEmpty());
    EXPECT_TRUE(storedValue(s, "Font.Pitch").isEmpty());
    s.font.SetPitch(fpFixed);
    s.font.SetStyle(fsBold | fsUnderline);
    EXPECT_EQ(storedValue(s, "Font.Pitch"), Bytes().raw({7}).str("fpFixed").b);
    EXPECT_EQ(storedValue(s, "Font.Style"),
              Bytes().raw({11}).str("fsBold").str("fsUnderline").raw({0}).b);
    s.font.SetCharset(3);
    EXPECT_EQ(hex(storedValue(s, "Font.Charset")), "02 03");
}

TEST(StreamWrite, StringListsCollectionsCustomData) {
    TSample s;
    s.lines.Add(QStringLiteral("a"));
    s.lines.Add(QString());
    EXPECT_EQ(hex(storedValue(s, "Lines.Strings")), "01 06 01 61 06 00 00");
    auto* item = s.items.Add();
    item->id = QStringLiteral("CD");
    s.items.Add()->value = 3;
    EXPECT_EQ(storedValue(s, "Items"), Bytes()
                                           .raw({14, 1})
                                           .str("ID")
                                           .raw({6})
                                           .str("CD")
                                           .raw({0, 1})
                                           .str("Value")
                                           .raw({2, 3, 0, 0})
                                           .b);
    s.cutCenter = 300;
    s.blob = QByteArray("xyz");
    EXPECT_EQ(hex(storedValue(s, "Cut")), "03 2C 01");
    EXPECT_EQ(hex(storedValue(s, "Data")), "0A 03 00 00 00 78 79 7A");
    const QList<QByteArray> names = storedNames(s);
    EXPECT_EQ(names.indexOf("Cut"), names.size() - 2);  // custom data after the table
}

TEST(StreamWrite, ReferencePaths) {
    TSample root;
    root.SetName(QStringLiteral("Root"));
    auto* a = new TSample;
    root.InsertComponent(a);
    a->SetName(QStringLiteral("A"));
    auto* inner = new TTiny;
    a->InsertComponent(inner);
    inner->SetName(QStringLiteral("Inner"));
    TTiny loose;
    loose.SetName(QStringLiteral("Loose"));

    root.buddy = a;
    EXPECT_EQ(storedValue(root, "Buddy"), Bytes().raw({7}).str("A").b);
    root.buddy = &root;
    EXPECT_EQ(storedValue(root, "Buddy"), Bytes().raw({7}).str("Owner").b);
    root.buddy = inner;
    EXPECT_EQ(storedValue(root, "Buddy"), Bytes().raw({7}).str("A.Inner").b);
    root.buddy = &loose;
    EXPECT_EQ(storedValue(root, "Buddy"), Bytes().raw({7}).str("Loose.Owner").b);
    loose.SetName(QString());
    EXPECT_TRUE(storedValue(root, "Buddy").isEmpty());
    root.buddy = nullptr;
    EXPECT_TRUE(storedValue(root, "Buddy").isEmpty());
}

TEST(PropertyTables, DerivedExtendsBaseAndRedeclaredKeepsPosition) {
    const PropertyTable& base = TSample::StaticClass().properties();
    const PropertyTable& derived = TSampleDerived::StaticClass().properties();
    ASSERT_EQ(derived.size(), base.size() + 1);
    EXPECT_EQ(base.entries()[0].name, "Name");
    EXPECT_EQ(base.entries()[1].name, "Tag");
    for (size_t i = 0; i < base.size(); ++i)
        EXPECT_EQ(derived.entries()[i].name, base.entries()[i].name);
    EXPECT_EQ(derived.entries().back().name, "Extra");
    EXPECT_EQ(base.find(u"round")->defaultValue, 100);
    EXPECT_EQ(derived.find(u"ROUND")->defaultValue, 50);
    TSampleDerived d;
    d.round = 100;
    EXPECT_EQ(hex(storedValue(d, "Round")), "02 64");
    d.round = 50;
    EXPECT_TRUE(storedValue(d, "Round").isEmpty());
}

TEST(IdentMaps, ColourAndCharsetNames) {
    EXPECT_EQ(colorIdents().entries().size(), 42u);
    EXPECT_EQ(charsetIdents().entries().size(), 18u);
    EXPECT_EQ(colorIdents().valueOf(u"clScrollBar"), int32_t(0x80000000));
    EXPECT_EQ(colorIdents().valueOf(u"CLINFOBK"), int32_t(0x80000018));
    EXPECT_EQ(colorIdents().nameOf(0x00C0C0C0), "clSilver");
    EXPECT_EQ(colorIdents().nameOf(int32_t(0x80000019)), std::nullopt);
    EXPECT_EQ(charsetIdents().nameOf(255), "OEM_CHARSET");
    EXPECT_EQ(charsetIdents().valueOf(u"EASTEUROPE_CHARSET"), 238);
    EXPECT_EQ(charsetIdents().valueOf(u"clBlack"), std::nullopt);
}

TEST(StreamWrite, ShortStringsAreCutAtAWholeCharacter) {
    TMemoryStream s;
    TWriter w(s);
    w.WriteIdent(QString(200, u'あ'));  // 400 bytes in CP932
    w.WriteIdent(QString(300, u'x'));
    w.FlushBuffer();
    const QByteArray& d = s.Data();
    ASSERT_GE(d.size(), 2);
    EXPECT_EQ(uchar(d[1]), 254);  // 127 double-byte characters, not 255 bytes
    EXPECT_EQ(platform::fromCp932(d.mid(2, 254)), QString(127, u'あ'));
    EXPECT_EQ(uchar(d[2 + 254 + 1]), 255);  // single-byte text still takes all 255
}
