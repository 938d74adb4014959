#pragma once
// Starts programs with posix_spawnp and opens documents through an opener program (xdg-open).

#include <string>
#include <sys/types.h>
#include <vector>

#include "port/processes.h"

namespace tw::port::system {

class PosixProcessLauncher final : public ProcessLauncher {
 public:
  // `opener` is the program that open() runs with the target as its one argument.
  explicit PosixProcessLauncher(std::string opener = "xdg-open");
  ~PosixProcessLauncher() override;
  PosixProcessLauncher(const PosixProcessLauncher&) = delete;
  PosixProcessLauncher& operator=(const PosixProcessLauncher&) = delete;

  StartResult start(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& workingFolder = {}) override;
  StartResult open(const std::string& target) override;

 private:
  // Collects the exit status of started programs that have ended, so none lingers as a zombie.
  void reapFinished();

  std::string opener_;
  std::vector<pid_t> running_;
};

}  // namespace tw::port::system
