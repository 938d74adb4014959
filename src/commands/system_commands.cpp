// The commands that belong to no other group: lock keys, beep, pause, execute, prompt, syscmd
// and call.

#include <filesystem>
#include <memory>
#include <string>

#include "commands/program_line.h"
#include "commands/tarnwick_basic.h"
#include "commands/window_search.h"
#include "interpreter/builtins.h"

namespace tw {

namespace {

void SetLockKey(TTarnwickBasic& library, port::ToggleKey key) {
  const std::string state = library.ReadArgument();
  if (library.CheckMode) return;
  library.SetToggleKey(key, state == "1");
}

void CapsLock(TTarnwickBasic& library) { SetLockKey(library, port::ToggleKey::CapsLock); }
void NumLock(TTarnwickBasic& library) { SetLockKey(library, port::ToggleKey::NumLock); }

void Beep(TTarnwickBasic& library) {
  const ScriptValue kindText(library.ReadArgument());
  if (library.CheckMode) return;
  std::int32_t kind = -1;
  try {
    kind = kindText.ToInteger();
  } catch (const ScriptFailure&) {
  }
  static constexpr port::Alert kAlerts[] = {port::Alert::Default,     port::Alert::Default,
                                            port::Alert::Information, port::Alert::Exclamation,
                                            port::Alert::Error,       port::Alert::Question};
  if (kind < 0 || kind > 5) {
    library.ScriptError("Invalid Beep Value");
    return;
  }
  library.Desktop.bell().ring(kAlerts[kind]);
  library.Host.PumpEvents();
}

void Pause(TTarnwickBasic& library) {
  const ScriptValue seconds(library.ReadArgument());
  if (library.CheckMode) return;
  double value = 0;
  if (!RealArgument(library, seconds, value)) return;
  library.DelaySeconds(value, true);
}

void Execute(TTarnwickBasic& library) {
  const std::string commandLine = library.ReadArgument();
  const std::string parameters = library.ReadOptionalArgument(ScriptValue("")).ToText();
  const ProgramLine line = SplitProgramLine(commandLine, parameters);
  if (line.Program.empty() || library.CheckMode) return;
  port::StartResult started = StartProgramLine(library.Desktop.processes(), line);
  library.Delay(500, true);
  if (!started.started) library.SetVariable("_ERROR", ScriptValue::Integer(1));
}

void Prompt(TTarnwickBasic& library) {
  const std::string text = library.ReadArgument();
  const ScriptValue secondsText = library.ReadOptionalArgument(ScriptValue::Integer(5));
  if (library.CheckMode) return;
  std::int32_t seconds = 0;
  if (!IntegerArgument(library, secondsText, seconds)) return;
  if (library.OutputMode == 1) {
    library.Host.AddConsoleLine(text + " - " + std::to_string(seconds) + " sec(s)");
    library.DelaySeconds(seconds, true);
    return;
  }
  library.LastPromptOK = library.Host.ShowTimedPrompt(text, seconds);
  if (!library.LastPromptOK) library.ApplyEndOnCancel();
}

void SysCmd(TTarnwickBasic& library) {
  library.NextToken();
  // The argument is a bare word; anything else (a quoted text, say) does nothing.
  const bool isWord = !library.Token.empty() &&
                      ((library.Token[0] >= 'a' && library.Token[0] <= 'z') ||
                       (library.Token[0] >= 'A' && library.Token[0] <= 'Z') || library.Token[0] == '_') &&
                      library.Kind != TokenKind::tkString;
  if (!isWord) return;
  const std::string word = NormalizeName(library.Token);
  enum class Action { Close, Restore, Minimise, Maximise, Shutdown, Reboot, None } action = Action::None;
  static constexpr std::pair<std::string_view, Action> kWords[] = {
      {"close", Action::Close},       {"restore", Action::Restore},   {"minimize", Action::Minimise},
      {"maximize", Action::Maximise}, {"shutdown", Action::Shutdown}, {"reboot", Action::Reboot}};
  for (const auto& [text, meaning] : kWords)
    if (word.find(text) != std::string::npos) {
      action = meaning;
      break;
    }
  if (action == Action::None) {
    library.ScriptError("Invalid Value");
    return;
  }
  if (library.CheckMode) return;
  if (action == Action::Shutdown || action == Action::Reboot) {
    auto result = library.Desktop.session().request(action == Action::Shutdown ? port::SessionEnd::PowerOff
                                                                               : port::SessionEnd::Reboot);
    if (!result.accepted) library.ScriptError(result.error);
    return;
  }
  const port::WindowId target = library.TargetWindow;
  if (target == port::kNoWindow) return;
  port::WindowService& windows = library.Desktop.windows();
  ForceForeground(library, target);
  switch (action) {
    case Action::Close: windows.close(target); break;
    case Action::Restore: windows.restore(target); break;
    case Action::Minimise: windows.minimise(target); break;
    case Action::Maximise: windows.maximise(target); break;
    default: break;
  }
}

constexpr int kMaximumCallLevel = 50;

void Call(TTarnwickBasic& library) {
  const std::string file = library.ReadArgument();
  if (file.empty() || library.CheckMode) return;
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    library.ScriptError("Cannot Call Script: " + file + ", script terminated!");
    return;
  }
  // Scripts that call each other in a ring would otherwise nest until the process runs out of stack.
  static int callLevel = 0;
  if (callLevel >= kMaximumCallLevel) {
    library.ScriptError("Maximum Call Level of " + std::to_string(kMaximumCallLevel) + " has been Reached");
    return;
  }
  struct LevelGuard {
    LevelGuard() { ++callLevel; }
    ~LevelGuard() { --callLevel; }
    LevelGuard(const LevelGuard&) = delete;
    LevelGuard& operator=(const LevelGuard&) = delete;
  } level;
  auto calleeOwner = std::make_unique<TTarnwickBasic>(library.Host, library.Desktop);
  TTarnwickBasic& callee = *calleeOwner;
  callee.SetGlobals(library.Globals());
  callee.TargetWindow = library.TargetWindow;
  callee.ScriptCommandLine = library.ScriptCommandLine;
  callee.OnCommand = library.OnCommand;
  callee.OnBlock = library.OnBlock;
  callee.OnFunction = library.OnFunction;
  callee.OnVariable = library.OnVariable;
  callee.OnModule = library.OnModule;
  callee.OnLine = library.OnLine;
  const bool stepping = library.Stepping && library.OnModule;
  if (stepping) library.OnModule(library, file, 0, 0, 0);
  // The called script is a run of its own; the caller's depth count and error log stay the caller's.
  const int depth = TBasicInterpreter::CallDepth;
  const std::string errorLog = TBasicInterpreter::ErrorLogFile;
  const bool noError = library.NoError;
  callee.SetFileName(file);
  callee.Run(0);
  TBasicInterpreter::CallDepth = depth;
  TBasicInterpreter::ErrorLogFile = errorLog;
  library.NoError = noError;
  library.TargetWindow = callee.TargetWindow;
  if (callee.EndedByError()) library.NoteErrorEnded();
  if (TBasicInterpreter::StopRequested) {
    // An end (or an error) in the called script ends the caller too.
    library.StopScript();
  }
  if (stepping) library.OnModule(library, library.FileName, 1, library.ModuleOffset, library.LineIndex);
}

}  // namespace

void AddSystemCommands(LibraryHandlers& handlers) {
  handlers.AddCommand("capslock", CapsLock);
  handlers.AddCommand("numlock", NumLock);
  handlers.AddCommand("beep", Beep);
  handlers.AddCommand("pause", Pause);
  handlers.AddCommand("execute", Execute);
  handlers.AddCommand("prompt", Prompt);
  handlers.AddCommand("syscmd", SysCmd);
  handlers.AddCommand("call", Call);
}

}  // namespace tw
