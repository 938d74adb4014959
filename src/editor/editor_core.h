#pragma once
// The script editor without its widgets: the pages and their files, the test and helper interpreters, the
// debugger's handling of the test interpreter's events (breakpoints, stepping, the pause), watches, and which
// actions the window offers in each state. It reaches the windows through EditorView.

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/tarnwick_basic.h"
#include "editor/editor_view.h"
#include "editor/page_file.h"
#include "editor/recent_files.h"
#include "editor/watch_list.h"
#include "interpreter/variables.h"
#include "recorder/recording_script.h"

namespace tw::editor {

struct EditorPage {
  int id = 0;
  std::optional<std::string> file;  // none: an untitled page
  PageFile content;                 // header, encoding and kind; the text itself lives in the view
  std::vector<int> breakpoints;     // lines from 0, no duplicates; they stay on their numbers through edits
  int currentLine = 0;              // where the test run stands in this file

  bool Untitled() const { return !file.has_value(); }
  bool IsScript() const { return content.isScript; }
  bool HasBreakpoint(int line) const;
};

// One action a line would make the list four times as long to read.
// clang-format off
enum class EditorAction {
  New, Open, Save, SaveAs, CloseFile, ScriptProperties, Undo, Cut, Copy, Paste, SelectAll, FindReplace,
  GotoLine, TestRun, Step, Continue, Cancel, AddBreakPoint, RemoveBreakPoint, ShowDebugger, AddWatchAtCursor,
  CheckSyntax, CompileCodes, TestRunCompiled, RecordKeystrokes, Helpers, OpenFileAtCursor, Exit,
  SubAndFuncList, DialogEditor, Help, HelpOnKeyword, HelpOnSyntax, FocusFinder, MouseClickAssistant,
  TextLocatorAssistant, Count
};
// clang-format on
using ActionStates = std::array<bool, static_cast<std::size_t>(EditorAction::Count)>;

enum class LineColour { None, Breakpoint, Current };

class EditorCore {
 public:
  EditorCore(ScriptHost& host, port::Desktop& desktop, EditorView& view);
  ~EditorCore();
  EditorCore(const EditorCore&) = delete;
  EditorCore& operator=(const EditorCore&) = delete;

  // ---- Set-up --------------------------------------------------------------------------------
  void SetScriptsFolder(const std::string& folder);  // with or without a trailing "/"
  void SetIncludeFolder(const std::string& folder);
  const std::string& ScriptsFolder() const { return scriptsFolder_; }
  // Another part of the program runs a script: the editor starts none meanwhile (and says so), and its
  // Cancel stops that run through CancelOtherRun.
  std::function<bool()> OtherRunActive;
  std::function<void()> CancelOtherRun;
  // The other run began or ended: the window shows what it may do now.
  void OtherRunChanged() { view_.StateChanged(); }
  bool OtherRunGoing() const { return OtherRunActive && OtherRunActive(); }

  // ---- Pages ---------------------------------------------------------------------------------
  EditorPage& NewPage();
  // Activates the page of that file when one is open (paths compared as canonical paths, with letter case);
  // otherwise loads it into a new page. A missing file gives an untitled page; a file that cannot be read an
  // error and none.
  EditorPage* OpenFile(const std::string& path);
  EditorPage* ActivePage() const { return active_; }
  void SetActivePage(EditorPage* page) { active_ = page; }
  const std::vector<std::unique_ptr<EditorPage>>& Pages() const { return pages_; }
  EditorPage* PageOfFile(const std::string& path) const;
  // The caption of a page: its file, or "untitled.tws" in the scripts folder.
  std::string Caption(const EditorPage& page) const;

  // Save: a modified page under its file, or under a name asked for when it has none. False when the page is
  // still modified afterwards (cancelled or failed; the old file is then unchanged).
  bool Save(EditorPage& page);
  bool SaveAs(EditorPage& page);
  // Asks about unsaved changes; false when the page stays. The last page is replaced by a new untitled one.
  bool ClosePage(EditorPage& page);
  // The window may close: no run is active (else the warning) and every page closed. When the application
  // ends, a run is stopped instead of refusing.
  bool CloseEditor(bool applicationEnding = false);
  void OpenFileAtCursor();

