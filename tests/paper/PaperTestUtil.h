#pragma once
// Helpers of the paper tests: stored property names, streams built from their text form,
// and the validator installed for one test.

#include "document/storage/DocStorage.h"
#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/Stream.h"
#include "document/stream/StreamText.h"
#include "document/stream/StreamTree.h"
#include "paper/Purpose.h"

#include <QStringList>
#include <memory>

// The names of the properties `c` writes, in order (collection items not included).
inline QStringList StoredNames(TComponent& c) {
    TMemoryStream s;
    WriteComponentStream(s, c);
    const streamtree::Document doc = streamtree::readDocument(s.Data());
    QStringList names;
    for (const auto& p : doc.entries.at(0).properties) names << QString::fromLatin1(p.name);
    return names;
}

// The value of one stored property as text ("" when absent).
inline QString StoredValue(TComponent& c, const char* name) {
    TMemoryStream s;
    WriteComponentStream(s, c);
    const streamtree::Document doc = streamtree::readDocument(s.Data());
    for (const auto& p : doc.entries.at(0).properties)
        if (p.name == name) return streamtree::printValue(p.value);
    return {};
}

// Reads an object from the text form of a component stream.
template <class T>
std::unique_ptr<T> ReadFromText(const QString& text) {
    TMemoryStream s(streamtree::writeDocument(streamtree::parseDocument(text)));
    std::unique_ptr<TComponent> c(ReadComponentStream(s));
    auto* t = dynamic_cast<T*>(c.get());
    if (t) c.release();
    return std::unique_ptr<T>(t);
}

// The bytes of stream `path` in the compound file `file`.
inline QByteArray StoredStream(const QString& file, const QString& path) {
    TFileStorage f(file, storagemode::Read);
    TDocStream s(f, storagemode::Read, path);
    return s.ReadToEnd();
}

// Damages the paper stream `streamName` of the catalogue `file` in place, through the
// compound-file engine: the value code of the stream's first property becomes 0x7F, which
// is no value code. Returns that byte's offset in the stream.
inline qint64 DamagePaperStream(const QString& file, const QString& streamName) {
    TFileStorage f(file, storagemode::ReadWrite);
    TDocStream s(f, storagemode::ReadWrite, QStringLiteral("Papers\\") + streamName);
    const QByteArray bytes = s.ReadToEnd();
    // "TPF0", the class name, the component name, then the first property's name.
    qint64 at = 4;
    for (int shortString = 0; shortString < 3; ++shortString) at += 1 + uint8_t(bytes.at(at));
    s.SetPosition(at);
    s.WriteBytes(QByteArray(1, '\x7F'));
    return at;
}

// Installs the CD label validator for the life of the object.
struct ValidatorScope {
    ValidatorScope() { InstallPurposeValidator(std::make_unique<TCDLabelPurposeValidator>()); }
    ~ValidatorScope() { InstallPurposeValidator(nullptr); }
};
