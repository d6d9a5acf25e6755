#pragma once
// Helpers of the paper tests: stored property names, streams built from their text form,
// and the validator installed for one test.

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

// Installs the CD label validator for the life of the object.
struct ValidatorScope {
    ValidatorScope() { InstallPurposeValidator(std::make_unique<TCDLabelPurposeValidator>()); }
    ~ValidatorScope() { InstallPurposeValidator(nullptr); }
};