  // ---- Runs ----------------------------------------------------------------------------------
  void TestRun();
  bool CheckSyntax(EditorPage& page);
  void CompileCodes();
  // The compiled file of the active page, when it exists.
  std::optional<std::string> CompiledFile() const;
  void TestRunCompiled();
  void Step();
  void Continue();
  void Cancel();
  void RunHelper(const std::string& path);
  // The application ends: a run in progress is stopped first.
  void ApplicationEnding() { Cancel(); }

  // A run of the editor's is in progress (test run, check, compile or helper).
  bool RunActive() const { return busy_; }
  bool Running() const { return running_; }
  bool Paused() const { return paused_; }
  bool StepMode() const { return stepMode_; }
  EditorPage* DebuggedPage() const { return debugged_; }
  std::size_t ModuleOffset() const { return moduleOffset_; }

  // ---- Breakpoints, line colours -------------------------------------------------------------
  void AddBreakPoint();
  void RemoveBreakPoint();
  LineColour ColourOf(const EditorPage& page, int line) const;

  // ---- Watches -------------------------------------------------------------------------------
  WatchList& Watches() { return watches_; }
  std::vector<std::string> WatchLines() const { return watches_.Lines(evaluation_); }
  TBasicInterpreter* EvaluationInterpreter() const { return evaluation_; }
  void AddWatch(const std::string& entry);
  // The caret line's text before its first "=" becomes a watch.
  void AddWatchAtCursor();
  // The debugger window came into being: the evaluation interpreter is the test interpreter from now on.
  void DebuggerCreated();

  // ---- Inserting -----------------------------------------------------------------------------
  // A keystroke recording at the caret (RecordingScriptText), its later lines indented to the caret.
  void InsertRecording(const std::string& recorded, const RecordingTarget& target);
  // The command assistant's text at the caret: a waiting command after a line break as it is, other commands with
  // their later lines indented to the caret.
  void InsertAssistantText(const std::string& text, bool afterLineBreak);

  RecentFiles& Recent() { return recent_; }
  ActionStates EnabledActions(bool debuggerShown) const;
  TTarnwickBasic& TestInterpreter() { return test_; }
  TTarnwickBasic& HelperInterpreter() { return helper_; }
  VariableTable& Globals() { return globals_; }

 private:
  class RunScope;
  // True, after saying why, when another run keeps the editor from starting one.
  bool RefusedForOtherRun();
  bool SaveUnder(EditorPage& page, const std::string& path);
  bool LoadInto(EditorPage& page, const std::string& path);
  void RemovePage(EditorPage& page);
  void PrepareTestInterpreter(const std::string& file);
  void SetRunState(bool running);
  void RunEnded(bool finished);
  void Pause();
  EditorPage* OpenModuleFile(const TBasicInterpreter& interpreter, const std::string& module);

  void HandleStart(TBasicInterpreter& interpreter);
  void HandleLine(TBasicInterpreter& interpreter, std::size_t index);
  void HandleModule(TBasicInterpreter& interpreter, std::string_view module, int leaving, std::size_t offset);
  void HandleCommand(TBasicInterpreter& interpreter, std::string_view name, bool& handled);

  EditorView& view_;
  VariableTable globals_;
  TTarnwickBasic test_;
  TTarnwickBasic helper_;
  std::vector<std::unique_ptr<EditorPage>> pages_;
  EditorPage* active_ = nullptr;
  int nextId_ = 1;
  std::string scriptsFolder_;
  std::string includeFolder_;
  RecentFiles recent_;
  WatchList watches_;
  TBasicInterpreter* evaluation_ = nullptr;

  bool busy_ = false;
  bool helperRunning_ = false;
  bool running_ = false;
  bool paused_ = false;
  bool stepMode_ = false;
  bool minimisedForSend_ = false;
  bool openingModule_ = false;  // stepping into or out of a module: its page is being opened
  EditorPage* debugged_ = nullptr;
  std::size_t moduleOffset_ = 0;
};

// Why the editor starts no run while another part of the program runs one.
inline constexpr const char* kOtherRunActive =
    "Cannot Run: Another script is currently running! Cancel it (F11) or wait for its end.";

// Canonical form of a path for comparing pages: absolute, symbolic links and "." / ".." resolved as far as
// the path exists; letter case kept.
std::string CanonicalPath(const std::string& path);

}  // namespace tw::editor
