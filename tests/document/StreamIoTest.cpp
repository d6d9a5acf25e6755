// TStream implementations and their failures.
#include "document/stream/IdentMaps.h"
#include "document/stream/StreamErrors.h"
#include "tests/document/SampleClasses.h"
#include "tests/document/StreamTestUtil.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QFile>

TEST(Streams, MemoryStreamReadsWritesAndSeeks) {
    TMemoryStream s;
    s.WriteBytes("hello");
    s.Seek(-2, SeekOrigin::End);
    s.WriteBytes("LOWORLD");
    EXPECT_EQ(s.Data(), "helLOWORLD");
    s.SetPosition(3);
    char buf[4];
    s.ReadBuffer(buf, 4);
    EXPECT_EQ(QByteArray(buf, 4), "LOWO");
    EXPECT_EQ(s.Remaining(), 3);
    try {
        s.ReadBuffer(buf, 4);
        FAIL();
    } catch (const EReadError& e) {
        // Where the four bytes asked for begin.
        EXPECT_EQ(e.message(), "ストリームからの読み込みエラー (オフセット 7)");
    }
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(s.Read(buf, 4), 0);
}

TEST(Streams, FileStreamRoundTripAndErrors) {
    registerSampleClasses();
    TempDir dir;
    const QString path = dir.file(QStringLiteral("face.bin"));
    TSample s;
    s.caption = QString(5000, u'長');  // more than one buffer
    {
        TFileStream f(path, TFileStream::Create);
        WriteComponentResource(f, QStringLiteral("Face"), s);
    }
    {
        TFileStream f(path, TFileStream::OpenRead);
        std::unique_ptr<TComponent> back(ReadComponentResource(f, nullptr));
        EXPECT_EQ(dynamic_cast<TSample&>(*back).caption, s.caption);
        EXPECT_EQ(f.Position(), f.Size());
        try {
            WriteComponentStream(f, s);  // opened for reading only
            FAIL();
        } catch (const EWriteError& e) {
            EXPECT_EQ(e.message(), "ストリームへの書き込みエラー");
        }
    }
    try {
        TFileStream missing(dir.file(QStringLiteral("none/x.bin")), TFileStream::OpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_TRUE(e.message().startsWith("ファイル ")) << e.message().toStdString();
    }
}

TEST(Font, AssignReportsOneChangeAndSizeFollowsHeight) {
    TFont a;
    int changes = 0;
    a.OnChange = [&] { ++changes; };
    a.SetHeight(-16);
    EXPECT_EQ(a.Size(), 12);
    a.SetSize(9);
    EXPECT_EQ(a.Height(), -12);
    a.SetHeight(-12);  // unchanged: no report
    EXPECT_EQ(changes, 2);
    TFont b;
    b.SetName(QStringLiteral("IPAMincho"));
    b.SetStyle(fsBold | fsStrikeOut);
    b.SetCharset(SHIFTJIS_CHARSET);
    a.Assign(b);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(a.Name(), "IPAMincho");
    EXPECT_EQ(a.Style(), fsBold | fsStrikeOut);
    TStringList notAFont;
    EXPECT_THROW(a.Assign(notAFont), EConvertError);
}
