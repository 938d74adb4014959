// Runs arbitrary script text twice, reading each line's stored tokens and reading the unread rest of
// the line from its text, and traps when the two runs show anything different: output, errors with
// their positions, the lines the line hook saw, the variables left behind.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "interpreter/interpreter.h"
#include "script_limits.h"
#include "silent_host.h"

namespace {

// Everything a run shows, in order, as one text.
class LoggingHost : public tw::fuzz::SilentHost {
 public:
  LoggingHost() : SilentHost(std::string("1")) {}
  std::string Log;
  bool ShowPrint(std::string_view text) override {
    Note("print", text);
    return true;
  }
  std::optional<std::string> ShowInput(std::string_view prompt, std::string_view preset) override {
    Note("input", std::string(prompt) + "|" + std::string(preset));
    return SilentHost::ShowInput(prompt, preset);
  }
  void AddConsoleLine(std::string_view text) override { Note("console", text); }
  bool ShowMessage(std::string_view text, tw::MessageKind, tw::MessageButtons) override {
    Note("message", text);
    return true;
  }
  void ShowErrorBox(std::string_view text) override { Note("box", text); }
  void ShowScriptError(std::string_view text, bool) override { Note("error", text); }
  void Note(std::string_view what, std::string_view text) {
    Log += what;
    Log += ": ";
    Log += text;
    Log += '\n';
  }
};

std::string RunOnce(const std::string& text, bool uncached) {
  LoggingHost host;
  tw::TBasicInterpreter interpreter(host);
  interpreter.UncachedReading = uncached;
  tw::VariableTable globals;
  interpreter.SetGlobals(&globals);
  tw::fuzz::LimitRun(interpreter, [&host](std::size_t index, std::string_view line) {
    host.Note("line " + std::to_string(index), line);
  });
  interpreter.SetScriptText(text, "fuzz.tws");
  interpreter.CheckSyntax();
  host.Note("checked", interpreter.StopRequested ? "with an error" : "");
  interpreter.Run(0);
  host.Note("ran", interpreter.StopRequested ? "stopped" : "");
  globals.ForEach([&](std::string_view name, const tw::TVariable& variable) {
    host.Note(name, variable.Value.ToText());
  });
  return host.Log;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  // Besides the usual: what differs between two runs by itself.
  if (tw::fuzz::PassOver(text, {"random", "now", "date", "time"})) return 0;
  if (RunOnce(text, false) != RunOnce(text, true)) __builtin_trap();
  return 0;
}
