#pragma once
// Errors raised by the compound file engine. All derive from CfbError (itself an
// Exception), so callers that only report the message catch CfbError; callers that
// react to one condition catch the derived class.
//
// Messages (each %s is filled in by the raiser):
//   CfbCorrupt       "複合ファイルが壊れています: %s"           the file breaks the format
//                                                            (the detail names what is wrong)
//   CfbIoError       "複合ファイル「%s」を読み書きできません: %s"   a system call failed
//                                                            (path, reason)
//   CfbLocked        "複合ファイル「%s」は他で使用中です"          the lock could not be taken
//   CfbNotFound      "ストリーム「%s」が見つかりません" or
//                    "ストレージ「%s」が見つかりません" or
//                    "要素「%s」が見つかりません"                 no such element (the last when
//                                                            either kind would do)
//   CfbExists        "「%s」は既に存在します"                     the name is taken
//   CfbInvalidName   "名前「%s」は使えません"                     empty, longer than 31 UTF-16
//                                                            units, or contains / \ : !
//   CfbAccessDenied  "複合ファイルは読み取り専用で開かれています"     a change on a read-only file
//   CfbInvalidOperation "%s"                                   a request that cannot be done
//                    (the element was deleted, the file is closed, a move into itself, ...)

#include "platform/Exception.h"

namespace platform::cfb {

VELLUMO_DECLARE_EXCEPTION(CfbError, Exception);
VELLUMO_DECLARE_EXCEPTION(CfbCorrupt, CfbError);
VELLUMO_DECLARE_EXCEPTION(CfbIoError, CfbError);
VELLUMO_DECLARE_EXCEPTION(CfbLocked, CfbError);
VELLUMO_DECLARE_EXCEPTION(CfbNotFound, CfbError);
VELLUMO_DECLARE_EXCEPTION(CfbExists, CfbError);
VELLUMO_DECLARE_EXCEPTION(CfbInvalidName, CfbError);
VELLUMO_DECLARE_EXCEPTION(CfbAccessDenied, CfbError);
VELLUMO_DECLARE_EXCEPTION(CfbInvalidOperation, CfbError);

// Raisers with the messages above.
[[noreturn]] void throwCorrupt(const QString& detail);
[[noreturn]] void throwIo(const QString& path, int err);
[[noreturn]] void throwLocked(const QString& path);
[[noreturn]] void throwStreamNotFound(const QString& name);
[[noreturn]] void throwStorageNotFound(const QString& name);
[[noreturn]] void throwElementNotFound(const QString& name);
[[noreturn]] void throwExists(const QString& name);
[[noreturn]] void throwInvalidName(const QString& name);
[[noreturn]] void throwReadOnly();
[[noreturn]] void throwInvalidOperation(const QString& message);

}  // namespace platform::cfb
