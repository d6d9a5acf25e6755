#pragma once
// A stream element of a compound document as a TStream, so component streams can be
// written into documents and read from them directly.
//
//     TDocStream s(root, storagemode::Create, QStringLiteral("Sheets\\NameList0\\Face0"));
//     WriteComponent(s, face);

#include "document/storage/DocStorage.h"
#include "document/stream/Stream.h"

#include <memory>
#include <optional>

class TDocStream : public TStream {
public:
    // Opens the stream at `path`, relative to `node`. Mode -1 creates it (and the missing
    // storages on the way), emptying an existing one; 0 opens it for reading, 1 and 2 for
    // reading and writing. Opening a stream that does not exist raises.
    TDocStream(const TDocStorage& node, int mode, const QString& path);
    ~TDocStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override;
    // Grows (with zero bytes) or cuts the stream; the position stays where it was.
    void SetSize(int64_t size);

    // The node of the parent storage, which the stream owns.
    const TDocStorage& Parent() const { return *parent_; }
    const QString& Name() const { return name_; }

private:
    std::unique_ptr<TDocStorage> parent_;
    QString name_;
    std::optional<platform::cfb::Stream> stream_;
    bool readOnly_;
    int64_t pos_ = 0;
};
