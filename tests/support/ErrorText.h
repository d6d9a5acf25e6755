#pragma once
// The message a call fails with, or "(no error)" when it succeeds: lets a test compare
// the exact text a reader reports.
#include "platform/Exception.h"

#include <QString>
#include <functional>

inline QString messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}
