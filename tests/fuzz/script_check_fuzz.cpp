// Feeds arbitrary script text to the script check over an interpreter that knows every word of the
// command library: the syntax check and the walk for warnings must read anything without failing.
// Include statements are passed over, so that the check never reads other files.

#include <cstddef>
#include <cstdint>
#include <string>

#include "check/script_check.h"
#include "commands/library_names.h"
#include "silent_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string lowered = text;
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  if (lowered.find("include") != std::string::npos) return 0;
  tw::fuzz::SilentHost host(std::string("1"));
  tw::TBasicInterpreter interpreter(host);
  for (const tw::LibraryName& function : tw::kLibraryFunctions) interpreter.RegisterFunction(function.Name);
  for (const tw::LibraryName& command : tw::kLibraryCommands) interpreter.RegisterCommand(command.Name);
  for (const tw::LibraryBlock& block : tw::kLibraryBlocks) interpreter.RegisterBlock(block.Start, block.End);
  tw::VariableTable globals;
  interpreter.SetGlobals(&globals);
  interpreter.SetScriptText(text, "fuzz.tws");
  const tw::CheckOutcome outcome = tw::CheckScript(interpreter);
  for (const tw::CheckWarning& warning : outcome.Warnings)
    if (warning.Line < 1 || warning.Message.empty()) __builtin_trap();
  return 0;
}
