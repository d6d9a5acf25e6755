#pragma once
// Errors of the paper catalogue (their texts: paper/Messages.h).

#include "document/stream/StreamErrors.h"  // EListError, EInvalidCast

VELLUMO_DECLARE_EXCEPTION(EPaperError, Exception);
