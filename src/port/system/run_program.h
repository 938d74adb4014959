#pragma once
// Running a helper program to its end.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tw::port::system {

// Runs argv (argv[0] looked up in PATH) with no input, its error output discarded, and gives its standard
// output when it exits with status 0; nothing when it cannot start, fails, or runs longer than `timeout`
// (it is then killed).
std::optional<std::string> runForOutput(const std::vector<std::string>& argv,
                                        std::chrono::milliseconds timeout = std::chrono::seconds(5));

}  // namespace tw::port::system
