#include "app/frame/AppFrameClient.h"

#include "app/frame/AppFrame.h"

#include <cstring>

namespace {
int copyOut(const QString& s, char* buffer, int size, int* needed) {
    const QByteArray u = s.toUtf8();
    const int need = int(u.size()) + 1;
    if (needed) *needed = need;
    if (!buffer || size < need) return plugin::kBufferTooSmall;
    std::memcpy(buffer, u.constData(), size_t(need));
    return plugin::kOk;
}

// Runs `f` and turns any error into a failure code.
template <class F>
int guarded(F&& f) {
    try {
        return f();
    } catch (...) {
        return plugin::kFail;
    }
}
}  // namespace

int TQCAppFrameClient::GetActiveWindow(std::uintptr_t* handle) {
    return guarded([&] {
        TAppFrame* f = TAppFrame::Current();
        if (!handle) return plugin::kFail;
        *handle = f && f->OnActiveWindowHandle ? f->OnActiveWindowHandle() : 0;
        return plugin::kOk;
    });
}

int TQCAppFrameClient::GetAppName(char* buffer, int size, int* needed) {
    return guarded([&] { return copyOut(::ExpandText(QStringLiteral("$(AppName)")), buffer, size, needed); });
}

int TQCAppFrameClient::GetRegistryKey(char* buffer, int size, int* needed) {
    return guarded(
        [&] { return copyOut(::ExpandText(QStringLiteral("$(SysRegistryKey)")), buffer, size, needed); });
}

int TQCAppFrameClient::ExpandText(const char* text, char* buffer, int size, int* needed) {
    return guarded([&] {
        if (!text) return plugin::kFail;
        return copyOut(::ExpandText(QString::fromUtf8(text)), buffer, size, needed);
    });
}
