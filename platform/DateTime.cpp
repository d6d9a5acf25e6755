#include "platform/DateTime.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
// 1 January 100 and 31 December 9999 as day numbers.
const double kFirstDay = double(kEpoch.daysTo(QDate(100, 1, 1)));
const double kLastDay = double(kEpoch.daysTo(QDate(9999, 12, 31))) + 1 - 1 / kMsPerDay;
}  // namespace

double dateTimeNow() {
    return toStoredDateTime(QDateTime::currentDateTime());
}

double toStoredDateTime(const QDateTime& local) {
    const QDateTime l = local.toLocalTime();
    const double days = double(kEpoch.daysTo(l.date()));
    const double fraction = l.time().msecsSinceStartOfDay() / kMsPerDay;
    // Before the epoch the whole days count backwards but the time still runs forwards.
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime fromStoredDateTime(double value) {
    if (!std::isfinite(value)) value = 0;
    value = std::clamp(value, kFirstDay, kLastDay);
    const double whole = std::trunc(value);
    const double fraction = std::fabs(value - whole);
    qint64 ms = std::llround(fraction * kMsPerDay);
    qint64 days = qint64(whole);
    if (ms >= qint64(kMsPerDay)) {  // rounding reached the next midnight
        ms -= qint64(kMsPerDay);
        days += whole >= 0 ? 1 : -1;
    }
    return QDateTime(kEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::LocalTime);
}

}  // namespace platform
