// Resource-wrapped streams and object lists.
#include "document/stream/StreamErrors.h"
#include "platform/ShiftJis.h"
#include "tests/document/SampleClasses.h"
#include "tests/document/StreamTestUtil.h"

#include <gtest/gtest.h>

namespace {
class Containers : public ::testing::Test {
protected:
    void SetUp() override { registerSampleClasses(); }
    void TearDown() override { SetObjectListFilter(nullptr); }
};
}  // namespace

TEST_F(Containers, ResourceHeaderLayout) {
    TTiny t;
    TMemoryStream s;
    WriteComponentResource(s, QStringLiteral("Info"), t);
    const QByteArray body = streamOf(t);
    const QByteArray expected = Bytes().raw({0xFF, 0x0A, 0x00}).b + "INFO" +
                                Bytes().raw({0x00, 0x30, 0x10, int(body.size()), 0, 0, 0}).b + body;
    EXPECT_EQ(hex(s.Data()), hex(expected));
    EXPECT_EQ(s.Position(), s.Size());
}

TEST_F(Containers, ResourceNames) {
    EXPECT_EQ(ResourceName(QStringLiteral("PaperExtraInfo")), "PAPEREXTRAINFO");
    EXPECT_EQ(ResourceName(QString(70, u'a')), QByteArray(63, 'A'));
    // Only a-z change; a double-byte character is never cut in half.
    EXPECT_EQ(ResourceName(QStringLiteral("äb")), platform::toCp932(QStringLiteral("äB")));
    const QByteArray jp = ResourceName(QStringLiteral("x") + QString(40, u'写'));
    EXPECT_EQ(jp.size(), 63);
    EXPECT_EQ(ResourceName(QStringLiteral("y") + QString(40, u'写')).size(), 63);
    EXPECT_EQ(ResourceName(QString(40, u'写')).size(), 62);
}

TEST_F(Containers, ResourceReadIgnoresTheLengthField) {
    TTiny t;
    t.a = 42;
    TMemoryStream s;
    WriteComponentResource(s, QStringLiteral("Sheet"), t);
    const int64_t end = s.Size();
    QByteArray bytes = s.Data();
    bytes[3 + 5 + 1 + 2] = char(0x7F);  // length field says far more
    bytes += QByteArray(100, 'z');
    TMemoryStream in(bytes);
    TTiny back;
    ReadComponentResource(in, &back);
    EXPECT_EQ(back.a, 42);
    EXPECT_EQ(in.Position(), end);

    TMemoryStream bad(QByteArray("\xFF\x0B\x00NAME", 7));
    EXPECT_THROW(ReadComponentResource(bad, &back), EReadError);
    try {
        TMemoryStream noZero(QByteArray("\xFF\x0A\x00", 3) + QByteArray(200, 'A'));
        ReadComponentResource(noZero, &back);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.message(), "不正なストリーム フォーマット (オフセット 3)");  // the name
    }
}

TEST_F(Containers, EmptyObjectList) {
    TMemoryStream s;
    WriteObjectList(s, {});
    EXPECT_EQ(hex(s.Data()), "00 00 00 00");
    std::vector<std::unique_ptr<TComponent>> list;
    list.push_back(std::make_unique<TStandInDrawObject>());
    s.SetPosition(0);
    ReadObjectList(list, s);
    EXPECT_TRUE(list.empty());
}

TEST_F(Containers, ObjectListKeepsOnlyDrawObjects) {
    keepStandInObjects();
    TStandInDrawObject a;
    a.left = 1;
    TSample notDrawn;
    TNewStandIn b;
    b.top = 2;
    TComponent* objects[] = {&a, &notDrawn, &b};
    TMemoryStream s;
    WriteObjectList(s, objects);
    const int64_t end = s.Position();
    s.WriteBytes("after");
    s.SetPosition(0);

    const int before = TSample::live();
    std::vector<std::unique_ptr<TComponent>> list;
    ReadObjectList(list, s);
    EXPECT_EQ(s.Position(), end);
    EXPECT_EQ(TSample::live(), before);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(dynamic_cast<TStandInDrawObject&>(*list[0]).left, 1);
    EXPECT_EQ(dynamic_cast<TNewStandIn&>(*list[1]).top, 2);

    SetObjectListFilter(nullptr);  // none installed: nothing is kept
    s.SetPosition(0);
    ReadObjectList(list, s);
    EXPECT_TRUE(list.empty());
}

TEST_F(Containers, ObjectListFailureLeavesItEmpty) {
    keepStandInObjects();
    TStandInDrawObject a;
    TComponent* objects[] = {&a, &a};
    TMemoryStream s;
    WriteObjectList(s, objects);
    QByteArray bytes = s.Data();
    bytes.chop(3);
    TMemoryStream in(bytes);
    std::vector<std::unique_ptr<TComponent>> list;
    EXPECT_THROW(ReadObjectList(list, in), EReadError);
    EXPECT_TRUE(list.empty());
    // A count that the remaining bytes cannot hold fails before reading any object.
    TMemoryStream huge(QByteArray("\xFF\xFF\xFF\x0F", 4) + s.Data().mid(4));
    EXPECT_THROW(ReadObjectList(list, huge), EReadError);
    TMemoryStream negative(QByteArray("\xFF\xFF\xFF\xFF", 4));
    EXPECT_THROW(ReadObjectList(list, negative), EReadError);
}
