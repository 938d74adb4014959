#include "support/recording_host.h"

#include <cstdlib>
#include <string_view>

namespace tw::test {

namespace {
// The suite runs the interpreter's tests a second time with TW_UNCACHED_READING=1 (see tw_gtest's
// BOTH_READINGS), so that every script they run also goes through the uncached way of reading.
[[maybe_unused]] const bool kReadingChosen = [] {
  if (const char* value = std::getenv("TW_UNCACHED_READING"); value && std::string_view(value) == "1")
    TBasicInterpreter::DefaultUncachedReading = true;
  return true;
}();

template <typename T>
T Take(std::deque<T>& queue, T fallback) {
  if (queue.empty()) return fallback;
  T value = queue.front();
  queue.pop_front();
  return value;
}
}  // namespace

bool RecordingHost::ShowPrint(std::string_view text) {
  Prints.emplace_back(text);
  return Take(PrintAnswers, true);
}

std::optional<std::string> RecordingHost::ShowInput(std::string_view prompt, std::string_view preset) {
  InputPrompts.emplace_back(prompt);
  InputPresets.emplace_back(preset);
  return Take(InputAnswers, std::optional<std::string>());
}

bool RecordingHost::ShowMessage(std::string_view text, MessageKind, MessageButtons) {
  Messages.emplace_back(text);
  return Take(MessageAnswers, true);
}

void RecordingHost::ShowScriptError(std::string_view text, bool toConsole) {
  ScriptErrors.emplace_back(text);
  if (toConsole) ConsoleLines.emplace_back(text);
}

std::optional<std::string> RecordingHost::PickDirectory(std::string_view, std::string_view) {
  return Take(PickerAnswers, std::optional<std::string>());
}

std::optional<std::string> RecordingHost::PickFile(std::string_view, std::string_view, std::string_view) {
  return Take(PickerAnswers, std::optional<std::string>());
}

bool RecordingHost::ShowTimedPrompt(std::string_view text, int seconds) {
  TimedPrompts.push_back(std::string(text) + "|" + std::to_string(seconds));
  return Take(TimedPromptAnswers, true);
}

void RecordingHost::PumpEvents() {
  ++Pumps;
  if (OnPump) OnPump();
}

std::string RecordingHost::Output() const {
  std::string out;
  for (const std::string& line : Prints) out += line + "\n";
  return out;
}

ScriptRun RunScript(std::string_view text, RecordingHost* host, bool checkOnly) {
  RecordingHost local;
  RecordingHost& h = host ? *host : local;
  TBasicInterpreter interpreter(h);
  VariableTable globals;
  interpreter.SetGlobals(&globals);
  interpreter.SetScriptText(text, "test.tws");
  if (checkOnly)
    interpreter.CheckSyntax();
  else
    interpreter.Run(0);
  ScriptRun run;
  for (const std::string& line : h.Prints) run.Output += line + "\n";
  for (const std::string& line : h.ConsoleLines) run.Output += line + "\n";
  run.Errors = h.ScriptErrors;
  run.ErrorBoxes = h.ErrorBoxes;
  return run;
}

}  // namespace tw::test
