#pragma once
// Message texts of the album document, each written once here.

#include <QString>

namespace msg {

// The name of a sheet added without one; its %d is stored as it is.
QString defaultSheetName();
// A page beyond the paper's page limit.
QString pageLimitExceeded(int limit);

}  // namespace msg
