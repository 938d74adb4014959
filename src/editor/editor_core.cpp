#include "editor/editor_core.h"

#include <algorithm>
#include <filesystem>

#include "text/ascii_text.h"

namespace tw::editor {

namespace {

std::string CompiledNameOf(const std::string& file) {
  const std::size_t slash = file.find_last_of('/');
  const std::size_t dot = file.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return file + ".twc";
  return file.substr(0, dot) + ".twc";
}

// Sets a flag for the life of a scope and puts the old value back.
class FlagScope {
 public:
  FlagScope(bool& flag, bool value) : flag_(flag), saved_(flag) { flag_ = value; }
  ~FlagScope() { flag_ = saved_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

}  // namespace

// A run of the editor's, from the first check to the return of the interpreter: the window shows the state
// once more when it is over.
class EditorCore::RunScope {
 public:
  explicit RunScope(EditorCore& core) : core_(core), saved_(core.busy_) { core_.busy_ = true; }
  ~RunScope() {
    core_.busy_ = saved_;
    if (!saved_) core_.view_.StateChanged();
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  EditorCore& core_;
  bool saved_;
};

std::string CanonicalPath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
  return error ? absolute.lexically_normal().string() : canonical.string();
}

bool EditorPage::HasBreakpoint(int line) const {
  return std::find(breakpoints.begin(), breakpoints.end(), line) != breakpoints.end();
}

EditorCore::EditorCore(ScriptHost& host, port::Desktop& desktop, EditorView& view)
    : view_(view), test_(host, desktop), helper_(host, desktop) {
  test_.SetGlobals(&globals_);
  helper_.SetGlobals(&globals_);
  test_.OnStart = [this](TBasicInterpreter& interpreter) { HandleStart(interpreter); };
  test_.OnStop = [this](TBasicInterpreter&) { RunEnded(false); };
  test_.OnFinish = [this](TBasicInterpreter&) { RunEnded(true); };
  test_.OnLine = [this](TBasicInterpreter& interpreter, std::size_t index, std::string_view) {
    HandleLine(interpreter, index);
  };
  test_.OnModule = [this](TBasicInterpreter& interpreter, std::string_view module, int leaving, std::size_t offset,
                          std::size_t) { HandleModule(interpreter, module, leaving, offset); };
  test_.OnCommand = [this](TBasicInterpreter& interpreter, std::string_view name, bool& handled) {
    HandleCommand(interpreter, name, handled);
  };
}

EditorCore::~EditorCore() {
  // The view may outlive nothing of ours: no callbacks into it from here on.
  test_.OnStart = nullptr;
  test_.OnStop = nullptr;
  test_.OnFinish = nullptr;
}

void EditorCore::SetScriptsFolder(const std::string& folder) {
  scriptsFolder_ = folder;
  if (!scriptsFolder_.empty() && scriptsFolder_.back() != '/') scriptsFolder_ += '/';
}

void EditorCore::SetIncludeFolder(const std::string& folder) { includeFolder_ = folder; }

// ---- Pages ------------------------------------------------------------------------------------

std::string EditorCore::Caption(const EditorPage& page) const {
  return page.file ? *page.file : scriptsFolder_ + "untitled.tws";
}

EditorPage& EditorCore::NewPage() {
  auto owned = std::make_unique<EditorPage>();
  EditorPage& page = *owned;
  page.id = nextId_++;
  page.content.isScript = true;
  pages_.push_back(std::move(owned));
  view_.PageOpened(page);
  view_.SetText(page, "");
  view_.SetModified(page, false);
  view_.PageRenamed(page);
  active_ = &page;
  view_.ShowPage(page);
  return page;
}

EditorPage* EditorCore::PageOfFile(const std::string& path) const {
  if (path.empty()) return nullptr;
  const std::string wanted = CanonicalPath(path);
  for (const auto& page : pages_)
    if (page->file && *page->file == wanted) return page.get();
  return nullptr;
}

EditorPage* EditorCore::OpenFile(const std::string& path) {
  if (EditorPage* open = PageOfFile(path)) {
    active_ = open;
    view_.ShowPage(*open);
    return open;
  }
  std::error_code error;
  if (path.empty() || !std::filesystem::exists(path, error)) return &NewPage();
  PageFile content;
  try {
    content = LoadPageFile(path);
  } catch (const std::exception& failure) {
    view_.ShowError(failure.what());
    return nullptr;
  }
  auto owned = std::make_unique<EditorPage>();
  EditorPage& page = *owned;
  page.id = nextId_++;
  page.file = CanonicalPath(path);
  page.content = std::move(content);
  pages_.push_back(std::move(owned));
  view_.PageOpened(page);
  view_.SetText(page, page.content.text);
  page.content.text.clear();  // the view holds it from here on
  view_.SetModified(page, false);
  view_.SetCaret(page, 0, 0);
  view_.PageRenamed(page);
  recent_.Add(*page.file);
  active_ = &page;
  view_.ShowPage(page);
  return &page;
}

bool EditorCore::SaveUnder(EditorPage& page, const std::string& path) {
  PageFile& content = page.content;
  content.text = view_.Text(page);
  content.isScript = IsScriptName(path);
  if (!EncodeText(content.text, content.encoding)) {
    if (!view_.AskSaveAsUtf8(path)) {
      content.text.clear();
      return false;
    }
    content.encoding = TextEncoding::Utf8;
  }
  bool saved = true;
  try {
    SavePageFile(path, content);
  } catch (const std::exception& failure) {
    view_.ShowError(failure.what());
    saved = false;
  }
  content.text.clear();
  if (!saved) return false;
  page.file = CanonicalPath(path);
  view_.SetModified(page, false);
  view_.PageRenamed(page);
  return true;
}

bool EditorCore::Save(EditorPage& page) {
  if (!view_.Modified(page)) return true;
  if (page.Untitled()) return SaveAs(page);
  return SaveUnder(page, *page.file);
}

bool EditorCore::SaveAs(EditorPage& page) {
  const std::optional<std::string> name = view_.AskSaveName(Caption(page));
  if (!name || name->empty()) return false;
  return SaveUnder(page, *name);
}

void EditorCore::RemovePage(EditorPage& page) {
  if (debugged_ == &page) debugged_ = nullptr;
  view_.PageClosing(page);
  const auto found = std::find_if(pages_.begin(), pages_.end(), [&](const auto& p) { return p.get() == &page; });
  std::size_t at = static_cast<std::size_t>(found - pages_.begin());
  pages_.erase(found);
  if (active_ == &page) {
    active_ = pages_.empty() ? nullptr : pages_[std::min(at, pages_.size() - 1)].get();
    if (active_) view_.ShowPage(*active_);
  }
}

bool EditorCore::ClosePage(EditorPage& page) {
  if (busy_) Cancel();
  if (view_.Modified(page)) {
    switch (view_.AskSaveChanges(Caption(page))) {
      case SaveAnswer::Yes:
        if (!Save(page)) return false;
        break;
      case SaveAnswer::No:
        break;
      case SaveAnswer::Cancel:
        return false;
    }
  }
  RemovePage(page);
  if (pages_.empty()) NewPage();
  return true;
}

bool EditorCore::CloseEditor(bool applicationEnding) {
  if (applicationEnding) Cancel();
  if (busy_ && !applicationEnding) {
    view_.ShowWarning("Cannot Exit: Script is currently running!");
    return false;
  }
  while (!pages_.empty()) {
    EditorPage& page = *pages_.back();
    if (view_.Modified(page)) {
      const SaveAnswer answer = view_.AskSaveChanges(Caption(page));
      if (answer == SaveAnswer::Cancel || (answer == SaveAnswer::Yes && !Save(page))) return false;
    }
    RemovePage(page);
  }
  return true;
}

void EditorCore::OpenFileAtCursor() {
  if (!active_) return;
  const std::string line = view_.LineText(*active_, view_.CaretLine(*active_));
  const std::size_t first = line.find('"');
  if (first == std::string::npos) return;
  const std::size_t second = line.find('"', first + 1);
  if (second == std::string::npos) return;
  std::string name(Trimmed(std::string_view(line).substr(first + 1, second - first - 1)));
  if (name.empty()) return;
  std::error_code error;
  if (!std::filesystem::exists(name, error) && !includeFolder_.empty()) {
    std::string folder = includeFolder_;
    if (folder.back() != '/') folder += '/';
    name = folder + std::filesystem::path(name).filename().string();
  }
  OpenFile(name);
}

// ---- Runs -------------------------------------------------------------------------------------

void EditorCore::PrepareTestInterpreter(const std::string& file) {
  test_.SetFileName(file);
  test_.SetIncludeDir(includeFolder_);
  test_.ProcName = file;
  test_.ClearGlobals();
}

bool EditorCore::RefusedForOtherRun() {
  if (!OtherRunGoing()) return false;
  view_.ShowWarning(kOtherRunActive);
  return true;
}

void EditorCore::TestRun() {
  if (busy_ || !active_ || RefusedForOtherRun()) return;
  EditorPage& page = *active_;
  if (!Save(page)) return;
  if (Trimmed(view_.Text(page)).empty()) {
    view_.ShowError("Nothing to Execute!");
    return;
  }
  if (!page.IsScript()) {
    view_.ShowError("This is not a script file.");
    return;
  }
  if (page.Untitled() || view_.Modified(page)) return;
  RunScope run(*this);
  if (!CheckSyntax(page)) return;
  debugged_ = &page;
  PrepareTestInterpreter(*page.file);
  if (!page.breakpoints.empty()) {
    view_.ShowDebugger();
    DebuggerCreated();
  }
  try {
    test_.Run(0);
  } catch (const std::exception& failure) {
    view_.ShowError(std::string("The test run ended by an error: ") + failure.what());
  } catch (...) {
    view_.ShowError("The test run ended by an unknown error.");
  }
  if (running_ || debugged_) RunEnded(true);  // a run that did not start, or that was thrown out of
}

bool EditorCore::CheckSyntax(EditorPage& page) {
  if (!page.IsScript()) {
    view_.ShowError("This is not a script file.");
    return false;
  }
  // Pages with a file are saved so that the check reads what is on the screen, includes too. An untitled
  // page has no file to read: it gets a name first.
  if (page.Untitled() && !SaveAs(page)) return false;
  for (const auto& other : pages_)
    if (other->file && view_.Modified(*other)) SaveUnder(*other, *other->file);
  if (view_.Modified(page)) return false;

  RunScope run(*this);
  auto onStart = std::move(test_.OnStart);
  auto onFinish = std::move(test_.OnFinish);
  auto onStop = std::move(test_.OnStop);
  test_.OnStart = nullptr;
  test_.OnFinish = nullptr;
  test_.OnStop = nullptr;
  test_.OnError = [this](TBasicInterpreter& interpreter, std::string_view module, int line) {
    if (!interpreter.CheckMode) return;
    EditorPage* erroneous = OpenModuleFile(interpreter, std::string(module));
    if (!erroneous) return;
    active_ = erroneous;
    view_.ShowPage(*erroneous);
    view_.SetCaret(*erroneous, std::max(line - 1, 0), 0);
  };
  test_.SetFileName(*page.file);
  test_.SetIncludeDir(includeFolder_);
  try {
    test_.CheckSyntax();
  } catch (const std::exception& failure) {
    view_.ShowError(failure.what());
    TBasicInterpreter::StopRequested = true;
  }
  test_.OnError = nullptr;
  test_.OnStart = std::move(onStart);
  test_.OnFinish = std::move(onFinish);
  test_.OnStop = std::move(onStop);
  return !TBasicInterpreter::StopRequested;
}

void EditorCore::CompileCodes() {
  if (busy_ || !active_ || RefusedForOtherRun()) return;
  EditorPage& page = *active_;
  if (!page.IsScript()) {
    view_.ShowError("This is not a script file.");
    return;
  }
  if (page.Untitled() || view_.Modified(page)) return;
  RunScope run(*this);
  PrepareTestInterpreter(*page.file);
  try {
    test_.Compile();
  } catch (const std::exception& failure) {
    view_.ShowError(failure.what());
  }
  view_.StateChanged();
}

std::optional<std::string> EditorCore::CompiledFile() const {
  if (!active_ || !active_->file) return std::nullopt;
  std::string compiled = CompiledNameOf(*active_->file);
  std::error_code error;
  if (!std::filesystem::is_regular_file(compiled, error)) return std::nullopt;
  return compiled;
}

void EditorCore::TestRunCompiled() {
  if (busy_) return;
  const std::optional<std::string> compiled = CompiledFile();
  if (!compiled || RefusedForOtherRun()) return;
  RunScope run(*this);
  PrepareTestInterpreter(*compiled);
  try {
    test_.Run(0);
  } catch (const std::exception& failure) {
    view_.ShowError(std::string("The test run ended by an error: ") + failure.what());
  }
  if (running_) RunEnded(true);
}

void EditorCore::Step() {
  if (openingModule_) return;
  stepMode_ = true;
  paused_ = false;
  view_.EndPause();
  if (debugged_) {
    active_ = debugged_;
    view_.ShowPage(*debugged_);
  }
  if (!busy_) {
    TestRun();
    stepMode_ = paused_ = false;
  }
  view_.StateChanged();
}

void EditorCore::Continue() {
  stepMode_ = false;
  paused_ = false;
  view_.EndPause();
  if (!busy_) {
    TestRun();
    stepMode_ = paused_ = false;
  }
  view_.StateChanged();
}

void EditorCore::Cancel() {
  if (!busy_) {
    // The editor has no run of its own: its Cancel (F11, the tray icon) is the way to stop the other one.
    if (OtherRunGoing() && CancelOtherRun) CancelOtherRun();
    return;
  }
  if (helperRunning_) helper_.StopScript();
  test_.StopScript();
  // Also where no statement loop runs yet (a check, a prompt before the first line).
  TBasicInterpreter::StopRequested = true;
  RunEnded(false);
}

void EditorCore::RunHelper(const std::string& path) {
  if (busy_ || !active_ || RefusedForOtherRun()) return;
  RunScope run(*this);
  FlagScope helper(helperRunning_, true);
  view_.Repaint(*active_);
  view_.StateChanged();
  helper_.SetFileName(path);
  helper_.SetIncludeDir(includeFolder_);
  try {
    helper_.Run(0);
  } catch (const std::exception& failure) {
    view_.ShowError(failure.what());
  }
  helperRunning_ = false;
  if (active_) view_.Repaint(*active_);
  view_.StateChanged();
}

// ---- The test interpreter's events ------------------------------------------------------------

void EditorCore::SetRunState(bool running) {
  running_ = running;
  for (const auto& page : pages_) view_.SetReadOnly(*page, running);
  view_.StateChanged();
}

void EditorCore::HandleStart(TBasicInterpreter& interpreter) {
  moduleOffset_ = 0;
  if (view_.DebuggerExists()) evaluation_ = &interpreter;
  SetRunState(true);
}

void EditorCore::RunEnded(bool) {
  EditorPage* was = debugged_;
  debugged_ = nullptr;
  stepMode_ = false;
  paused_ = false;
  evaluation_ = &test_;
  view_.EndPause();
  SetRunState(false);
  if (was) view_.Repaint(*was);
  if (active_ && active_ != was) view_.Repaint(*active_);
  view_.WatchesChanged();
}

void EditorCore::Pause() {
  paused_ = true;
  view_.StateChanged();
  while (paused_ && !TBasicInterpreter::StopRequested) view_.WaitWhilePaused();
  paused_ = false;
}

void EditorCore::HandleLine(TBasicInterpreter& interpreter, std::size_t index) {
  if (view_.ApplicationMinimised()) view_.RestoreApplication();
  if (view_.DebuggerExists()) {
    evaluation_ = &interpreter;
    view_.WatchesChanged();
  }
  EditorPage* page = debugged_;
  if (!page || index < moduleOffset_) return;
  const EditorPage* previous = page;
  const int oldLine = page->currentLine;
  page->currentLine = static_cast<int>(index - moduleOffset_);
  if (page->HasBreakpoint(page->currentLine) || stepMode_) {
    active_ = page;
    view_.ShowPage(*page);
    view_.SetCaret(*page, page->currentLine, 0);
    view_.Repaint(*page);
    Pause();
    if (debugged_ == page) view_.Repaint(*page);
  } else if (oldLine != page->currentLine && previous == debugged_ && (stepMode_ || paused_)) {
    view_.Repaint(*page);
  }
}

EditorPage* EditorCore::OpenModuleFile(const TBasicInterpreter& interpreter, const std::string& module) {
  const std::string file = (module.empty() || module == "Main") ? interpreter.FileName : module;
  if (file.empty()) return nullptr;
  EditorPage* page = PageOfFile(file);
  if (!page) {
    EditorPage* current = active_;
    page = OpenFile(file);
    if (page) view_.SetReadOnly(*page, running_);
    if (!page) active_ = current;
  }
  return page;
}

void EditorCore::HandleModule(TBasicInterpreter& interpreter, std::string_view module, int leaving,
                              std::size_t offset) {
  moduleOffset_ = offset;
  if (leaving) evaluation_ = &interpreter;
  const std::string name(module);
  if (stepMode_) {
    // No Step while the module's page opens (a message box about its file would let one in).
    openingModule_ = true;
    view_.StateChanged();
    EditorPage* page = OpenModuleFile(interpreter, name);
    openingModule_ = false;
    EditorPage* was = debugged_;
    debugged_ = page;
    if (was && was != page) view_.Repaint(*was);
    if (page) {
      active_ = page;
      view_.ShowPage(*page);
      if (leaving) view_.Repaint(*page);
    }
    view_.StateChanged();
    return;
  }
  debugged_ = PageOfFile((name.empty() || name == "Main") ? interpreter.FileName : name);
}

void EditorCore::HandleCommand(TBasicInterpreter& interpreter, std::string_view name, bool& handled) {
  if (interpreter.CheckMode) return;
  if (name == "send") {
    view_.MinimiseApplication();
    return;
  }
  if (name != "sysbreak") return;
  handled = true;
  // The line holding sysbreak, in the file it came from (a sub of an include stands in the include).
  const std::size_t index = interpreter.LineIndex > 0 ? interpreter.LineIndex - 1 : 0;
  const ScriptPosition where = interpreter.PositionOfLine(index);
  const int line = where.Line > 0 ? static_cast<int>(where.Line) - 1 : 0;
  EditorPage* page = OpenModuleFile(interpreter, where.Module);
  if (page) {
    moduleOffset_ = index - static_cast<std::size_t>(line);
    EditorPage* was = debugged_;
    debugged_ = page;
    if (was && was != page) view_.Repaint(*was);
    page->currentLine = line;
    active_ = page;
    view_.ShowPage(*page);
    view_.SetCaret(*page, line, 0);
    view_.Repaint(*page);
  }
  view_.ShowDebugger();
  DebuggerCreated();
  evaluation_ = &interpreter;
  stepMode_ = true;
  paused_ = true;
  view_.StateChanged();
}

// ---- Breakpoints and watches ------------------------------------------------------------------

void EditorCore::AddBreakPoint() {
  if (!active_ || !active_->IsScript()) return;
  const int line = view_.CaretLine(*active_);
  if (!active_->HasBreakpoint(line)) active_->breakpoints.push_back(line);
  view_.Repaint(*active_);
}

void EditorCore::RemoveBreakPoint() {
  if (!active_) return;
  const int line = view_.CaretLine(*active_);
  std::erase(active_->breakpoints, line);
  view_.Repaint(*active_);
}

LineColour EditorCore::ColourOf(const EditorPage& page, int line) const {
  if (helperRunning_) return LineColour::None;
  if ((running_ || stepMode_ || paused_) && &page == debugged_ && line == page.currentLine)
    return LineColour::Current;
  return page.HasBreakpoint(line) ? LineColour::Breakpoint : LineColour::None;
}

void EditorCore::DebuggerCreated() {
  if (!evaluation_) evaluation_ = &test_;
}

void EditorCore::AddWatch(const std::string& entry) {
  if (watches_.Add(entry)) view_.WatchesChanged();
}

void EditorCore::AddWatchAtCursor() {
  if (!active_ || !view_.DebuggerExists()) return;
  const std::string line = view_.LineText(*active_, view_.CaretLine(*active_));
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos) return;
  AddWatch(line.substr(0, equals));
}

void EditorCore::InsertRecording(const std::string& recorded, const RecordingTarget& target) {
  if (!active_ || busy_) return;
  const std::string text = RecordingScriptText(recorded, target, view_.CaretColumn(*active_) + 1);
  if (!text.empty()) view_.InsertAtCaret(*active_, text);
}

void EditorCore::InsertAssistantText(const std::string& text, bool afterLineBreak) {
  if (!active_ || busy_ || text.empty()) return;
  view_.InsertAtCaret(*active_,
                      afterLineBreak ? "\r\n" + text : IndentLaterLines(text, view_.CaretColumn(*active_) + 1));
}

// ---- Actions ----------------------------------------------------------------------------------

ActionStates EditorCore::EnabledActions(bool debuggerShown) const {
  ActionStates enabled{};
  const auto set = [&](EditorAction action, bool on) { enabled[static_cast<std::size_t>(action)] = on; };
  if (busy_) {
    for (EditorAction action : {EditorAction::Cancel, EditorAction::Copy, EditorAction::ShowDebugger,
                                EditorAction::Step, EditorAction::Continue, EditorAction::AddBreakPoint,
                                EditorAction::RemoveBreakPoint})
      set(action, true);
    set(EditorAction::Step, !openingModule_);
    set(EditorAction::AddWatchAtCursor, debuggerShown);
    return enabled;
  }
  enabled.fill(true);
  set(EditorAction::Cancel, OtherRunGoing() && CancelOtherRun);
  set(EditorAction::AddWatchAtCursor, debuggerShown);
  set(EditorAction::TestRunCompiled, CompiledFile().has_value());
  return enabled;
}

}  // namespace tw::editor
