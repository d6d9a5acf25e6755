#pragma once
// Message texts of the layout objects, each written once here.

#include <QString>

namespace msg {

// The line a text without lines shows in place of its text.
QString textEntryMissing();

}  // namespace msg
