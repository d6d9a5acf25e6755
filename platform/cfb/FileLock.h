#pragma once
// Takes the flock() that an open mode asks for (see OpenMode.h) on an open
// file, without waiting. The lock goes with the file descriptor.

#include "platform/cfb/OpenMode.h"

#include <QString>

namespace platform::cfb {

// Raises CfbLocked when another holder's lock is in the way, CfbIoError on other
// failures.
void lockFile(int fd, const QString& path, Access access, Share share);

}  // namespace platform::cfb
