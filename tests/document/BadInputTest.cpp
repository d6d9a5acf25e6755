// Malformed and hostile streams fail cleanly: no crash, no leak, the fixed message.
#include "document/stream/StreamErrors.h"
#include "tests/document/SampleClasses.h"
#include "tests/document/StreamTestUtil.h"

#include <gtest/gtest.h>

namespace {
class BadInput : public ::testing::Test {
protected:
    void SetUp() override { registerSampleClasses(); }
};

QByteArray richStream() {
    TSample s;
    s.SetName(QStringLiteral("Rich"));
    s.caption = QString(300, u'字');
    s.ratio = 2.5;
    s.shapes = 5;
    s.font.SetName(QStringLiteral("IPAMincho"));
    s.lines.SetText(QStringLiteral("a\nb"));
    s.items.Add()->id = QStringLiteral("i");
    s.blob = QByteArray("blob");
    s.cutCenter = 1;
    auto* child = new TSample;
    s.InsertComponent(child);
    child->SetName(QStringLiteral("Kid"));
    child->buddy = &s;
    child->caption = QStringLiteral("\U0001F600");
    return streamOf(s);
}
}  // namespace

TEST_F(BadInput, EveryTruncationRaises) {
    const QByteArray full = richStream();
    const int before = TSample::live();
    for (qsizetype n = 0; n < full.size(); ++n) {
        TMemoryStream s(full.left(n));
        EXPECT_THROW(std::unique_ptr<TComponent>(ReadComponentStream(s, nullptr)), Exception) << n;
        TSample root;
        TMemoryStream s2(full.left(n));
        EXPECT_THROW(ReadComponentStream(s2, &root), Exception) << n;
        EXPECT_EQ(root.ComponentCount(), 0);
    }
    EXPECT_EQ(TSample::live(), before);
    EXPECT_TRUE(readNew<TSample>(full));
}

TEST_F(BadInput, LengthsBeyondTheDataFailBeforeAllocating) {
    auto with = [](std::initializer_list<int> value) {
        return Bytes().sig().str("TSample").str("").str("Caption").raw(value).raw({0, 0}).b;
    };
    const QByteArray cases[] = {
        with({12, 0xFF, 0xFF, 0xFF, 0x7F}),  // LString of 2 GB
        with({12, 0x00, 0x00, 0x00, 0x80}),  // negative length
        with({18, 0xFF, 0xFF, 0xFF, 0x3F}),  // WString
        with({18, 0xFF, 0xFF, 0xFF, 0xFF}),
        Bytes().sig().str("TSample").str("").str("Data").raw({10, 0xF0, 0xFF, 0xFF, 0x7F}).b,
        Bytes().sig().str("TSample").str("").str("Bogus").raw({10, 0xF0, 0xFF, 0xFF, 0x7F}).b,
        Bytes().sig().str("TSample").str("").str("Caption").raw({6, 200, 'a'}).b,
    };
    for (const QByteArray& b : cases) {
        TMemoryStream s(b);
        try {
            std::unique_ptr<TComponent>(ReadComponentStream(s, nullptr));
            ADD_FAILURE();
        } catch (const Exception& e) {
            EXPECT_TRUE(e.message().endsWith("ストリームからの読み込みエラー"))
                << e.message().toStdString();
        }
    }
}

TEST_F(BadInput, DeepNestingIsRejected) {
    // Lists nested far deeper than any real data.
    QByteArray deep = Bytes().sig().str("TSample").str("").str("Bogus").b;
    deep += QByteArray(100000, '\x01');
    TMemoryStream s(deep);
    EXPECT_THROW(std::unique_ptr<TComponent>(ReadComponentStream(s, nullptr)), EReadError);

    QByteArray kids = Bytes().sig().str("TSample").str("").raw({0}).b;
    for (int i = 0; i < 2000; ++i) kids += Bytes().str("TSample").str("").raw({0}).b;
    const int before = TSample::live();
    TMemoryStream s2(kids);
    try {
        std::unique_ptr<TComponent>(ReadComponentStream(s2, nullptr));
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.message(), "不正なストリーム フォーマット");
    }
    EXPECT_EQ(TSample::live(), before);
}

TEST_F(BadInput, UnknownCodesAndPrefixes) {
    EXPECT_THROW(readNew(Bytes().sig().str("TSample").str("").str("Width").raw({20})), EReadError);
    // A prefix with a child position is accepted and ignored.
    auto r = readNew<TSample>(Bytes().sig().raw({0xF2, 2, 1}).str("TSample").str("P").raw({0, 0}));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Name(), "P");
}
