#pragma once
// Starting other programs, and opening documents, folders and addresses with the user's chosen application.

#include <functional>
#include <string>
#include <string_view>
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
  // without waiting for it, in `workingFolder` (empty: this program's working folder). The program runs on its
  // own: it keeps running when this one ends.
  virtual StartResult start(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& workingFolder = {}) = 0;
  // Opens a file, a folder or a URL with the application the desktop associates with it. Fails when a local
  // file or folder does not exist or no opener can be started.
  virtual StartResult open(const std::string& target) = 0;
};

struct RunResult {
  bool started = false;
  bool finished = false;  // it ended by itself, not by a signal or because the wait was given up
  int exitStatus = -1;    // when finished
  std::string error;      // why not started: "no such file or directory: prog"
};

// Runs a program to its end with a text on its standard input, as a mail is handed to sendmail.
class ProgramRunner {
 public:
  virtual ~ProgramRunner() = default;

  // Starts `program` (a path, or a name looked up in PATH) with `arguments`, writes `input` to its standard
  // input, closes that and waits for the program to end; its standard output is discarded. While it waits,
  // `keepWaiting` runs every few milliseconds; when that answers false the program is ended.
  virtual RunResult run(const std::string& program, const std::vector<std::string>& arguments,
                        std::string_view input, const std::function<bool()>& keepWaiting) = 0;
};

}  // namespace tw::port
