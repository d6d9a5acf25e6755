// The text form: printing and parsing generic stream trees.
#include "document/stream/IdentMaps.h"
#include "document/stream/Reader.h"
#include "document/stream/StreamErrors.h"
#include "document/stream/StreamText.h"
#include "tests/document/SampleClasses.h"
#include "tests/document/StreamTestUtil.h"

#include <gtest/gtest.h>
#include <set>

using namespace streamtree;

namespace {
const char* const kEveryKind = R"(object Root: TSample
  Width = 32768
  Small = -128
  Mid = 128
  Caption = 'It''s'#13#10'写真'
  Long = lstring('short but long-coded')
  Wide = w'a😀'#0
  Color = clWhite
  Path = Owner.Kid
  Odd = ident('end')
  Ratio = 1.5
  Tiny = 0.1
  Angle = ext(0xC001C90FDAA22168C234)
  NaN = ext(0x7FFFC000000000000000)
  S = single(1.25)
  C = currency(-12.5)
  D = date(45000.75)
  Big = int64(9000000000)
  Padded = int32(5)
  Flag = True
  Off = False
  Ref = nil
  Pitch = Null
  Blob = {DEADBEEF}
  NoBytes = {}
  Shapes = [shRect, shStar]
  Empty = []
  L = (1 'x' (2 3) Ident)
  Items = <
    item
      ID = 'CD'
    end
    item [3]
      Value = -129
      Inner = <>
    end>
  None = <>
  'end' = 1
  object Kid: TTiny prefix(2, 4)
    A = 1
  end
  object TTiny prefix(1)
  end
end
)";

QString parseError(const QString& text) {
    try {
        parseDocument(text);
    } catch (const EStreamTextError& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}
}  // namespace

TEST(StreamText, BuildThenDumpRoundTripsEveryKind) {
    const Document doc = parseDocument(QString::fromUtf8(kEveryKind));
    const QByteArray bytes = writeDocument(doc);
    const Document back = readDocument(bytes);
    EXPECT_EQ(printDocument(back), QString::fromUtf8(kEveryKind));
    EXPECT_EQ(writeDocument(back), bytes);
}

TEST(StreamText, CodesChosenAsTheWriterChooses) {
    const Document doc = parseDocument(
        QStringLiteral("object TTiny\n  A = 127\n  B = 128\n  C = -129\n  D = 32767\n  E = 32768\n"
                       "  F = 'x'\n  G = '%1'\n  H = '\u00E9'\nend\n")
            .arg(QString(256, u'y')));
    const auto& p = doc.entries[0].properties;
    EXPECT_EQ(p[0].value.code, ValueCode::Int8);
    EXPECT_EQ(p[1].value.code, ValueCode::Int16);
    EXPECT_EQ(p[2].value.code, ValueCode::Int16);
    EXPECT_EQ(p[3].value.code, ValueCode::Int16);
    EXPECT_EQ(p[4].value.code, ValueCode::Int32);
    EXPECT_EQ(p[5].value.code, ValueCode::String);
    EXPECT_EQ(p[6].value.code, ValueCode::LString);
    EXPECT_EQ(p[7].value.code, ValueCode::WString);  // not representable in CP932
}

TEST(StreamText, DumpThenBuildReproducesWriterOutput) {
    registerSampleClasses();
    TSample s;
    s.SetName(QStringLiteral("Face1"));
    s.caption = QStringLiteral("二行\r\nの'文字列'") + QString(200, u'長');
    s.angle = Extended80::fromParts(false, 0x3FFF, 0x8000000000000001ULL);
    s.ratio = -0.3;
    s.color = clBtnFace;
    s.shapes = 6;
    s.font.SetName(QStringLiteral("ＭＳ 明朝"));
    s.lines.SetText(QStringLiteral("l1\nl2"));
    s.items.Add()->value = 70000;
    s.blob = QByteArray("\x00\x01\xFF", 3);
    auto* kid = new TSample;
    s.InsertComponent(kid);
    kid->SetName(QStringLiteral("Kid"));
    s.buddy = kid;
    kid->caption = QStringLiteral("\U0001F4F7");

    TMemoryStream bare;
    WriteComponentStream(bare, s);
    TMemoryStream res;
    WriteComponentResource(res, QStringLiteral("Info"), s);
    TMemoryStream list;
    TComponent* objects[] = {&s, kid};
    WriteObjectList(list, objects);
    for (const QByteArray& bytes : {bare.Data(), res.Data(), list.Data()}) {
        const QString text = printDocument(readDocument(bytes));
        EXPECT_EQ(hex(writeDocument(parseDocument(text))), hex(bytes)) << text.toStdString();
    }
    EXPECT_TRUE(printDocument(readDocument(res.Data()))
                    .startsWith("resource INFO\nobject Face1: TSample\n"));
    EXPECT_TRUE(printDocument(readDocument(list.Data())).startsWith("list 2\n"));
}

