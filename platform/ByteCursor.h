#pragma once
// A bounds-checked reader over bytes that came from outside (files, streams, the
// clipboard). Every read checks that the bytes are there first; when they are not, the
// cursor calls the owner's failure handler with the position where reading stopped, so
// each format reports its own message. Plain conversions of bytes already checked use
// <QtEndian> directly.

#include "platform/Exception.h"

#include <QByteArrayView>
#include <QString>
#include <QtEndian>
#include <cstdint>
#include <functional>

namespace platform {

enum class ByteOrder { Little, Big };

class ByteCursor {
public:
    // Called with the position where the bytes ran out (or the bad seek target); it must
    // throw. Should it return, the cursor throws a plain Exception instead.
    using Failure = std::function<void(qsizetype position)>;

    ByteCursor(QByteArrayView bytes, Failure fail) : bytes_(bytes), fail_(std::move(fail)) {}
    // For owners that check with has()/hasAt() before every read: a failure is then a
    // fault of the owner, reported with a plain Exception.
    explicit ByteCursor(QByteArrayView bytes) : bytes_(bytes) {}
    // Fails with Exception(message).
    ByteCursor(QByteArrayView bytes, const QString& message)
        : bytes_(bytes), fail_([message](qsizetype) { throw Exception(message); }) {}

    qsizetype size() const { return bytes_.size(); }
    qsizetype position() const { return pos_; }
    qsizetype remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }
    bool has(qsizetype n) const { return n >= 0 && n <= remaining(); }
    QByteArrayView bytes() const { return bytes_; }

    // The order used by u16()/u32()/i16()/i32(); little-endian unless set.
    ByteOrder order() const { return order_; }
    void setOrder(ByteOrder order) { order_ = order; }

    void seek(qsizetype pos) {
        if (pos < 0 || pos > bytes_.size()) fail(pos);
        pos_ = pos;
    }
    void skip(qsizetype n) {
        need(n);
        pos_ += n;
    }
    // The next n bytes, as a view into the cursor's buffer.
    QByteArrayView take(qsizetype n) {
        need(n);
        const QByteArrayView v = bytes_.sliced(pos_, n);
        pos_ += n;
        return v;
    }
    // A cursor over the next n bytes with the same failure handler; positions in it
    // count from its own start.
    ByteCursor sub(qsizetype n) {
        ByteCursor c(take(n), fail_);
        c.order_ = order_;
        return c;
    }

    std::uint8_t u8() { return std::uint8_t(take(1)[0]); }
    // The next byte, without moving the cursor.
    std::uint8_t peek() const {
        need(1);
        return std::uint8_t(bytes_[pos_]);
    }
    std::uint16_t u16le() { return qFromLittleEndian<std::uint16_t>(take(2).data()); }
    std::uint32_t u32le() { return qFromLittleEndian<std::uint32_t>(take(4).data()); }
    std::uint64_t u64le() { return qFromLittleEndian<std::uint64_t>(take(8).data()); }
    std::uint16_t u16be() { return qFromBigEndian<std::uint16_t>(take(2).data()); }
    std::uint32_t u32be() { return qFromBigEndian<std::uint32_t>(take(4).data()); }
    std::int16_t i16le() { return std::int16_t(u16le()); }
    std::int32_t i32le() { return std::int32_t(u32le()); }
    // A little-endian integer of `n` bytes (1 to 8), sign-extended.
    std::int64_t intle(int n) {
        Q_ASSERT(n >= 1 && n <= 8);
        const QByteArrayView v = take(n);
        std::uint64_t u = 0;
        for (qsizetype i = v.size(); i-- > 0;) u = (u << 8) | std::uint8_t(v[i]);
        const int shift = 64 - 8 * int(v.size());
        return shift > 0 && shift < 64 ? std::int64_t(u << shift) >> shift : std::int64_t(u);
    }
    std::uint16_t u16() { return order_ == ByteOrder::Little ? u16le() : u16be(); }
    std::uint32_t u32() { return order_ == ByteOrder::Little ? u32le() : u32be(); }
    std::int16_t i16() { return std::int16_t(u16()); }
    std::int32_t i32() { return std::int32_t(u32()); }

    // Reads at an absolute position without moving the cursor.
    bool hasAt(qsizetype at, qsizetype n) const {
        return at >= 0 && n >= 0 && at <= bytes_.size() && n <= bytes_.size() - at;
    }
    QByteArrayView viewAt(qsizetype at, qsizetype n) const {
        if (!hasAt(at, n)) fail(at);
        return bytes_.sliced(at, n);
    }
    std::uint8_t u8At(qsizetype at) const { return std::uint8_t(viewAt(at, 1)[0]); }
    std::uint16_t u16leAt(qsizetype at) const {
        return qFromLittleEndian<std::uint16_t>(viewAt(at, 2).data());
    }
    std::uint32_t u32leAt(qsizetype at) const {
        return qFromLittleEndian<std::uint32_t>(viewAt(at, 4).data());
    }
    std::int16_t i16leAt(qsizetype at) const { return std::int16_t(u16leAt(at)); }
    std::int32_t i32leAt(qsizetype at) const { return std::int32_t(u32leAt(at)); }
    std::uint16_t u16At(qsizetype at) const {
        const auto* p = viewAt(at, 2).data();
        return order_ == ByteOrder::Little ? qFromLittleEndian<std::uint16_t>(p)
                                           : qFromBigEndian<std::uint16_t>(p);
    }
    std::uint32_t u32At(qsizetype at) const {
        const auto* p = viewAt(at, 4).data();
        return order_ == ByteOrder::Little ? qFromLittleEndian<std::uint32_t>(p)
                                           : qFromBigEndian<std::uint32_t>(p);
    }

private:
    void need(qsizetype n) const {
        if (!has(n)) fail(pos_);
    }
    [[noreturn]] void fail(qsizetype at) const {
        if (fail_) fail_(at);
        throw Exception(QStringLiteral("データが途中で終わっています"));
    }

    QByteArrayView bytes_;
    Failure fail_;
    qsizetype pos_ = 0;
    ByteOrder order_ = ByteOrder::Little;
};

}  // namespace platform
