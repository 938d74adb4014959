// Construction, the run lifecycle, the virtual operations and the events.

#include <filesystem>

#include "files/file_text.h"
#include "interpreter/interpreter.h"
#include "interpreter/name_hash.h"

namespace tw {

std::atomic<bool> TBasicInterpreter::StopRequested{false};
int TBasicInterpreter::CallDepth = 0;
std::string TBasicInterpreter::ErrorLogFile;
std::string TBasicInterpreter::GlobalPrefix = "_global";
bool TBasicInterpreter::DefaultUncachedReading = false;

TBasicInterpreter::TBasicInterpreter(ScriptHost& host)
    : Host(host), ownShared_(std::make_unique<ScriptShared>()), shared_(ownShared_.get()) {}

TBasicInterpreter::TBasicInterpreter(TBasicInterpreter& parent)
    : OnCommand(parent.OnCommand),
      OnStop(parent.OnStop),
      OnVariable(parent.OnVariable),
      OnFunction(parent.OnFunction),
      OnBlock(parent.OnBlock),
      OnLine(parent.OnLine),
      OnPrint(parent.OnPrint),
      OnModule(parent.OnModule),
      FileName(parent.FileName),  // so that scriptdir() answers inside subs and functions too
      IncludeDir(parent.IncludeDir),
      Parent(&parent),
      Host(parent.Host),
      OutputMode(parent.OutputMode),
      NoError(parent.NoError),
      CheckMode(parent.CheckMode),
      UncachedReading(parent.UncachedReading),
      shared_(parent.shared_),
      uncached_(parent.uncached_) {}

TBasicInterpreter::~TBasicInterpreter() = default;

namespace {
// Most hooks are unset in both: then there is nothing to copy.
template <typename Hook>
void TakeHook(Hook& mine, const Hook& theirs) {
  if (mine || theirs) mine = theirs;
}
}  // namespace

void TBasicInterpreter::ResetForCall(TBasicInterpreter& parent) {
  TakeHook(OnCommand, parent.OnCommand);
  OnStart = nullptr;
  OnDone = nullptr;
  OnFinish = nullptr;
  TakeHook(OnStop, parent.OnStop);
  OnError = nullptr;
  TakeHook(OnVariable, parent.OnVariable);
  TakeHook(OnFunction, parent.OnFunction);
  TakeHook(OnBlock, parent.OnBlock);
  TakeHook(OnLine, parent.OnLine);
  TakeHook(OnPrint, parent.OnPrint);
  TakeHook(OnModule, parent.OnModule);
  if (FileName != parent.FileName) FileName = parent.FileName;
  if (IncludeDir != parent.IncludeDir) IncludeDir = parent.IncludeDir;
  OutputMode = parent.OutputMode;
  NoError = parent.NoError;
  CheckMode = parent.CheckMode;
  UncachedReading = parent.UncachedReading;
  uncached_ = parent.uncached_;
  Locals.Clear();
  lineHookEnabled_ = true;
}

void TBasicInterpreter::SetScriptText(std::string_view text, std::string_view moduleName) {
  FileName.clear();
  scriptText_ = std::make_unique<std::pair<std::string, std::string>>(text, moduleName);
}

void TBasicInterpreter::SetIncludeDir(std::string_view dir) {
  IncludeDir = std::string(dir);
  if (!IncludeDir.empty() && IncludeDir.back() != '/') IncludeDir += '/';
}

void TBasicInterpreter::ClearGlobals() {
  if (shared_->Globals) shared_->Globals->Clear();
}

bool TBasicInterpreter::LoadForRun() {
  shared_->ClearLines();
  shared_->Modules.clear();
  if (scriptText_) {
    AppendScriptLines(scriptText_->first, scriptText_->second);
    return true;
  }
  if (FileName.empty()) {
    Host.ShowErrorBox("No File Specified.");
    return false;
  }
  std::error_code error;
  if (!std::filesystem::exists(FileName, error)) {
    Host.ShowErrorBox("Cannot Find File: " + FileName);
    return false;
  }
  if (std::filesystem::is_directory(FileName, error)) {
    Host.ShowErrorBox(FileName + " is a folder, not a script file");
    return false;
  }
  std::string lowered = NormalizeName(FileName);
  try {
    // The extension decides: notes.twc.tws is script text.
    if (lowered.ends_with(".twc")) return LoadCompiled(FileName);
    return LoadScriptText(FileName);
  } catch (const std::exception& failure) {
    Host.ShowErrorBox(FailureMessage(failure));
    return false;
  }
}

void TBasicInterpreter::Run(std::size_t startLine) {
  runStarted_ = false;
  uncached_ = Parent ? Parent->uncached_ : UncachedReading;
  ClearRuntime();
  if (!Parent) {
    if (!LoadForRun()) return;
    OutputMode = 0;
    CallDepth = 0;
    StopRequested = false;
    ErrorLogFile.clear();
    NoError = false;
    shared_->EndedByError = false;
    PreScan(0);
  }
  runStarted_ = true;
  LineIndex = startLine;
  ClearTokenState();
  Stepping = true;
  LastPromptOK = true;
  CreateRunConstants();
  if (OnStart) OnStart(*this);
  ExecuteStatements();
  if (!Parent) {
    CloseFilesLeftOpen();
    ClearVariables();
    ClearRuntime();
  }
  DoFinish();
}

void TBasicInterpreter::CloseFilesLeftOpen() {
  // Text a script wrote without fclose reaches its file only now; losing it (a full disk) is an error of
  // the run, unless an earlier error already ended it or the script asked for errors to pass.
  for (const FileTable::CloseFailure& failure : shared_->Files.CloseAll()) {
    if (shared_->EndedByError || NoError) continue;
    StopRequested = false;
    ScriptError(FileFailure(failure.Writing ? "Cannot write file" : "Cannot close file", failure.Path, failure.Error));
  }
}

void TBasicInterpreter::CheckSyntax() {
  CheckMode = true;
  Run(0);
  CheckMode = false;
}

// Every call of a sub or function makes these again, so their names are normalised once.
void TBasicInterpreter::CreateRunConstants() {
  static const std::size_t hashes[] = {HashName("_endoncancel"), HashName("true"), HashName("false"),
                                       HashName("empty")};
  SetKnownVariable("_endoncancel", "_endoncancel", hashes[0], ScriptValue::Integer(1));
  SetKnownVariable("True", "true", hashes[1], ScriptValue::Integer(1), true, true);
  SetKnownVariable("False", "false", hashes[2], ScriptValue::Integer(0), true, true);
  SetKnownVariable("Empty", "empty", hashes[3], ScriptValue("0"), true, true);
}

void TBasicInterpreter::ClearRuntime() {
  forStack_.clear();
  whileStack_.clear();
  caseStack_.clear();
  gosubStack_.clear();
  if (!Parent) {
    shared_->Labels.clear();
    if (!shared_->UserFunctions.empty()) {
      shared_->UserFunctions.clear();
      shared_->FunctionsChanged();
    }
    shared_->Modules.clear();
    shared_->Files.CloseAll();
  }
}

bool TBasicInterpreter::ExecuteCommand(std::string_view name) {
  bool handled = false;
  if (OnCommand) OnCommand(*this, name, handled);
  return handled;
}

bool TBasicInterpreter::ExecuteBlock(std::string_view name) {
  bool handled = false;
  if (OnBlock) OnBlock(*this, name, handled);
  return handled;
}

bool TBasicInterpreter::ExecuteFunction(std::string_view name, ScriptValue& result) {
  bool handled = false;
  if (OnFunction) OnFunction(*this, name, result, handled);
  return handled;
}

void TBasicInterpreter::DoDone() {
  if (OnDone) OnDone(*this);
}

void TBasicInterpreter::DoFinish() {
  if (OnFinish) OnFinish(*this);
  DoDone();
}

void TBasicInterpreter::DoStop() {
  if (OnStop) OnStop(*this);
  DoDone();
}

std::unique_ptr<TBasicInterpreter> TBasicInterpreter::CreateChild(TBasicInterpreter& parent) {
  return std::unique_ptr<TBasicInterpreter>(new TBasicInterpreter(parent));
}

}  // namespace tw
