#include "document/stream/Stream.h"

#include "document/Messages.h"
#include "document/stream/StreamErrors.h"

#include <algorithm>
#include <cstring>
#include <limits>

void throwReadError(int64_t offset) {
    throw EReadError(msg::atStreamOffset(msg::streamReadError(), offset));
}
void throwWriteError() {
    throw EWriteError(msg::streamWriteError());
}
void throwInvalidFormat(int64_t offset) {
    throw EReadError(msg::atStreamOffset(msg::invalidStreamFormat(), offset));
}

int64_t TStream::Size() {
    const int64_t pos = Position();
    const int64_t end = Seek(0, SeekOrigin::End);
    Seek(pos, SeekOrigin::Begin);
    return end;
}

int64_t TStream::Remaining() {
    return std::max<int64_t>(0, Size() - Position());
}

QByteArray TStream::ReadToEnd() {
    const int64_t n = Remaining();
    if (n > std::numeric_limits<qsizetype>::max() / 2) throwReadError(Position());
    QByteArray out(qsizetype(n), '\0');
    ReadBuffer(out.data(), n);
    return out;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    const int64_t got = count > 0 ? Read(buffer, count) : 0;
    // The offset reported is where the bytes that could not all be read begin.
    if (count < 0 || got != count) throwReadError(Position() - got);
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count < 0 || (count > 0 && Write(buffer, count) != count)) throwWriteError();
}

void TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    char buf[65536];
    while (count > 0) {
        const int64_t n = std::min<int64_t>(count, sizeof buf);
        source.ReadBuffer(buf, n);
        WriteBuffer(buf, n);
        count -= n;
    }
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || pos_ >= data_.size()) return 0;
    const int64_t n = std::min<int64_t>(count, data_.size() - pos_);
    std::memcpy(buffer, data_.constData() + pos_, size_t(n));
    pos_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (pos_ > std::numeric_limits<int32_t>::max() - count) return 0;
    const int64_t end = pos_ + count;
    if (end > data_.size()) data_.resize(qsizetype(end), '\0');
    std::memcpy(data_.data() + pos_, buffer, size_t(count));
    pos_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = 0;
    if (origin == SeekOrigin::Current) base = pos_;
    if (origin == SeekOrigin::End) base = data_.size();
    pos_ = std::max<int64_t>(0, base + offset);
    return pos_;
}

void TMemoryStream::SetSize(int64_t size) {
    data_.resize(qsizetype(std::max<int64_t>(0, size)), '\0');
    pos_ = std::min<int64_t>(pos_, data_.size());
}

TFileStream::TFileStream(const QString& path, Mode mode) : file_(path) {
    QIODevice::OpenMode m = QIODevice::ReadOnly;
    if (mode == OpenReadWrite) m = QIODevice::ReadWrite;
    if (mode == Create) m = QIODevice::ReadWrite | QIODevice::Truncate;
    if (!file_.open(m)) throw EFOpenError(msg::cannotOpenFile(path));
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const qint64 n = file_.read(static_cast<char*>(buffer), count);
    return n < 0 ? 0 : n;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const qint64 n = file_.write(static_cast<const char*>(buffer), count);
    return n < 0 ? 0 : n;
}

int64_t TFileStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = 0;
    if (origin == SeekOrigin::Current) base = file_.pos();
    if (origin == SeekOrigin::End) base = file_.size();
    file_.seek(std::max<int64_t>(0, base + offset));
    return file_.pos();
}
