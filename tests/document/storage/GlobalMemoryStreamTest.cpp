// The clipboard's memory stream: reading a received block in place, growing when empty.
#include "document/storage/GlobalMemoryStream.h"
#include "document/stream/StreamErrors.h"

#include <gtest/gtest.h>

TEST(GlobalMemoryStream, AWrappedBlockIsReadAndWrittenInPlaceButNeverGrows) {
    TGMEMStream s(QByteArray("clipboard"));
    EXPECT_TRUE(s.WrapsBlock());
    char buf[4];
    s.ReadBuffer(buf, 4);
    EXPECT_EQ(QByteArray(buf, 4), "clip");
    s.WriteBytes("BOAR");
    try {
        s.WriteBytes("DS");
        FAIL() << "a wrapped block grew";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("should not realloc Global Handle"));
    }
    EXPECT_THROW(s.SetSize(100), EStreamError);
    s.SetSize(4);
    EXPECT_EQ(s.Release(), "clip");
}

TEST(GlobalMemoryStream, AnEmptyStreamGrowsAndHandsOverExactlyItsData) {
    TGMEMStream s;
    EXPECT_FALSE(s.WrapsBlock());
    s.WriteBytes(QByteArray(5000, 'x'));
    s.SetPosition(10);
    s.WriteBytes("y");
    const QByteArray out = s.Release();
    EXPECT_EQ(out.size(), 5000);
    EXPECT_EQ(out[10], 'y');
    EXPECT_EQ(s.Size(), 0);
}
