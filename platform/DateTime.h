#pragma once
// Stored date-times: days since 30 December 1899 as a floating value whose fraction is
// the time of day (negative values count days backwards, the fraction still running
// forwards from midnight), always in local time.

#include <QDateTime>

namespace platform {

// The local date and time now.
double dateTimeNow();
// A local date and time as a stored value (to the millisecond).
double toStoredDateTime(const QDateTime& local);
// The stored value as a local date and time. Values that are not finite or lie outside
// the years 100 to 9999 come back clamped to that range (not finite: day 0), so every
// stored value gives some date.
QDateTime fromStoredDateTime(double value);

}  // namespace platform
