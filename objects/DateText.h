#pragma once
// The text of a date: a format with the month macros ("$(LongMonthA)" … "$(ShortMonthC)")
// expanded for the date's month, then formatted with the date-format letters. Used by
// date fields and by the date stamp of album photos.

#include <QDateTime>
#include <QString>

// The six month macros for `month` (1..12), each value in double quotes so that the
// formatter copies it literally: "LongMonthA=\"January\"", ...
QStringList MonthMacros(int month);

// Formats a local date and time with the letters yyyy, yy, m, mm, mmm, mmmm, d, dd, ddd,
// dddd, ddddd, h, hh, n, nn, s, ss, z, zzz, t, tt, c, am/pm, a/p; "m" right after an hour
// means minutes; text in double or single quotes is copied; "/" and ":" are the date and
// time separators; everything else is copied.
QString FormatDateTimeText(const QString& format, const QDateTime& when);

// The date text of a stored date-time (days since 1899-12-30): `format` with the month
// macros expanded, then formatted. An empty format (or one empty after expansion) gives
// the short date, followed by the long time when the time of day is not midnight. Never
// fails: a format whose macros cannot be expanded is formatted as written.
QString DateText(const QString& format, double storedDate);
