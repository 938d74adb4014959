// Feeds arbitrary script text to the interpreter: a syntax check, then a run under a line
// budget. Scripts that could touch the file system or pad text to any length are passed over, and
// a variable may hold at most a megabyte of text, so that neither the machine nor the fuzzer's
// memory suffers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "interpreter/interpreter.h"
#include "silent_host.h"

namespace {

bool TouchesFiles(std::string lowered) {
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  static constexpr std::string_view kWords[] = {
      "file", "savevars", "loadvars", "fopen", "fputs", "fgets", "dir", "errorlog", "include", "getdir",
      "savetofile", "loadfromfile",
      "pad"};  // leftpad and rightpad can ask for gigabytes of text
  for (std::string_view word : kWords)
    if (lowered.find(word) != std::string::npos) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  if (TouchesFiles(text)) return 0;
  tw::fuzz::SilentHost host(std::string("1"));
  tw::TBasicInterpreter interpreter(host);
  tw::VariableTable globals;
  interpreter.SetGlobals(&globals);
  int lines = 0;
  interpreter.OnLine = [&lines](tw::TBasicInterpreter& in, std::size_t, std::string_view) {
    if (++lines > 2000) in.StopScript();
  };
  interpreter.OnVariable = [](tw::TBasicInterpreter&, std::string_view, bool isSet, tw::ScriptValue& value,
                              bool& handled) {
    if (isSet && value.IsText() && value.TextView().size() > (1u << 20)) handled = true;
  };
  interpreter.SetScriptText(text, "fuzz.tws");
  interpreter.CheckSyntax();
  interpreter.Run(0);
  return 0;
}
