#pragma once
// Whether a file is open anywhere else, asked of the kernel: a write lease (F_SETLEASE) on a read-only
// descriptor is granted only while no other descriptor of the file is open in any process (also through a
// memory mapping, or as a running program). The lease is let go at once. Where leases are refused (another
// user's file without CAP_LEASE, file systems without leases), the open descriptors of every process that
// /proc lets us inspect are compared by device and inode instead: that cannot see the files of processes of
// other users unless we may look into them.

#include "port/file_use.h"

namespace tw::port::system {

class ExclusiveOpenProbe final : public FileUse {
 public:
  enum class Method { LeaseFirst, ProcessTableOnly };
  explicit ExclusiveOpenProbe(Method method = Method::LeaseFirst) : method_(method) {}
  bool opensExclusively(const std::string& path) override;

 private:
  Method method_;
};

// The kernel tells a lease holder with SIGIO that another process opens the file, and SIGIO ends a program that
// does not handle it. Unless the program already handles SIGIO, this gives it a handler that does nothing.
// Called by the probe before its first lease.
void GuardLeaseBreakSignal();

}  // namespace tw::port::system
