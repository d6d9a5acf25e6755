#pragma once
// printf-style formatting of message texts: each "%s" or "%d" takes the next argument
// (any type QString can be built from, or an integer); "%%" is a percent sign.
// Placeholders without an argument are kept as they stand.

#include <QString>
#include <QStringList>
#include <concepts>
#include <type_traits>

namespace platform {

QString formatList(const QString& pattern, const QStringList& args);

namespace detail {
template <class T>
QString formatArg(const T& value) {
    if constexpr (std::is_same_v<std::decay_t<T>, bool>)
        return value ? QStringLiteral("1") : QStringLiteral("0");
    else if constexpr (std::is_integral_v<std::decay_t<T>>)
        return QString::number(value);
    else
        return QString(value);
}
}  // namespace detail

template <class... Args>
QString format(const QString& pattern, const Args&... args) {
    return formatList(pattern, QStringList{detail::formatArg(args)...});
}

}  // namespace platform
