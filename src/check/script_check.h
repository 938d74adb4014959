#pragma once
// Checking a script without running it: the interpreter's syntax check, which reports errors through the
// host as it always has, and then a walk over the script's tokens that finds likely mistakes a run would
// pass over without a word: code that never runs, words read as variables that were meant as functions,
// blocks left open, unused or missing labels, reserved words used as variables, variables that are only
// ever read, key names that name no key. Running a script is never changed by it.

#include <string>
#include <vector>

#include "interpreter/interpreter.h"

namespace tw {

struct CheckWarning {
  std::string Module;  // as in error messages: the script or include file, "Main" for a compiled script
  int Line = 0;        // 1-based within the module
  std::string Word;    // the word the warning is about, as written
  std::string Message;
};

// "[%s] Warning: %s on line: %d"
std::string WarningText(const CheckWarning& warning);

struct CheckOutcome {
  bool Loaded = false;      // false when the script could not be loaded (the host was told why)
  bool ErrorFound = false;  // the syntax check reported an error
  std::vector<CheckWarning> Warnings;
};

// Checks the script set on the interpreter with SetFileName or SetScriptText. The interpreter knows the
// host's commands, functions and blocks (a TTarnwickBasic does); warnings on the line of an error are left
// out, the error says it already.
CheckOutcome CheckScript(TBasicInterpreter& interpreter);

}  // namespace tw
