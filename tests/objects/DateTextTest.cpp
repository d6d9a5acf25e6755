// Stored date-times, the date text and the date field.
#include "objects/DateText.h"
#include "objects/LODate.h"
#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <limits>

using platform::fromStoredDateTime;
using platform::toStoredDateTime;

TEST(StoredDateTime, DaysSinceTheEpochWithTheTimeAsFraction) {
    const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), Qt::LocalTime);
    EXPECT_EQ(toStoredDateTime(epoch), 0.0);
    const QDateTime when(QDate(2004, 3, 5), QTime(18, 0), Qt::LocalTime);
    EXPECT_EQ(toStoredDateTime(when), 38051.75);
    EXPECT_EQ(fromStoredDateTime(38051.75), when);
    // Before the epoch the days count back while the time of day still runs forwards.
    EXPECT_EQ(fromStoredDateTime(-1.25),
              QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::LocalTime));
    EXPECT_EQ(toStoredDateTime(fromStoredDateTime(-1.25)), -1.25);
    // Milliseconds that round up to midnight give the next day.
    EXPECT_EQ(fromStoredDateTime(1.9999999999),
              QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::LocalTime));
    // Any stored value gives some date.
    EXPECT_TRUE(fromStoredDateTime(std::numeric_limits<double>::quiet_NaN()).isValid());
    EXPECT_EQ(fromStoredDateTime(1e300).date(), QDate(9999, 12, 31));
    EXPECT_EQ(fromStoredDateTime(-1e300).date(), QDate(100, 1, 1));
    const double now = platform::dateTimeNow();
    EXPECT_LE(std::abs(now - toStoredDateTime(QDateTime::currentDateTime())), 1.0 / 1440);
}

TEST(DateText, FormatsLettersMacrosAndLiterals) {
    const double when =
        toStoredDateTime(QDateTime(QDate(2004, 3, 5), QTime(9, 5, 7), Qt::LocalTime));
    EXPECT_EQ(DateText(QStringLiteral("yyyy/mm/dd"), when), QStringLiteral("2004/03/05"));
    EXPECT_EQ(DateText(QStringLiteral("yy.m.d"), when), QStringLiteral("04.3.5"));
    EXPECT_EQ(DateText(QStringLiteral("$(LongMonthA) d, yyyy"), when),
              QStringLiteral("March 5, 2004"));
    EXPECT_EQ(DateText(QStringLiteral("$(ShortMonthC)-$(LongMonthB)-$(ShortMonthB)"), when),
              QStringLiteral("MAR-march-mar"));
    // "m" after an hour is the minute; quoted text is copied as it is.
    EXPECT_EQ(DateText(QStringLiteral("hh:mm:ss \"d y m\""), when),
              QStringLiteral("09:05:07 d y m"));
    EXPECT_EQ(DateText(QStringLiteral("h:nn am/pm"), when + 0.5), QStringLiteral("9:05 pm"));
    // Empty: the short date, with the time when it is not midnight.
    EXPECT_EQ(DateText(QString(), when), QStringLiteral("2004/03/05 9:05:07"));
    EXPECT_EQ(DateText(QString(), 38051), QStringLiteral("2004/03/05"));
    // A broken or unknown macro does not fail: the format is formatted as written.
    const QDateTime at = platform::fromStoredDateTime(when);
    for (const QString& f : {QStringLiteral("$(Nope) d"), QStringLiteral("$(LongMonthA")})
        EXPECT_EQ(DateText(f, when), FormatDateTimeText(f, at));
}

TEST(DateField, TextFollowsFormatAndDate) {
    TLODate d;
    EXPECT_LE(std::abs(d.Date() - platform::dateTimeNow()), 1.0 / 1440);  // now at creation
    EXPECT_EQ(d.UpdateFlag(), dufNo);
    d.SetDate(38051);
    d.SetFormat(QStringLiteral("yyyy/m/d"));
    EXPECT_EQ(d.Text()->Get(0), QStringLiteral("2004/3/5"));
    d.SetFormat(QStringLiteral("$(LongMonthA) d"));
    EXPECT_EQ(d.Text()->Get(0), QStringLiteral("March 5"));
    EXPECT_EQ(d.Date(), 38051.0);
    TLODate copy;
    copy.Assign(d);
    EXPECT_EQ(copy.Text()->Get(0), QStringLiteral("March 5"));
    EXPECT_EQ(copy.Format(), d.Format());
}
