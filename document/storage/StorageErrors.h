#pragma once
// Errors of the compound document storage layer. Failures of the compound file itself
// arrive as the engine's own errors (platform/cfb/CfbError.h); this layer adds its
// path and open-mode errors.

#include "platform/Exception.h"

VELLUMO_DECLARE_EXCEPTION(EDocStorage, Exception);
