#pragma once
// TResStream: a read-only memory stream over one resource, taken from a compiled resource
// file (.res) or, without one, from the program's embedded resources (the Qt resource
// ":/res/<TYPE>/<NAME>", upper-case).

#include "document/stream/Stream.h"

#include <QString>
#include <variant>

// A resource type or name: a number, or a text compared without regard to case.
using TResId = std::variant<int, QString>;

class TResStream : public TMemoryStream {
public:
    // Raises "%s リソースが見つかりません" with the name when there is no such resource,
    // and "リソースファイルが不正です" when the file's entries do not fit in it.
    TResStream(const QString& fileName, const TResId& type, const TResId& name);

    int64_t Write(const void*, int64_t) override { return 0; }  // read-only
};

QString ResIdText(const TResId& id);
