#pragma once
// Runs a program to its end with a text on its standard input, waiting without blocking the caller's
// event loop.

#include "port/processes.h"

namespace tw::port::system {

class PosixProgramRunner final : public ProgramRunner {
 public:
  RunResult run(const std::string& program, const std::vector<std::string>& arguments, std::string_view input,
                const std::function<bool()>& keepWaiting) override;
};

}  // namespace tw::port::system
