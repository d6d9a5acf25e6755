#include "platform/spooler/DevMode.h"

#include "platform/ByteCursor.h"
#include "platform/Exception.h"
#include "platform/Messages.h"
#include "platform/ShiftJis.h"

#include <QtEndian>

namespace platform::devmode {
namespace {

constexpr char kMagic[4] = {'V', 'L', 'D', 'X'};
constexpr uint16_t kVersion = 1;
constexpr int kAnsiTail = kAnsiSize - LogPixels;  // 54 bytes after the form name
constexpr int kWideFormName = 102;
constexpr int kWideLogPixels = 166;

QByteArray checked(QByteArrayView bytes, int size) {
    ByteCursor c(bytes, msg::devModeInvalid());
    const int shift = size == kWideSize ? 32 : 0;  // the wide device name is 32 bytes longer
    if (c.u16leAt(Size + shift) != size) throw Exception(msg::devModeInvalid());
    const int total = size + c.u16leAt(DriverExtra + shift);
    return c.viewAt(0, total).toByteArray();
}

}  // namespace

int16_t i16(const QByteArray& b, int offset) {
    return qFromLittleEndian<int16_t>(b.constData() + offset);
}
uint16_t u16(const QByteArray& b, int offset) {
    return qFromLittleEndian<uint16_t>(b.constData() + offset);
}
uint32_t u32(const QByteArray& b, int offset) {
    return qFromLittleEndian<uint32_t>(b.constData() + offset);
}
void setI16(QByteArray& b, int offset, int value) {
    qToLittleEndian<int16_t>(int16_t(value), b.data() + offset);
}
void setU16(QByteArray& b, int offset, unsigned value) {
    qToLittleEndian<uint16_t>(uint16_t(value), b.data() + offset);
}
void setU32(QByteArray& b, int offset, uint32_t value) {
    qToLittleEndian<uint32_t>(value, b.data() + offset);
}

QString name(const QByteArray& b, int offset) {
    const QByteArrayView v(b.constData() + offset, 32);
    const qsizetype end = v.indexOf('\0');
    const QByteArrayView s = end < 0 ? v : v.first(end);
    return fromCp932(s.data(), s.size());
}

void setName(QByteArray& b, int offset, const QString& text) {
    QString t = text;
    QByteArray u = toCp932(t);
    // Cut at a character boundary, keeping the terminating zero.
    while (u.size() > 31) {
        t.chop(1);
        u = toCp932(t);
    }
    std::fill(b.data() + offset, b.data() + offset + 32, '\0');
    std::copy(u.begin(), u.end(), b.data() + offset);
}

QByteArray emptyAnsi() {
    QByteArray b(kAnsiSize, '\0');
    setU16(b, Size, kAnsiSize);
    return b;
}

QByteArray checkedAnsi(QByteArrayView bytes) {
    return checked(bytes, kAnsiSize);
}
QByteArray checkedWide(QByteArrayView bytes) {
    return checked(bytes, kWideSize);
}

QByteArray ansiToWide(const QByteArray& ansi) {
    const int extra = u16(ansi, DriverExtra);
    QByteArray w(kWideSize + extra, '\0');
    const auto widen = [&](int from, int to) {
        const QString s = name(ansi, from);
        for (int i = 0; i < 31 && i < s.size(); ++i)
            qToLittleEndian<uint16_t>(s[i].unicode(), w.data() + to + 2 * i);
    };
    widen(DeviceName, 0);
    std::copy_n(ansi.constData() + SpecVersion, FormName - SpecVersion, w.data() + 64);
    widen(FormName, kWideFormName);
    std::copy_n(ansi.constData() + LogPixels, kAnsiTail + extra, w.data() + kWideLogPixels);
    setU16(w, 64 + (Size - SpecVersion), kWideSize);
    return w;
}

QByteArray wideToAnsi(const QByteArray& wide) {
    const int extra = u16(wide, 64 + (DriverExtra - SpecVersion));
    QByteArray a(kAnsiSize + extra, '\0');
    const auto narrow = [&](int from, int to) {
        QString s;
        for (int i = 0; i < 32; ++i) {
            const auto u = qFromLittleEndian<uint16_t>(wide.constData() + from + 2 * i);
            if (!u) break;
            s.append(QChar(u));
        }
        setName(a, to, s);
    };
    narrow(0, DeviceName);
    std::copy_n(wide.constData() + 64, FormName - SpecVersion, a.data() + SpecVersion);
    narrow(kWideFormName, FormName);
    std::copy_n(wide.constData() + kWideLogPixels, kAnsiTail + extra, a.data() + LogPixels);
    setU16(a, Size, kAnsiSize);
    return a;
}

QByteArray encodeDriverData(const DriverData& data) {
    QByteArray out(kMagic, 4);
    const auto put16 = [&](unsigned v) {
        char b[2];
        qToLittleEndian<uint16_t>(uint16_t(v), b);
        out.append(b, 2);
    };
    put16(kVersion);
    put16(unsigned(data.options.size()));
    for (const auto& [name, value] : data.options)
        for (const QByteArray& s : {name.toUtf8(), value.toUtf8()}) {
            put16(unsigned(s.size()));
            out.append(s);
        }
    if (out.size() > kMaxDriverExtra) throw Exception(msg::devModeInvalid());
    return out;
}

std::optional<DriverData> decodeDriverData(QByteArrayView area) {
    if (area.size() < 4 || !area.startsWith(QByteArrayView(kMagic, 4))) return std::nullopt;
    ByteCursor c(area, msg::devModeInvalid());
    c.skip(4);
    if (c.u16le() != kVersion) throw Exception(msg::devModeInvalid());
    const int count = c.u16le();
    DriverData d;
    for (int i = 0; i < count; ++i) {
        const QByteArrayView n = c.take(c.u16le());
        const QByteArrayView v = c.take(c.u16le());
        d.options.append({QString::fromUtf8(n), QString::fromUtf8(v)});
    }
    return d;
}

QByteArrayView driverArea(const QByteArray& ansi) {
    return QByteArrayView(ansi).sliced(kAnsiSize, u16(ansi, DriverExtra));
}

void setDriverArea(QByteArray& ansi, const QByteArray& area) {
    if (area.size() > kMaxDriverExtra) throw Exception(msg::devModeInvalid());
    ansi.truncate(kAnsiSize);
    ansi.append(area);
    setU16(ansi, DriverExtra, unsigned(area.size()));
}

}  // namespace platform::devmode
