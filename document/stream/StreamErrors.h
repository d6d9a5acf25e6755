#pragma once
// Error classes of the component stream framework (their texts: document/Messages.h).

#include "platform/Exception.h"

#include <cstdint>

VELLUMO_DECLARE_EXCEPTION(EStreamError, Exception);
VELLUMO_DECLARE_EXCEPTION(EFilerError, EStreamError);
VELLUMO_DECLARE_EXCEPTION(EReadError, EFilerError);
VELLUMO_DECLARE_EXCEPTION(EWriteError, EFilerError);
VELLUMO_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
VELLUMO_DECLARE_EXCEPTION(EFOpenError, EStreamError);
VELLUMO_DECLARE_EXCEPTION(EComponentError, Exception);
VELLUMO_DECLARE_EXCEPTION(EConvertError, Exception);
// An index outside a list.
VELLUMO_DECLARE_EXCEPTION(EListError, Exception);
// A stored object of another class than the one expected ("無効なクラス型キャスト").
VELLUMO_DECLARE_EXCEPTION(EInvalidCast, Exception);

// Raise the stream errors with their fixed messages; read errors name the offset where
// reading stopped (see msg::atStreamOffset).
[[noreturn]] void throwReadError(int64_t offset);
[[noreturn]] void throwWriteError();
[[noreturn]] void throwInvalidFormat(int64_t offset);
