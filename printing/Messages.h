#pragma once
// Message texts of the printing subsystem. Each text is written once, here; texts shared
// with lower folders live in their catalogues, all in namespace msg.

#include <QString>

namespace msg {

QString listDuplicates();
QString sortedListOperation();
// Names of the driver function's print quality values (1, 2, 3, other).
QString qualityName(int value);

}  // namespace msg
