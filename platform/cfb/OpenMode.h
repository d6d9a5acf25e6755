#pragma once
// How a compound file is opened: what this holder does with it (access) and what it
// lets other holders do at the same time (sharing).
//
// Sharing is enforced between processes (and between separate opens in one process)
// with flock() on the file itself:
//
//   access     sharing      lock taken        others may still open it
//   Read       DenyWrite    LOCK_SH           Read + DenyWrite
//   Read       Exclusive    LOCK_EX           nobody
//   ReadWrite  Exclusive    LOCK_EX           nobody
//   ReadWrite  DenyWrite    LOCK_EX           nobody (a writer cannot share with
//                                             readers that deny writing)
//
// Locks are taken without waiting: when the lock is held elsewhere the open fails
// with CfbLocked. flock() locks are advisory: only programs that lock see them.

namespace platform::cfb {

enum class Access { Read, ReadWrite };
enum class Share { Exclusive, DenyWrite };

}  // namespace platform::cfb
