// The bounds-checked byte cursor: reads in both orders, and failure at the exact position.
#include "platform/ByteCursor.h"

#include <gtest/gtest.h>
#include <limits>

using namespace platform;

namespace {
struct Stopped {
    qsizetype at;
};
ByteCursor::Failure stopAt() {
    return [](qsizetype at) { throw Stopped{at}; };
}
}  // namespace

TEST(ByteCursor, ReadsBothOrdersAndKeepsPosition) {
    const QByteArray b = QByteArray::fromHex("0102030405060708090a");
    ByteCursor c(b, stopAt());
    EXPECT_EQ(c.u16le(), 0x0201);
    EXPECT_EQ(c.u16be(), 0x0304);
    EXPECT_EQ(c.u32le(), 0x08070605u);
    EXPECT_EQ(c.position(), 8);
    EXPECT_EQ(c.remaining(), 2);
    c.setOrder(ByteOrder::Big);
    EXPECT_EQ(c.u16(), 0x090a);
    EXPECT_TRUE(c.atEnd());
    EXPECT_EQ(c.u32At(0), 0x01020304u);
    EXPECT_EQ(c.u32leAt(6), 0x0a090807u);
    c.seek(1);
    EXPECT_EQ(c.take(3), QByteArrayView("\x02\x03\x04", 3));
    ByteCursor s = c.sub(2);
    EXPECT_EQ(s.u16(), 0x0506);  // keeps the order
    EXPECT_EQ(c.position(), 6);
}

TEST(ByteCursor, FailsWhereTheBytesRunOut) {
    const QByteArray b("abcde");
    ByteCursor c(b, stopAt());
    c.skip(3);
    try {
        c.u32le();
        FAIL() << "read past the end";
    } catch (const Stopped& s) {
        EXPECT_EQ(s.at, 3);
    }
    EXPECT_EQ(c.position(), 3);  // a failed read does not move the cursor
    EXPECT_THROW(c.take(-1), Stopped);
    EXPECT_THROW(c.seek(6), Stopped);
    EXPECT_THROW(c.u16leAt(4), Stopped);
    EXPECT_THROW(c.viewAt(2, std::numeric_limits<qsizetype>::max()), Stopped);
    EXPECT_NO_THROW(c.seek(5));
    EXPECT_THROW(c.u8(), Stopped);
}

TEST(ByteCursor, MessageFormThrowsTheCallersText) {
    ByteCursor c(QByteArrayView("x"), QStringLiteral("壊れています"));
    try {
        c.u16le();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("壊れています"));
    }
}

TEST(ByteCursor, AbsoluteReadsCheckTheirRangeAndKeepTheSign) {
    const QByteArray b = QByteArray::fromHex("fefffcffffff00");  // -2, -4, 0
    const ByteCursor c(b, stopAt());
    EXPECT_EQ(c.i16leAt(0), -2);
    EXPECT_EQ(c.i32leAt(2), -4);
    EXPECT_TRUE(c.hasAt(2, 5));
    EXPECT_TRUE(c.hasAt(7, 0));
    EXPECT_FALSE(c.hasAt(3, 5));
    EXPECT_FALSE(c.hasAt(8, 0));
    EXPECT_FALSE(c.hasAt(-1, 1));
    EXPECT_FALSE(c.hasAt(1, std::numeric_limits<qsizetype>::max()));
    try {
        c.i32leAt(4);
        FAIL() << "read past the end";
    } catch (const Stopped& s) {
        EXPECT_EQ(s.at, 4);
    }
}

TEST(ByteCursor, WithoutHandlerFailsWithAPlainException) {
    ByteCursor c(QByteArrayView("ab"));
    EXPECT_EQ(c.u16be(), 0x6162);
    EXPECT_THROW(c.u8(), Exception);
    EXPECT_THROW(c.viewAt(1, 2), Exception);
}

TEST(ByteCursor, PeekAndSignExtendedIntegersOfEveryWidth) {
    // 0x80 (-128), 0x7fff, 0xfffffe (-2 in 3 bytes), -3 in 8 bytes, then one byte short.
    const QByteArray b = QByteArray::fromHex(
        "80ff7ffeffff"
        "fdffffffffffffff"
        "010203");
    ByteCursor c(b, stopAt());
    EXPECT_EQ(c.peek(), 0x80);
    EXPECT_EQ(c.position(), 0);
    EXPECT_EQ(c.intle(1), -128);
    EXPECT_EQ(c.intle(2), 0x7fff);
    EXPECT_EQ(c.intle(3), -2);
    EXPECT_EQ(c.intle(8), -3);
    EXPECT_EQ(c.position(), 14);
    try {
        c.intle(4);
        FAIL() << "read past the end";
    } catch (const Stopped& s) {
        EXPECT_EQ(s.at, 14);
    }
    c.skip(3);
    try {
        c.peek();
        FAIL() << "peeked past the end";
    } catch (const Stopped& s) {
        EXPECT_EQ(s.at, 17);
    }
}
