#include "platform/ShiftJis.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(ShiftJis, KanjiKanaAndAsciiRoundTrip) {
    // 写真 = 8E CA 90 5E; half-width katakana ｱ = B1; ASCII unchanged.
    const QString text = QStringLiteral("A写真ｱ");
    bool lossless = false;
    const QByteArray bytes = toCp932(text, &lossless);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(bytes, QByteArray("A\x8E\xCA\x90\x5E\xB1"));
    EXPECT_EQ(fromCp932(bytes), text);
}

TEST(ShiftJis, Cp932SpecificCharacters) {
    // CP932 (not plain Shift-JIS) maps the wave dash to U+FF5E and has NEC specials like ①.
    EXPECT_EQ(toCp932(QStringLiteral("～①")), QByteArray("\x81\x60\x87\x40"));
    EXPECT_EQ(fromCp932(QByteArray("\x87\x40")), QStringLiteral("①"));
}

TEST(ShiftJis, UnrepresentableCharactersAreReported) {
    bool lossless = true;
    // U+1F600 (a surrogate pair) and U+00E9 have no CP932 encoding.
    const QByteArray bytes = toCp932(QStringLiteral("a") + QString::fromUcs4(U"\U0001F600") +
                                         QStringLiteral("é") + QStringLiteral("b"),
                                     &lossless);
    EXPECT_FALSE(lossless);
    EXPECT_EQ(bytes, QByteArray("a??b"));
    EXPECT_FALSE(isCp932Representable(QStringLiteral("é")));
    EXPECT_TRUE(isCp932Representable(QStringLiteral("アルバム")));
}

TEST(ShiftJis, InvalidBytesDecodeToReplacementCharacters) {
    // A lead byte at the end, and 0xA0 which CP932 leaves unassigned.
    const QString s = fromCp932(QByteArray("ab\x8E"));
    EXPECT_EQ(s, QStringLiteral("ab\uFFFD"));
    EXPECT_TRUE(fromCp932(QByteArray()).isEmpty());
}