TEST(StreamText, MalformedTextNamesTheLine) {
    EXPECT_EQ(parseError("object X\n  A = \nend\n"), "3 行目: 値がありません");
    EXPECT_EQ(parseError("object X\n  A 1\nend\n"), "2 行目: '=' がありません");
    EXPECT_EQ(parseError("object X\n  A = 'open\nend\n"), "2 行目: 文字列が閉じていません");
    EXPECT_EQ(parseError("object X\n  A = 1\n"), "3 行目: end がありません");
    EXPECT_EQ(parseError("object X\n  A = 9999999999\nend\n"),
              "2 行目: 32ビットに収まらない整数は int64(..) で書いてください");
    EXPECT_EQ(parseError("object X\n\n  A = {ABC}\nend\n"), "3 行目: 16進数の桁数が奇数です");
    EXPECT_EQ(parseError("object X\n  A = int8(300)\nend\n"), "2 行目: int8 に収まらない値です");
    EXPECT_EQ(parseError("object X\nend\nend\n"), "3 行目: 余分な記述があります");
    EXPECT_EQ(parseError("object X\n  A = #300\nend\n"), "2 行目: #の後の文字コードが不正です");
    EXPECT_EQ(parseError(""), "1 行目: object がありません");
}

TEST(StreamText, TreeReaderRejectsTruncation) {
    const QByteArray bytes = writeDocument(parseDocument(QString::fromUtf8(kEveryKind)));
    for (qsizetype n = 0; n < bytes.size(); ++n)
        EXPECT_THROW(readDocument(bytes.left(n)), Exception) << n;
    try {
        readDocument(QByteArray("TPF0\x03TX", 7));
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.message(), "ストリームからの読み込みエラー (オフセット 5)");  // the class name
    }
    EXPECT_THROW(readDocument(QByteArray("\xFF\x0B\x00", 3)), EReadError);
}

// The generic reader names the offset where reading stopped, counted over the whole
// document (a list's streams included).
TEST(StreamText, TreeReaderErrorsNameTheOffset) {
    auto errorOf = [](const QByteArray& bytes) {
        try {
            readDocument(bytes);
        } catch (const EReadError& e) {
            return e.message();
        }
        return QStringLiteral("(no error)");
    };
    const QByteArray badCode = Bytes().sig().str("X").str("").str("A").raw({0x42}).b;
    EXPECT_EQ(errorOf(badCode), "不正なストリーム フォーマット (オフセット 9)");
    EXPECT_EQ(errorOf(Bytes().raw({1, 0, 0, 0}).b + badCode + QByteArray(8, '\0')),
              "不正なストリーム フォーマット (オフセット 13)");
    EXPECT_EQ(errorOf(Bytes().raw({5, 0, 0, 0, 0, 0, 0, 0}).b),
              "ストリームからの読み込みエラー (オフセット 4)");
    // A collection item that is not a property list: where the item's code is.
    EXPECT_EQ(errorOf(Bytes().sig().str("X").str("").str("C").raw({14, 6, 0}).b),
              "不正なプロパティの値です (オフセット 10)");
    // A child position that is not an integer.
    EXPECT_EQ(errorOf(Bytes().sig().raw({0xF2, 8}).str("X").str("").raw({0, 0}).b),
              "不正なプロパティの値です (オフセット 5)");
    // A resource header cut short after its name (the list reading it fails too).
    EXPECT_EQ(errorOf(QByteArray("\xFF\x0A\x00N\x00\x30", 6)),
              "ストリームからの読み込みエラー (オフセット 5)");
    // A 32-bit length promising more than there is.
    EXPECT_EQ(errorOf(Bytes().sig().str("X").str("").str("B").raw({10, 9, 0, 0, 0, 1}).b),
              "ストリームからの読み込みエラー (オフセット 14)");
}

// A value whose raw bytes are fewer than its code takes is refused, not read past its end.
TEST(StreamText, PrintingRefusesShortRawValues) {
    for (ValueCode code : {ValueCode::Extended, ValueCode::Single, ValueCode::Date}) {
        Value v;
        v.code = code;
        v.bytes = QByteArray(3, '\x01');
        EXPECT_THROW(printValue(v), Exception) << int(code);
    }
}

// Every value the tree writes, one per code, is exactly what the typed reader skips;
// cut short by any byte, the typed reader fails on it.
TEST(StreamText, TypedReaderSkipsExactlyWhatTheTreeWrites) {
    const Document doc = parseDocument(QString::fromUtf8(kEveryKind));
    std::set<int> codes;
    for (const Property& p : doc.entries[0].properties) {
        codes.insert(int(p.value.code));
        Entry one;
        one.className = "C";
        one.properties.push_back(p);
        const QByteArray bytes = writeStream(one);
        const qsizetype start = 4 + 2 + 1 + 1 + p.name.size();
        const QByteArray value = bytes.mid(start, bytes.size() - start - 2);

        TMemoryStream whole(bytes);
        TReader r(whole);
        r.ReadSignature();
        r.ReadStr();
        r.ReadStr();
        EXPECT_EQ(r.ReadStr(), p.name);
        r.SkipValue();
        EXPECT_EQ(r.Remaining(), 2) << p.name.constData();

        for (qsizetype n = 0; n < value.size(); ++n) {
            TMemoryStream cut(value.left(n));
            TReader c(cut);
            EXPECT_THROW(c.SkipValue(), Exception) << p.name.constData() << " " << n;
        }
    }
    EXPECT_EQ(codes.size(), size_t(kMaxValueCode) + 1);
}
