#pragma once
// Whether a file is in use by other programs, for scripts that wait until another program lets go of a file.

#include <string>

namespace tw::port {

class FileUse {
 public:
  virtual ~FileUse() = default;
  // The file opens for reading and nothing else has it open, this program's own other opens included: the
  // exclusive open of the Windows design, let go again at once. False for a missing file, a folder, a file
  // that cannot be read and one that is open elsewhere.
  virtual bool opensExclusively(const std::string& path) = 0;
};

}  // namespace tw::port
