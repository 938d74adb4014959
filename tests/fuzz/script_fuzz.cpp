// Feeds arbitrary script text to the interpreter: a syntax check, then a run within the limits of
// script_limits.h, so that neither the machine nor the fuzzer's memory suffers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "interpreter/interpreter.h"
#include "script_limits.h"
#include "silent_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  if (tw::fuzz::PassOver(text)) return 0;
  tw::fuzz::SilentHost host(std::string("1"));
  tw::TBasicInterpreter interpreter(host);
  tw::VariableTable globals;
  interpreter.SetGlobals(&globals);
  tw::fuzz::LimitRun(interpreter);
  interpreter.SetScriptText(text, "fuzz.tws");
  interpreter.CheckSyntax();
  interpreter.Run(0);
  return 0;
}
