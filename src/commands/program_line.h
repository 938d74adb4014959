#pragma once
// How `execute` turns its text into a program and its arguments, and starts it.

#include <string>
#include <vector>

#include "port/processes.h"

namespace tw {

struct ProgramLine {
  std::string Program;
  std::string Parameters;
};

// Without separate parameters the command line is split: at the first ";" when it has one (the
// other ";" become blanks), otherwise at the first blank.
ProgramLine SplitProgramLine(const std::string& commandLine, const std::string& parameters);

// Parameters split at blanks; double quotes keep blanks inside one argument.
std::vector<std::string> SplitArguments(const std::string& parameters);

// Starts an executable found by path or on PATH with the parameters, and opens anything else
// (a document, a folder, an address) with the desktop's opener.
port::StartResult StartProgramLine(port::ProcessLauncher& launcher, const ProgramLine& line);

}  // namespace tw
