#pragma once
// Starting other programs, and opening documents, folders and addresses with the user's chosen application.

#include <string>
#include <vector>

namespace tw::port {

struct StartResult {
  bool started = false;
  int processId = 0;   // when started
  std::string error;   // why not, when not started: "no such file or directory: prog"
};

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;

  // Starts `program` (a path, or a name looked up in PATH) with `arguments`, each passed as one argument,
  // without waiting for it. The program runs on its own: it keeps running when this one ends.
  virtual StartResult start(const std::string& program, const std::vector<std::string>& arguments) = 0;
  // Opens a file, a folder or a URL with the application the desktop associates with it. Fails when a local
  // file or folder does not exist or no opener can be started.
  virtual StartResult open(const std::string& target) = 0;
};

}  // namespace tw::port
