#pragma once
// Errors of the compound document storage layer. Failures of the compound file itself
// arrive as the engine's own errors (platform/cfb/CfbError.h); this layer adds its
// path and open-mode errors.

#include "platform/Exception.h"

VELLUMO_DECLARE_EXCEPTION(EDocStorage, Exception);

namespace storagemsg {
// A path with more ".." segments than names before them.
inline QString tooManyParents() {
    return QStringLiteral("too many \"..\"");
}
// A write to a stream that was opened for reading.
inline QString streamReadOnly() {
    return QStringLiteral("ストリーム「%s」は読み込み専用で開かれています");
}
// A path that names the storage root where an element is needed.
inline QString noElementName() {
    return QStringLiteral("要素の名前がありません");
}
}  // namespace storagemsg
