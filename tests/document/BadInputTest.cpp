// Malformed and hostile streams fail cleanly: no crash, no leak, the fixed message.
#include "document/stream/StreamErrors.h"
#include "tests/document/SampleClasses.h"
#include "tests/document/StreamTestUtil.h"

#include <gtest/gtest.h>
#include <utility>

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
    // Each with the offset where the bytes its length promises begin.
    const std::pair<QByteArray, int> cases[] = {
        {with({12, 0xFF, 0xFF, 0xFF, 0x7F}), 26},  // LString of 2 GB
        {with({12, 0x00, 0x00, 0x00, 0x80}), 26},  // negative length
        {with({18, 0xFF, 0xFF, 0xFF, 0x3F}), 26},  // WString
        {with({18, 0xFF, 0xFF, 0xFF, 0xFF}), 26},
        {Bytes().sig().str("TSample").str("").str("Data").raw({10, 0xF0, 0xFF, 0xFF, 0x7F}).b, 23},
        {Bytes().sig().str("TSample").str("").str("Bogus").raw({10, 0xF0, 0xFF, 0xFF, 0x7F}).b, 24},
        {Bytes().sig().str("TSample").str("").str("Caption").raw({6, 200, 'a'}).b, 23},
    };
    for (const auto& [b, offset] : cases) {
        TMemoryStream s(b);
        try {
            std::unique_ptr<TComponent>(ReadComponentStream(s, nullptr));
            ADD_FAILURE();
        } catch (const Exception& e) {
            EXPECT_TRUE(e.message().endsWith(
                QStringLiteral("ストリームからの読み込みエラー (オフセット %1)").arg(offset)))
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
        // The 256th child's property list, one level too deep.
        EXPECT_EQ(e.message(), "不正なストリーム フォーマット (オフセット 2573)");
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

// Read errors end with the stream offset where reading stopped: the first byte that could
// not be read or does not fit, counted from the start of the stream even when the read
// began further in.
TEST_F(BadInput, ReadErrorsNameTheOffsetWhereReadingStopped) {
    auto errorOf = [](const std::function<void()>& read) {
        try {
            read();
        } catch (const EReadError& e) {
            return e.message();
        }
        return QStringLiteral("(no error)");
    };
    auto component = [](const QByteArray& bytes, qsizetype start) {
        return [bytes, start] {
            TMemoryStream s(bytes);
            s.SetPosition(start);
            std::unique_ptr<TComponent>(ReadComponentStream(s, nullptr));
        };
    };
    auto list = [](const QByteArray& bytes) {
        return [bytes] {
            std::vector<std::unique_ptr<TComponent>> objects;
            TMemoryStream s(bytes);
            ReadObjectList(objects, s);
        };
    };
    const QByteArray junk(6, 'x');
    // 0x42 is no value code: the byte's own offset, 6 bytes in.
    const QByteArray badCode = Bytes().sig().str("TSample").str("").str("Width").raw({0x42}).b;
    EXPECT_EQ(errorOf(component(junk + badCode, 6)),
              "TSample.Width の読み込み中のエラー : 不正なストリーム フォーマット (オフセット 25)");
    // A string promising 5 bytes where 2 remain: where the 5 bytes begin.
    const QByteArray shortString =
        Bytes().sig().str("TSample").str("").str("Caption").raw({6, 5, 'a', 'b'}).b;
    EXPECT_EQ(
        errorOf(component(junk + shortString, 6)),
        "TSample.Caption の読み込み中のエラー : ストリームからの読み込みエラー (オフセット 29)");
    EXPECT_EQ(errorOf(component(junk + QByteArray("TPF1"), 6)),
              "不正なストリーム フォーマット (オフセット 6)");

    // The resource header: its flags and length are cut short after the name's end.
    EXPECT_EQ(errorOf([] {
                  TMemoryStream s(QByteArray("zz\xFF\x0A\x00NAME\x00\x30", 10));
                  s.SetPosition(2);
                  try {
                      ReadResourceHeader(s);
                  } catch (...) {
                      EXPECT_EQ(s.Position(), 2);  // back where the header began
                      throw;
                  }
              }),
              "ストリームからの読み込みエラー (オフセット 10)");

    // Object lists: the count, then a stream inside the list.
    EXPECT_EQ(errorOf(list(Bytes().raw({0xFF, 0xFF, 0xFF, 0xFF}).b)),
              "不正なストリーム フォーマット (オフセット 0)");
    EXPECT_EQ(errorOf(list(Bytes().raw({100, 0, 0, 0}).b + badCode)),
              "ストリームからの読み込みエラー (オフセット 4)");
    TSample first;
    const QByteArray firstBytes = streamOf(first);
    EXPECT_EQ(
        errorOf(list(Bytes().raw({2, 0, 0, 0}).b + firstBytes + badCode)),
        QStringLiteral(
            "TSample.Width の読み込み中のエラー : 不正なストリーム フォーマット (オフセット %1)")
            .arg(4 + firstBytes.size() + 19));
}
