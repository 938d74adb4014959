// The file functions of the library: findfiles, findget and findafile list the entries that match a mask;
// waitforfile waits for a file to appear and waitfilelock for other programs to let go of one.

#include "commands/file_search.h"
#include "commands/tarnwick_basic.h"
#include "interpreter/builtins.h"
#include "interpreter/file_attributes.h"

namespace tw {

namespace {

// An argument these functions cannot use is reported as their every failure is.
constexpr std::string_view kUnusableArgument = "Syntax Error";

void FindFiles(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string mask = library.ReadArgument();
  if (library.CheckMode) return;
  std::vector<std::string> names = MatchingEntries(mask);
  // A search that finds nothing leaves the names of the last one that did.
  if (names.empty()) return;
  result = ScriptValue::Integer(static_cast<std::int32_t>(names.size()));
  library.FoundFiles = std::move(names);
}

void FindGet(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue index(library.ReadArgument());
  if (library.CheckMode) return;
  std::int32_t n = 0;
  if (!IntegerArgument(library, index, n, kUnusableArgument)) return;
  if (library.FoundFiles && n >= 1 && static_cast<std::size_t>(n) <= library.FoundFiles->size())
    result = ScriptValue((*library.FoundFiles)[static_cast<std::size_t>(n) - 1]);
}

void FindAFile(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const std::string mask = library.ReadArgument();
  if (library.CheckMode) return;
  const std::vector<std::string> names = MatchingEntries(mask);
  if (!names.empty()) result = ScriptValue(names.front());
}

// Up to `seconds` one-second waits between checks, so seconds + 1 checks in all; the windows stay enabled.
void WaitForFile(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string file = library.ReadArgument();
  const ScriptValue secondsText = library.ReadOptionalArgument(ScriptValue::Integer(5));
  if (library.CheckMode) return;
  std::int32_t seconds = 0;
  if (!IntegerArgument(library, secondsText, seconds, kUnusableArgument)) return;
  for (std::int32_t waits = 0;; ++waits) {
    if (ExistsAsFile(file)) {
      result = ScriptValue::Integer(1);
      return;
    }
    if (waits >= seconds || TBasicInterpreter::StopRequested) return;
    library.Delay(1000, false);
  }
}

// Up to `seconds` attempts, each failed one followed by a one-second wait; none for seconds 0 or less.
void WaitFileLock(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string file = library.ReadArgument();
  const ScriptValue secondsText = library.ReadOptionalArgument(ScriptValue::Integer(5));
  if (library.CheckMode) return;
  std::int32_t seconds = 0;
  if (!IntegerArgument(library, secondsText, seconds, kUnusableArgument)) return;
  for (std::int32_t attempt = 0; attempt < seconds && !TBasicInterpreter::StopRequested; ++attempt) {
    if (library.Desktop.fileUse().opensExclusively(file)) {
      result = ScriptValue::Integer(1);
      return;
    }
    library.Delay(1000, false);
  }
}

}  // namespace

void AddFileFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("findfiles", FindFiles);
  handlers.AddFunction("findget", FindGet);
  handlers.AddFunction("findafile", FindAFile);
  handlers.AddFunction("waitforfile", WaitForFile);
  handlers.AddFunction("waitfilelock", WaitFileLock);
}

}  // namespace tw
