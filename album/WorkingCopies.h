#pragma once
// Working copies of album documents that a crashed process left in the temporary folder.
// A running document holds its working copy locked, so a copy that can be locked is left
// over. They are listed to be offered back, never deleted here.

#include <QStringList>

// The paths of left-over album working copies, oldest first.
QStringList AbandonedWorkingCopies();
