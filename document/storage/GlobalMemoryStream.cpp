#include "document/storage/GlobalMemoryStream.h"

#include "document/stream/StreamErrors.h"

namespace {
[[noreturn]] void cannotGrow() {
    throw EStreamError(QStringLiteral("should not realloc Global Handle"));
}
}  // namespace

TGMEMStream::TGMEMStream(QByteArray block) : TMemoryStream(std::move(block)), wraps_(true) {}

int64_t TGMEMStream::Write(const void* buffer, int64_t count) {
    if (wraps_ && count > 0 && Position() + count > Size()) cannotGrow();
    return TMemoryStream::Write(buffer, count);
}

void TGMEMStream::SetSize(int64_t size) {
    if (wraps_ && size > Size()) cannotGrow();
    TMemoryStream::SetSize(size);
}

QByteArray TGMEMStream::Release() {
    QByteArray out = Data();
    Clear();
    wraps_ = false;
    return out;
}
