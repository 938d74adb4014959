#include "commands/tarnwick_basic.h"

#include <algorithm>
#include <cmath>
#include <chrono>

#include "commands/internet_session.h"
#include "commands/waiting.h"
#include "dialogs/ini_dialog_positions.h"
#include "files/system_folders.h"

namespace tw {

CommandHandler LibraryHandlers::Command(std::string_view name) const {
  auto it = commands_.find(name);
  return it == commands_.end() ? nullptr : it->second;
}

FunctionHandler LibraryHandlers::Function(std::string_view name) const {
  auto it = functions_.find(name);
  return it == functions_.end() ? nullptr : it->second;
}

BlockHandler LibraryHandlers::Block(std::string_view word) const {
  auto it = blocks_.find(word);
  return it == blocks_.end() ? nullptr : it->second;
}

const LibraryHandlers& Handlers() {
  static const LibraryHandlers handlers = [] {
    LibraryHandlers h;
    AddSystemCommands(h);
    AddSystemFunctions(h);
    AddKeyCommands(h);
    AddWindowFunctions(h);
    AddMouseCommands(h);
    AddMouseFunctions(h);
    AddScreenTextFunctions(h);
    AddDesktopFunctions(h);
    AddRegistryFunctions(h);
    AddDatabaseFunctions(h);
    AddConversationFunctions(h);
    AddFtpFunctions(h);
    AddHttpFunctions(h);
    AddMailFunctions(h);
    AddProgramMessageFunction(h);
    AddFileFunctions(h);
    AddTextBlocks(h);
    AddTextFunctions(h);
    AddTemplateFunctions(h);
    AddDialogCommands(h);
    AddDocumentFunctions(h);
    return h;
  }();
  return handlers;
}

TTarnwickBasic::TTarnwickBasic(ScriptHost& host, port::Desktop& desktop)
    : TBasicInterpreter(host),
      Desktop(desktop),
      MouseController(std::make_shared<TMouseControl>(desktop)),
      Handles(std::make_shared<THandleTable>()),
      Conversations(std::make_shared<TConversations>(desktop.conversations(), desktop.processes(), host)),
      Internet(std::make_shared<InternetSession>()) {
  for (const LibraryName& function : kLibraryFunctions) RegisterFunction(function.Name);
  for (const LibraryName& command : kLibraryCommands) RegisterCommand(command.Name);
  for (const LibraryBlock& block : kLibraryBlocks) RegisterBlock(block.Start, block.End);
  GlobalPrefix = "_global";
}

TTarnwickBasic::TTarnwickBasic(TTarnwickBasic& parent)
    : TBasicInterpreter(parent),
      Desktop(parent.Desktop),
      TargetWindow(parent.TargetWindow),
      SavedMousePos(parent.SavedMousePos),
      MouseController(parent.MouseController),
      Handles(parent.Handles),
      ProcessorSampled(parent.ProcessorSampled),
      ScriptCommandLine(parent.ScriptCommandLine),
      Conversations(parent.Conversations),
      Internet(parent.Internet),
      OnDialogFailure(parent.OnDialogFailure),
      DialogPositions(parent.DialogPositions),
      parentLibrary_(&parent) {}

TEnhanceFormDialog& TTarnwickBasic::Dialog() {
  if (!dialog_) {
    dialog_ = std::make_unique<TEnhanceFormDialog>(Host);
    dialog_->SetVariableList(&Locals);
    dialog_->SetInterpreter(this);
    if (!DialogPositions) DialogPositions = std::make_shared<IniDialogPositions>(PlacesOf(ProgramName()).settingsFile);
    dialog_->SetPositionStore(DialogPositions.get());
  }
  return *dialog_;
}

TTarnwickBasic::~TTarnwickBasic() = default;

std::unique_ptr<TBasicInterpreter> TTarnwickBasic::CreateChild(TBasicInterpreter& parent) {
  return std::unique_ptr<TBasicInterpreter>(new TTarnwickBasic(static_cast<TTarnwickBasic&>(parent)));
}

// What the constructor of a call's interpreter takes from its caller, taken again for a later call.
void TTarnwickBasic::ResetForCall(TBasicInterpreter& parent) {
  TBasicInterpreter::ResetForCall(parent);
  auto& caller = static_cast<TTarnwickBasic&>(parent);
  auto share = [](auto& mine, const auto& theirs) {
    if (mine != theirs) mine = theirs;
  };
  TargetWindow = caller.TargetWindow;
  SavedMousePos = caller.SavedMousePos;
  share(MouseController, caller.MouseController);
  share(Handles, caller.Handles);
  ProcessorSampled = caller.ProcessorSampled;
  share(ScriptCommandLine, caller.ScriptCommandLine);
  share(Conversations, caller.Conversations);
  share(Internet, caller.Internet);
  FoundFiles.reset();
  OnDialogFailure = caller.OnDialogFailure;
  share(DialogPositions, caller.DialogPositions);
}

void TTarnwickBasic::EndCall() {
  if (parentLibrary_) parentLibrary_->TargetWindow = TargetWindow;
  dialog_.reset();
}

void TTarnwickBasic::ClearRuntime() {
  TBasicInterpreter::ClearRuntime();
  if (!Parent) {
    Handles->Clear();
    Conversations->ClearRuntime();
  }
}

void TTarnwickBasic::Run(std::size_t startLine) {
  if (!Parent) {
    // Keys are typed as written, whatever the Caps Lock light said before the run; only a desktop
    // with a keyboard has one to switch.
    if (Desktop.hasDisplay()) {
      try {
        SetToggleKey(port::ToggleKey::CapsLock, false);
      } catch (const std::exception&) {
      }
    }
    SetVariable("_chkdest", ScriptValue::Integer(1), true, false);
    SetVariable("_sktimeout", ScriptValue::Integer(20), true, false);
  }
  TBasicInterpreter::Run(startLine);
  if (!Parent) FinishTyping();
}

void TTarnwickBasic::FinishTyping() {
  if (!Desktop.hasDisplay()) return;
  // Keys typed through lent keys must be read by their program before the keys are given back, or the
  // last characters of a run change or vanish. The wait is short for programs that say when they have
  // read (see the X11 keyboard). A busy program may lag seconds behind the typing, so the bound is as long
  // as typing waits for a reader in the middle of a text; it only keeps a stuck program from holding up
  // the end for ever.
  constexpr auto kPatience = std::chrono::seconds(5);
  port::KeyboardInjector& keyboard = Desktop.keyboard();
  keyboard.releaseAll();
  keyboard.waitHook = [this] {
    Host.PumpEvents();
    return false;
  };
  keyboard.finish(kPatience);
  keyboard.waitHook = nullptr;
}

void TTarnwickBasic::Delay(int milliseconds, bool lockWindows) { WaitUntil(nullptr, std::max(milliseconds, 0), lockWindows); }

bool TTarnwickBasic::WaitUntil(const std::function<bool()>& done, int milliseconds, bool lockWindows) {
  struct WindowLock {
    WindowLock(ScriptHost& host, bool active) : host_(host), active_(active) {
      if (active_) host_.SetWindowsEnabled(false);
    }
    ~WindowLock() {
      if (active_) host_.SetWindowsEnabled(true);
    }
    ScriptHost& host_;
    bool active_;
  } lock(Host, lockWindows);
  if (milliseconds >= 0) return WaitServingEvents(Host, std::chrono::milliseconds(milliseconds), done);
  while (!StopRequested)
    if (WaitServingEvents(Host, std::chrono::hours(1), done)) return true;
  return false;
}

void TTarnwickBasic::DelaySeconds(double seconds, bool lockWindows) {
  if (seconds > 0) Delay(static_cast<int>(std::llround(std::min(seconds, 2e6) * 1000)), lockWindows);
}

void TTarnwickBasic::SetToggleKey(port::ToggleKey key, bool on) {
  port::ToggleKeys& keys = Desktop.toggleKeys();
  if (keys.isOn(key) != on) keys.set(key, on);
}

void TTarnwickBasic::ReportUnavailable(std::string_view name, bool isFunction) {
  ScriptError(isFunction ? "The function " + std::string(name) + "() is not available in this version"
                         : "The command " + std::string(name) + " is not available in this version");
}

bool TTarnwickBasic::ExecuteCommand(std::string_view name) {
  if (TBasicInterpreter::ExecuteCommand(name)) return true;
  if (name == "sysbreak") return false;  // a word for the host: the debugger's breakpoint
  try {
    if (CommandHandler handler = Handlers().Command(name)) {
      handler(*this);
      return true;
    }
    for (const LibraryName& command : kLibraryCommands)
      if (command.Name == name) {
        ReportUnavailable(name, false);
        return true;
      }
  } catch (const std::exception& failure) {
    ScriptError(FailureMessage(failure));
  }
  return false;
}

bool TTarnwickBasic::ExecuteBlock(std::string_view name) {
  if (TBasicInterpreter::ExecuteBlock(name)) return true;
  if (BlockHandler handler = Handlers().Block(name)) {
    const std::size_t bodyLine = LineIndex;
    try {
      handler(*this);
    } catch (const std::exception& failure) {
      LineIndex = bodyLine;  // the error belongs to the block word's line, not to the end of its body
      ScriptError(failure.what());
    }
    return true;
  }
  ScriptError("The " + std::string(name) + " block is not available in this version");
  return false;
}

bool TTarnwickBasic::ExecuteFunction(std::string_view name, ScriptValue& result) {
  if (TBasicInterpreter::ExecuteFunction(name, result)) return true;
  result = ScriptValue("0");
  try {
    if (FunctionHandler handler = Handlers().Function(name)) {
      handler(*this, result);
      return true;
    }
    for (const LibraryName& function : kLibraryFunctions)
      if (function.Name == name) {
        ReportUnavailable(name, true);
        return true;
      }
  } catch (const std::exception& failure) {
    ScriptError(FailureMessage(failure));
  }
  return false;
}

}  // namespace tw
