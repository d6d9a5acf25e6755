#pragma once
// The memory stream of clipboard transfers. Built on a block received from the
// clipboard it reads the block in place and cannot grow beyond it ("should not realloc
// Global Handle"); built empty it grows like any memory stream, and Release() hands
// its bytes over, exactly as long as the data, for the clipboard.

#include "document/stream/Stream.h"

class TGMEMStream : public TMemoryStream {
public:
    TGMEMStream() = default;
    // Wraps a received block (Qt shares the bytes; nothing is copied until a write).
    explicit TGMEMStream(QByteArray block);

    int64_t Write(const void* buffer, int64_t count) override;
    void SetSize(int64_t size) override;

    bool WrapsBlock() const { return wraps_; }
    // Hands the data over and leaves the stream empty (and growable).
    QByteArray Release();

private:
    bool wraps_ = false;
};
