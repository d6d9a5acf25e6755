#include "objects/DateText.h"

#include "app/frame/MacroString.h"
#include "platform/DateTime.h"

#include <array>
#include <exception>

namespace {

constexpr std::array<const char*, 12> kMonths{"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
constexpr std::array<const char*, 7> kDays{"Monday", "Tuesday",  "Wednesday", "Thursday",
                                           "Friday", "Saturday", "Sunday"};
const QString kShortDate = QStringLiteral("yyyy/mm/dd");
const QString kLongTime = QStringLiteral("h:nn:ss");

QString number(int v, int digits) {
    return QStringLiteral("%1").arg(v, digits, 10, QLatin1Char('0'));
}

// Counts how often `c` repeats at `i` (case-insensitive).
int runOf(const QString& f, qsizetype i, char c) {
    int n = 0;
    while (i + n < f.size() && f[i + n].toLower() == QLatin1Char(c)) ++n;
    return n;
}

bool startsAt(const QString& f, qsizetype i, const char* word) {
    return f.mid(i, qsizetype(qstrlen(word))).compare(QLatin1String(word), Qt::CaseInsensitive) ==
           0;
}

class Formatter {
public:
    explicit Formatter(const QDateTime& when) : date_(when.date()), time_(when.time()) {}

    QString run(const QString& f, int depth = 0) {
        QString out;
        bool afterHour = false;
        for (qsizetype i = 0; i < f.size();) {
            const QChar c = f[i];
            const char lc = char(c.toLower().toLatin1());
            if (c == u'"' || c == u'\'') {
                const qsizetype end = f.indexOf(c, i + 1);
                const qsizetype stop = end < 0 ? f.size() : end;
                out += f.mid(i + 1, stop - i - 1);
                i = stop + 1;
                continue;
            }
            if (depth < 2 && lc == 'c' && runOf(f, i, 'c') >= 1) {
                out += run(kShortDate, depth + 1);
                if (time_.msecsSinceStartOfDay() != 0) out += u' ' + run(kLongTime, depth + 1);
                i += 1;
                continue;
            }
            if (startsAt(f, i, "am/pm")) {
                out += time_.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm");
                i += 5;
                continue;
            }
            if (startsAt(f, i, "a/p")) {
                out += time_.hour() < 12 ? u'a' : u'p';
                i += 3;
                continue;
            }
            const int n = runOf(f, i, lc);
            switch (lc) {
                case 'y':
                    out += n <= 2 ? number(date_.year() % 100, 2) : number(date_.year(), 4);
                    break;
                case 'm':
                    if (afterHour && n <= 2) {
                        out += number(time_.minute(), n);
                    } else if (n <= 2) {
                        out += number(date_.month(), n);
                    } else {
                        const QString name = QLatin1String(kMonths.at(size_t(date_.month() - 1)));
                        out += n == 3 ? name.left(3) : name;
                    }
                    break;
                case 'd':
                    if (n <= 2) {
                        out += number(date_.day(), n);
                    } else if (n <= 4) {
                        const QString name = QLatin1String(kDays.at(size_t(date_.dayOfWeek() - 1)));
                        out += n == 3 ? name.left(3) : name;
                    } else if (depth < 2) {
                        out += run(kShortDate, depth + 1);
                    }
                    break;
                case 'h': {
                    const bool twelve =
                        f.indexOf(QLatin1String("am/pm"), i, Qt::CaseInsensitive) >= 0 ||
                        f.indexOf(QLatin1String("a/p"), i, Qt::CaseInsensitive) >= 0;
                    int h = time_.hour();
                    if (twelve) h = h % 12 == 0 ? 12 : h % 12;
                    out += number(h, std::min(n, 2));
                    break;
                }
                case 'n':
                    out += number(time_.minute(), std::min(n, 2));
                    break;
                case 's':
                    out += number(time_.second(), std::min(n, 2));
                    break;
                case 'z':
                    out += number(time_.msec(), n >= 3 ? 3 : 1);
                    break;
                case 't':
                    if (depth < 2)
                        out += run(n >= 2 ? kLongTime : QStringLiteral("h:nn"), depth + 1);
                    break;
                case '/':
                    out += u'/';
                    break;
                case ':':
                    out += u':';
                    break;
                default:
                    out += c;
                    break;
            }
            if (lc == 'h')
                afterHour = true;
            else if (QChar(lc).isLetter())
                afterHour = false;
            i += std::max(n, 1);
        }
        return out;
    }

private:
    QDate date_;
    QTime time_;
};

}  // namespace

QStringList MonthMacros(int month) {
    const QString name = QLatin1String(kMonths.at(size_t(std::clamp(month, 1, 12) - 1)));
    const QString shortName = name.left(3);
    const auto entry = [](const char* key, const QString& value) {
        return QLatin1String(key) + QStringLiteral("=\"") + value + u'"';
    };
    return {entry("LongMonthA", name),
            entry("LongMonthB", name.toLower()),
            entry("LongMonthC", name.toUpper()),
            entry("ShortMonthA", shortName),
            entry("ShortMonthB", shortName.toLower()),
            entry("ShortMonthC", shortName.toUpper())};
}

QString FormatDateTimeText(const QString& format, const QDateTime& when) {
    return Formatter(when).run(format);
}

QString DateText(const QString& format, double storedDate) {
    const QDateTime when = platform::fromStoredDateTime(storedDate);
    QString expanded = format;
    try {
        TMacroString macros;
        macros.SetStripQuotes(false);
        macros.Assign(MonthMacros(when.date().month()));
        expanded = macros.Expand(format);
    } catch (const std::exception&) {
        expanded = format;  // a broken macro reference is shown as written
    }
    if (expanded.isEmpty()) {
        QString text = FormatDateTimeText(kShortDate, when);
        if (when.time().msecsSinceStartOfDay() != 0)
            text += u' ' + FormatDateTimeText(kLongTime, when);
        return text;
    }
    return FormatDateTimeText(expanded, when);
}
