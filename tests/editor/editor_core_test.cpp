// The editor's logic with a real interpreter on the fake desktop and a recording view: test runs, the
// debugger's pauses, breakpoints in includes, sysbreak, watches, saving and the refusals.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>

#include "editor/editor_core.h"
#include "editor/helper_list.h"
#include "editor/page_file.h"
#include "editor/recent_files.h"
#include "editor/watch_list.h"
#include "editor/recording_view.h"
#include "port/fake/fake_desktop.h"
#include "support/recording_host.h"

namespace tw::editor {
namespace {

namespace fs = std::filesystem;
using test::RecordingView;

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "tw-editor-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : "";
  }
  ~TempFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  std::string Write(const std::string& name, std::string_view bytes) const {
    const std::string file = path_ + "/" + name;
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ + "/" + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// ---- Files of pages ---------------------------------------------------------------------------

TEST(PageFiles, EveryByteOfAWindows1252ScriptAndAUtf8ScriptSaveUnchanged) {
  TempFolder folder;
  std::string high = "x = \"";
  for (int b = 1; b <= 0xff; ++b)
    if (b != '\r' && b != '\n' && b != '"') high += static_cast<char>(b);
  high += "\"";
  TScriptHeader header;
  header.description = "bytes";
  const struct {
    const char* name;
    std::vector<std::string> body;
    TextEncoding encoding;
  } cases[] = {
      {"cp1252.tws", {high, "print x"}, TextEncoding::Windows1252},
      {"utf8.tws", {"print \"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\"", "", "end"}, TextEncoding::Utf8},
  };
  for (const auto& c : cases) {
    const std::string path = folder.path() + "/" + c.name;
    SaveScriptFile(path, header, c.body);
    const std::string before = folder.Read(c.name);
    PageFile page = LoadPageFile(path);
    EXPECT_EQ(page.encoding, c.encoding) << c.name;
    EXPECT_EQ(DetectEncoding(page.text), TextEncoding::Utf8) << c.name;
    SavePageFile(path, page);
    EXPECT_EQ(folder.Read(c.name), before) << c.name;
  }
}

TEST(PageFiles, PlainTextKeepsItsLineBreaksAndScriptsGetCrLf) {
  TempFolder folder;
  const std::string plain = folder.Write("notes.txt", "one\ntwo\n");
  PageFile page = LoadPageFile(plain);
  EXPECT_FALSE(page.isScript);
  page.text += "three\n";
  SavePageFile(plain, page);
  EXPECT_EQ(folder.Read("notes.txt"), "one\ntwo\nthree\n");

  const std::string script = folder.Write("s.tws", "print 1\nprint 2\n");
  PageFile loaded = LoadPageFile(script);
  EXPECT_TRUE(loaded.isScript);
  EXPECT_EQ(loaded.text, "print 1\nprint 2");
  SavePageFile(script, loaded);
  const std::string saved = folder.Read("s.tws");
  EXPECT_NE(saved.find("\r\nprint 1\r\nprint 2\r\n"), std::string::npos) << saved;
}

TEST(PageFiles, Windows1252TakesWhatItCanHold) {
  EXPECT_EQ(EncodeText("\xe2\x82\xac caf\xc3\xa9", TextEncoding::Windows1252), std::string("\x80 caf\xe9"));
  EXPECT_EQ(EncodeText("\xce\xa9", TextEncoding::Windows1252), std::nullopt);  // Greek capital omega
  EXPECT_EQ(EncodeText("\xce\xa9", TextEncoding::Utf8), std::string("\xce\xa9"));
}

// A save that fails half-way (the file-size limit binds root too) leaves the old file byte for byte and no
// temporary file behind.
TEST(PageFiles, ASaveFailingHalfWayKeepsTheOldFile) {
  TempFolder folder;
  const std::string old = "#description: old\r\nprint \"old\"\r\n";
  const std::string path = folder.Write("big.tws", old);
  PageFile page = LoadPageFile(path);
  page.text = std::string(200000, 'x');
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{65536, 65536};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      SavePageFile(path, page);
    } catch (const std::exception&) {
      ::_exit(3);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3) << "the save was reported as done";
  EXPECT_EQ(folder.Read("big.tws"), old);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"big.tws"});
}

// ---- Watches, recent files, helpers -------------------------------------------------------------

TEST(Watches, NamesAreNormalisedAndKeptInOrderThroughTheSettingsFile) {
  WatchList watches;
  EXPECT_TRUE(watches.Add(" My Var "));
  EXPECT_FALSE(watches.Add("myvar"));
  EXPECT_FALSE(watches.Add("   "));
  for (int i = 1; i < 12; ++i) watches.Add("v" + std::to_string(i));
  IniFile ini;
  watches.Save(ini);
  EXPECT_EQ(ini.ReadString(WatchList::kSection, "Line10", ""), "v10");

  WatchList reopened;
  reopened.Load(ini);
  EXPECT_EQ(reopened.Entries(), watches.Entries());
  EXPECT_EQ(reopened.Entries().front(), "myvar");
  EXPECT_EQ(reopened.Lines(nullptr).front(), "myvar [u] = ");

  EXPECT_TRUE(reopened.RemoveLine("v3 [n] = 4"));
  EXPECT_TRUE(reopened.Replace(0, "Other Name"));
  EXPECT_EQ(reopened.Entries()[0], "othername");
  EXPECT_EQ(reopened.Entries().size(), 11u);
}

TEST(Watches, TypeLettersFollowTheValue) {
  test::RecordingHost host;
  port::fake::FakeDesktop desktop;
  TTarnwickBasic interpreter(host, desktop);
  VariableTable globals;
  interpreter.SetGlobals(&globals);
  interpreter.SetVariable("n", ScriptValue::Integer(4));
  interpreter.SetVariable("s", ScriptValue("text"));
  WatchList watches;
  for (const char* name : {"n", "s", "missing"}) watches.Add(name);
  EXPECT_EQ(watches.Lines(&interpreter),
            (std::vector<std::string>{"n [n] = 4", "s [s] = text", "missing [-] = "}));
}

TEST(RecentFilesList, TenAtMostMostRecentLastNoRepeats) {
  RecentFiles recent;
  for (int i = 0; i < 12; ++i) recent.Add("/s/" + std::to_string(i) + ".tws");
  EXPECT_FALSE(recent.Add("/s/11.tws"));
  ASSERT_EQ(recent.Files().size(), 10u);
  EXPECT_EQ(recent.Files().front(), "/s/2.tws");
  EXPECT_EQ(recent.Files().back(), "/s/11.tws");
  IniFile ini;
  recent.Save(ini);
  RecentFiles again;
  again.Load(ini);
  EXPECT_EQ(again.Files(), recent.Files());
}

TEST(Helpers, ScriptsDescribedAsHelpersInNameOrder) {
  TempFolder folder;
  folder.Write("b.tws", "#description: Helper:  Fill the form \r\nprint 1\r\n");
  folder.Write("a.tws", "#description: helper: Log in\r\nprint 1\r\n");
  folder.Write("c.tws", "#description: not one\r\nprint 1\r\n");
  folder.Write("d.txt", "#description: helper: text\r\n");
  const std::vector<HelperEntry> helpers = ListHelpers(folder.path());
  ASSERT_EQ(helpers.size(), 2u);
  EXPECT_EQ(helpers[0].caption, "&1. Log in");
  EXPECT_EQ(helpers[1].caption, "&2. Fill the form");
  EXPECT_TRUE(ListHelpers(folder.path() + "/none").empty());
}

// ---- The editor with its test interpreter -------------------------------------------------------

class EditorCoreTest : public ::testing::Test {
 protected:
  EditorCoreTest() : core(host, desktop, view) {
    view.core = &core;
    core.SetScriptsFolder(folder.path());
    core.SetIncludeFolder(folder.path());
  }
  ~EditorCoreTest() override { TBasicInterpreter::StopRequested = false; }

  EditorPage& Open(const std::string& name, std::string_view text) {
    EditorPage* page = core.OpenFile(folder.Write(name, text));
    EXPECT_NE(page, nullptr);
    return *page;
  }
  std::string Prints() const {
    std::string all;
    for (const std::string& p : host.Prints) all += p + ",";
    return all;
  }

  TempFolder folder;
  test::RecordingHost host;
  port::fake::FakeDesktop desktop;
  RecordingView view;
  EditorCore core;
};

constexpr std::string_view kFiveLines = "print 1\nprint 2\nprint 3\nprint 4\nprint 5\n";

TEST_F(EditorCoreTest, StepWithNoRunStartsOneAndPausesBeforeLineOneInSilver) {
  EditorPage& page = Open("main.tws", kFiveLines);
  view.OnPause = [&](int n) {
    if (n == 1) {
      EXPECT_TRUE(core.Running());
      EXPECT_EQ(core.DebuggedPage(), &page);
      EXPECT_EQ(core.ColourOf(page, 0), LineColour::Current);
      EXPECT_EQ(Prints(), "");
      EXPECT_TRUE(view.Of(page).readOnly);
      EXPECT_FALSE(core.EnabledActions(false)[static_cast<std::size_t>(EditorAction::TestRun)]);
      core.Step();
    } else {
      EXPECT_EQ(Prints(), "1,");
      core.Continue();
    }
  };
  core.Step();
  EXPECT_EQ(view.pauses, 2);
  EXPECT_EQ(Prints(), "1,2,3,4,5,");
  EXPECT_FALSE(core.Running());
  EXPECT_FALSE(core.RunActive());
  EXPECT_EQ(core.ColourOf(page, 1), LineColour::None);
  EXPECT_FALSE(view.Of(page).readOnly);
}

TEST_F(EditorCoreTest, BreakpointThenContinueRunsToTheEnd) {
  EditorPage& page = Open("main.tws", kFiveLines);
  view.Of(page).line = 3;
  core.AddBreakPoint();
  core.AddBreakPoint();
  EXPECT_EQ(page.breakpoints, std::vector<int>{3});
  view.OnPause = [&](int) {
    EXPECT_EQ(Prints(), "1,2,3,");
    EXPECT_EQ(core.ColourOf(page, 3), LineColour::Current);
    core.Continue();
  };
  core.TestRun();
  EXPECT_EQ(view.log, (std::vector<std::string>{"debugger", "pause main.tws:4"}));
  EXPECT_EQ(Prints(), "1,2,3,4,5,");
  EXPECT_EQ(core.ColourOf(page, 3), LineColour::Breakpoint);
  EXPECT_FALSE(core.Running());
}

TEST_F(EditorCoreTest, CancelWhilePausedEndsTheRunAndTheNextRunWorks) {
  EditorPage& page = Open("main.tws", kFiveLines);
  view.Of(page).line = 1;
  core.AddBreakPoint();
  view.OnPause = [&](int) {
    core.Cancel();
    EXPECT_FALSE(core.Paused());
    EXPECT_EQ(core.ColourOf(page, 1), LineColour::Breakpoint);
  };
  core.TestRun();
  EXPECT_EQ(Prints(), "1,");
  EXPECT_FALSE(core.RunActive());

  core.RemoveBreakPoint();
  host.Prints.clear();
  core.TestRun();
  EXPECT_EQ(Prints(), "1,2,3,4,5,");
}

TEST_F(EditorCoreTest, ASendLineMinimisesTheApplicationUntilTheNextLine) {
  Open("main.tws", "print 1\nsend \"a\"\nprint 2\n");
  core.TestRun();
  EXPECT_EQ(view.log, (std::vector<std::string>{"minimise", "restore"}));
  EXPECT_TRUE(host.ScriptErrors.empty());
}

TEST_F(EditorCoreTest, ABreakpointInAnIncludeHoldsOnlyWhenItsPageIsOpen) {
  const std::string lib = folder.Write("lib.tws", "sub twice(n)\nresult = n * 2\nendsub\n");
  const std::string mainText = "include \"lib.tws\"\nprint twice(1)\nprint twice(2)\n";
  for (const bool open : {true, false}) {
    SCOPED_TRACE(open ? "open" : "not open");
    view.log.clear();
    if (open) {
      EditorPage* libPage = core.OpenFile(lib);
      view.Of(*libPage).line = 1;
      core.AddBreakPoint();
    }
    Open("main.tws", mainText);
    view.OnPause = [&](int) { core.Continue(); };
    host.Prints.clear();
    core.TestRun();
    EXPECT_EQ(Prints(), "2,4,");
    const std::vector<std::string> expected =
        open ? std::vector<std::string>{"pause lib.tws:2", "pause lib.tws:2"} : std::vector<std::string>{};
    EXPECT_EQ(view.log, expected);
    if (open) core.ClosePage(*core.PageOfFile(lib));
  }
}

TEST_F(EditorCoreTest, SteppingIntoASubOfAnIncludeOpensItsPageAndComesBack) {
  const std::string lib = folder.Write("lib.tws", "sub hello()\nprint \"in\"\nendsub\n");
  EditorPage& main = Open("main.tws", "include \"lib.tws\"\nhello()\nprint \"back\"\n");
  std::vector<std::string> seen;
  view.OnPause = [&](int) {
    seen.push_back(RecordingView::Name(*core.DebuggedPage()) + ":" +
                   std::to_string(core.DebuggedPage()->currentLine + 1));
    core.Step();
  };
  core.Step();
  EXPECT_EQ(seen, (std::vector<std::string>{"main.tws:1", "main.tws:2", "lib.tws:2", "lib.tws:3", "main.tws:3"}));
  EXPECT_NE(core.PageOfFile(lib), nullptr);
  EXPECT_EQ(Prints(), "in,back,");
  EXPECT_EQ(core.ActivePage(), &main);
}

TEST_F(EditorCoreTest, SysbreakShowsTheDebuggerAndPausesAtTheNextLineOfItsFile) {
  folder.Write("lib.tws", "sub deep()\nx = 1\nsysbreak\nx = 2\nendsub\n");
  const struct {
    const char* main;
    const char* pause;
  } cases[] = {
      {"print 1\nsysbreak\nprint 2\n", "pause main.tws:3"},
      {"include \"lib.tws\"\nprint 1\ndeep()\nprint 2\n", "pause lib.tws:4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.main);
    view.log.clear();
    view.debuggerExists = false;
    host.Prints.clear();
    Open("main.tws", c.main);
    view.OnPause = [&](int) { core.Continue(); };
    core.TestRun();
    EXPECT_EQ(view.log, (std::vector<std::string>{"debugger", c.pause}));
    EXPECT_EQ(Prints(), "1,2,");
    core.ClosePage(*core.ActivePage());
  }
}

TEST_F(EditorCoreTest, WatchesReadTheRunningInterpreterAtAPause) {
  Open("main.tws", "myvar = 5\nname = \"x\"\nprint 1\n");
  view.debuggerExists = true;
  core.DebuggerCreated();
  core.AddWatch("My Var");
  core.AddWatch("name");
  view.Of(*core.ActivePage()).line = 2;
  core.AddBreakPoint();
  std::vector<std::string> atPause;
  view.OnPause = [&](int) {
    atPause = core.WatchLines();
    core.Continue();
  };
  core.TestRun();
  EXPECT_EQ(atPause, (std::vector<std::string>{"myvar [n] = 5", "name [s] = x"}));
  EXPECT_EQ(core.EvaluationInterpreter(), &core.TestInterpreter());
}

TEST_F(EditorCoreTest, AddWatchAtCursorTakesTheTextBeforeTheEqualsSign) {
  EditorPage& page = Open("main.tws", "Total Sum = 1\nprint 1\n");
  core.AddWatchAtCursor();  // no debugger window yet
  EXPECT_TRUE(core.Watches().Entries().empty());
  view.debuggerExists = true;
  core.AddWatchAtCursor();
  view.Of(page).line = 1;
  core.AddWatchAtCursor();
  EXPECT_EQ(core.Watches().Entries(), std::vector<std::string>{"totalsum"});
}

TEST_F(EditorCoreTest, ClosingTheEditorWhilePausedIsRefused) {
  EditorPage& page = Open("main.tws", kFiveLines);
  view.Of(page).line = 2;
  core.AddBreakPoint();
  view.OnPause = [&](int) {
    EXPECT_FALSE(core.CloseEditor());
    core.Continue();
  };
  core.TestRun();
  EXPECT_EQ(view.log.back(), "warning Cannot Exit: Script is currently running!");
  EXPECT_EQ(Prints(), "1,2,3,4,5,");
  EXPECT_TRUE(core.CloseEditor());
  EXPECT_TRUE(core.Pages().empty());
}

TEST_F(EditorCoreTest, TestRunOfAnUntitledPageAsksForANameAndRunsNothingWhenCancelled) {
  EditorPage& page = core.NewPage();
  view.Of(page).text = "print 1\n";
  view.Of(page).modified = true;
  core.TestRun();
  EXPECT_EQ(view.log, std::vector<std::string>{"save as?"});
  EXPECT_EQ(Prints(), "");
  EXPECT_TRUE(view.Of(page).modified);

  view.saveNames.push_back(folder.path() + "/named.tws");
  core.TestRun();
  EXPECT_EQ(Prints(), "1,");
  EXPECT_EQ(page.file, CanonicalPath(folder.path() + "/named.tws"));
}

TEST_F(EditorCoreTest, EmptyAndNonScriptPagesAreNotRun) {
  core.NewPage();
  core.TestRun();
  Open("notes.txt", "print 1\n");
  core.TestRun();
  EXPECT_EQ(view.log, (std::vector<std::string>{"error Nothing to Execute!", "error This is not a script file."}));
  EXPECT_EQ(Prints(), "");
}

TEST_F(EditorCoreTest, ASyntaxErrorInAnIncludeShowsThatFileAtTheLine) {
  folder.Write("lib.tws", "sub fine()\nendsub\nstart:\n");
  Open("main.tws", "start:\ninclude \"lib.tws\"\nfine()\n");
  core.TestRun();
  EditorPage* lib = core.PageOfFile(folder.path() + "/lib.tws");
  ASSERT_NE(lib, nullptr);
  EXPECT_EQ(core.ActivePage(), lib);
  EXPECT_EQ(view.Of(*lib).line, 2);
  EXPECT_EQ(view.Of(*lib).column, 0);
  EXPECT_EQ(host.ScriptErrors.size(), 1u);
  EXPECT_FALSE(core.RunActive());
}

TEST_F(EditorCoreTest, CheckSyntaxSavesPagesWithAFileAndNeverAnUntitledOne) {
  EditorPage& untitled = core.NewPage();
  view.Of(untitled).text = "print 9\n";
  view.Of(untitled).modified = true;
  EditorPage& main = Open("main.tws", "print 1\n");
  view.Of(main).text = "print 2\n";
  view.Of(main).modified = true;
  EXPECT_TRUE(core.CheckSyntax(main));
  EXPECT_FALSE(view.Of(main).modified);
  EXPECT_NE(folder.Read("main.tws").find("print 2"), std::string::npos);
  EXPECT_TRUE(view.Of(untitled).modified);
  EXPECT_FALSE(fs::exists(folder.path() + "/untitled.tws"));
}

TEST_F(EditorCoreTest, AFileNamedUntitledIsAnOrdinaryFile) {
  EditorPage& page = Open("untitled-notes.tws", "print 1\n");
  EXPECT_FALSE(page.Untitled());
  EXPECT_EQ(view.Of(page).text, "print 1");
  view.Of(page).text = "print 2";
  view.Of(page).modified = true;
  EXPECT_TRUE(core.Save(page));
  EXPECT_NE(folder.Read("untitled-notes.tws").find("print 2"), std::string::npos);
  EXPECT_TRUE(view.log.empty());
}

TEST_F(EditorCoreTest, OpeningAnOpenFileActivatesItsPage) {
  EditorPage& first = Open("main.tws", "print 1\n");
  core.NewPage();
  EXPECT_EQ(core.OpenFile(folder.path() + "/./main.tws"), &first);
  EXPECT_EQ(core.ActivePage(), &first);
  EXPECT_EQ(core.Pages().size(), 2u);
  // Letter case counts: another file.
  folder.Write("MAIN.tws", "print 2\n");
  EXPECT_NE(core.OpenFile(folder.path() + "/MAIN.tws"), &first);
}

TEST_F(EditorCoreTest, ACharacterWindows1252CannotHoldMakesSaveOfferUtf8) {
  EditorPage& page = Open("old.tws", "print \"caf\xe9\"\n");
  EXPECT_EQ(page.content.encoding, TextEncoding::Windows1252);
  view.Of(page).text += "\nprint \"\xce\xa9\"";
  view.Of(page).modified = true;
  view.utf8Answer = false;
  EXPECT_FALSE(core.Save(page));
  EXPECT_TRUE(view.Of(page).modified);
  view.utf8Answer = true;
  EXPECT_TRUE(core.Save(page));
  EXPECT_NE(folder.Read("old.tws").find("print \"caf\xc3\xa9\"\r\nprint \"\xce\xa9\""), std::string::npos);
}

TEST_F(EditorCoreTest, AFailedSaveKeepsThePageModified) {
  EditorPage& page = Open("main.tws", "print 1\n");
  fs::remove(folder.path() + "/main.tws");
  fs::create_directory(folder.path() + "/main.tws");  // a folder in the file's place: the rename fails
  view.Of(page).modified = true;
  EXPECT_FALSE(core.Save(page));
  EXPECT_TRUE(view.Of(page).modified);
  ASSERT_FALSE(view.log.empty());
  EXPECT_EQ(view.log.back().rfind("error ", 0), 0u);
}

TEST_F(EditorCoreTest, ARecordingAtColumnFiveIsIndentedToIt) {
  EditorPage& page = Open("main.tws", "x = 1\n    \n");
  view.Of(page).line = 1;
  view.Of(page).column = 4;
  core.InsertRecording("abc\r\n{ENTER}", {.title = "Notes", .windowClass = ""});
  EXPECT_EQ(view.Of(page).text,
            "x = 1\n    IF FOCUS(\"Notes\", 5) = True THEN\r\n    SEND \"abc\"\r\n    SEND \"{ENTER}\"\r\n"
            "    ENDIF\r\n    ");
}

// A block is indented to the caret; a waiting command goes on a line of its own, as it is.
TEST_F(EditorCoreTest, AssistantTextsAreIndentedToTheCaretOrPutOnANewLine) {
  EditorPage& page = Open("main.tws", "x = 1\n    \n");
  view.Of(page).line = 1;
  view.Of(page).column = 4;
  core.InsertAssistantText("IF FOCUS(\"a\", 5) = True THEN\r\n  '-- Codes\r\nENDIF", false);
  EXPECT_EQ(view.Of(page).text, "x = 1\n    IF FOCUS(\"a\", 5) = True THEN\r\n      '-- Codes\r\n    ENDIF");
  view.Of(page).line = 0;
  view.Of(page).column = 5;
  core.InsertAssistantText("WAITDOS(3, 10, \"ab\", 10)", true);
  EXPECT_TRUE(view.Of(page).text.starts_with("x = 1\r\nWAITDOS(3, 10, \"ab\", 10)\n    IF")) << view.Of(page).text;
}

TEST_F(EditorCoreTest, ARunIsRefusedWhileAnotherIsActive) {
  EditorPage& page = Open("main.tws", kFiveLines);
  view.Of(page).line = 0;
  core.AddBreakPoint();
  view.OnPause = [&](int) {
    core.TestRun();  // inside the pause: refused, the paused run goes on
    core.RunHelper(folder.Write("helper.tws", "print 9\n"));
    core.Continue();
  };
  core.TestRun();
  EXPECT_EQ(Prints(), "1,2,3,4,5,");
  EXPECT_EQ(view.pauses, 1);
}

// A run of the main program's keeps every run of the editor's from starting, each with a message; the
// editor's Cancel is the way to stop that run, and goes to it only while it is going.
TEST_F(EditorCoreTest, AnotherProgramRunRefusesTheEditorsRunsWithAMessageAndItsCancelStopsIt) {
  Open("main.tws", kFiveLines);
  core.CompileCodes();
  ASSERT_TRUE(core.CompiledFile().has_value());
  const std::string helper = folder.Write("helper.tws", "print 9\n");
  bool other = true;
  int cancelled = 0;
  core.OtherRunActive = [&] { return other; };
  core.CancelOtherRun = [&] { ++cancelled; };
  const struct {
    const char* name;
    std::function<void()> act;
  } refused[] = {
      {"Test Run", [&] { core.TestRun(); }},
      {"Step", [&] { core.Step(); }},
      {"Continue", [&] { core.Continue(); }},
      {"Compile Codes", [&] { core.CompileCodes(); }},
      {"Test Run Compiled", [&] { core.TestRunCompiled(); }},
      {"helper", [&] { core.RunHelper(helper); }},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.name);
    view.log.clear();
    c.act();
    EXPECT_EQ(view.log, std::vector<std::string>{std::string("warning ") + kOtherRunActive});
    EXPECT_FALSE(core.RunActive());
    EXPECT_EQ(view.pauses, 0);
  }
  EXPECT_EQ(Prints(), "");

  core.Cancel();
  EXPECT_EQ(cancelled, 1);
  other = false;
  core.Cancel();
  EXPECT_EQ(cancelled, 1) << "no run of the main program's: nothing to stop";
  core.TestRun();
  EXPECT_EQ(Prints(), "1,2,3,4,5,");
}

// Which actions the window offers, per state of the editor and the program.
TEST_F(EditorCoreTest, EnabledActionsFollowTheRunState) {
  // The actions' names, in their order.
  std::istringstream list(
      "New Open Save SaveAs CloseFile ScriptProperties Undo Cut Copy Paste SelectAll FindReplace GotoLine "
      "TestRun Step Continue Cancel AddBreakPoint RemoveBreakPoint ShowDebugger AddWatchAtCursor CheckSyntax "
      "CompileCodes TestRunCompiled RecordKeystrokes Helpers OpenFileAtCursor Exit SubAndFuncList DialogEditor "
      "Help HelpOnKeyword HelpOnSyntax FocusFinder MouseClickAssistant TextLocatorAssistant");
  const std::vector<std::string> actionNames{std::istream_iterator<std::string>(list), {}};
  ASSERT_EQ(actionNames.size(), static_cast<std::size_t>(EditorAction::Count));
  // "only ..." or "all but ...", whichever is shorter, names in the order of the actions.
  const auto describe = [&actionNames](const ActionStates& states) {
    const auto on = static_cast<std::size_t>(std::count(states.begin(), states.end(), true));
    const bool few = on * 2 < states.size();
    std::string text = few ? "only" : "all but";
    for (std::size_t i = 0; i < states.size(); ++i)
      if (states[i] == few) text += " " + actionNames[i];
    return text;
  };
  std::map<std::string, std::string> seen;
  const std::string lib = folder.Write("lib.tws", "sub hello()\nprint \"in\"\nendsub\n");
  EditorPage& page = Open("main.tws", "include \"lib.tws\"\nhello()\nprint \"back\"\n");
  bool other = false;
  core.OtherRunActive = [&] { return other; };
  core.CancelOtherRun = [] {};
  seen["idle"] = describe(core.EnabledActions(false));
  other = true;
  seen["idle, a program run going"] = describe(core.EnabledActions(false));
  other = false;
  view.OnPageOpened = [&](EditorPage&) {
    seen["stepping into a sub whose file opens"] = describe(core.EnabledActions(false));
  };
  view.OnPause = [&](int n) {
    if (n == 1) {
      seen["paused, debugger hidden"] = describe(core.EnabledActions(false));
      seen["paused, debugger shown"] = describe(core.EnabledActions(true));
    }
    core.Step();
  };
  core.Step();
  ASSERT_NE(core.PageOfFile(lib), nullptr);
  EXPECT_EQ(core.ActivePage(), &page);
  seen["after the run"] = describe(core.EnabledActions(false));

  const std::string paused = "only Copy Step Continue Cancel AddBreakPoint RemoveBreakPoint ShowDebugger";
  EXPECT_EQ(seen, (std::map<std::string, std::string>{
                      {"idle", "all but Cancel AddWatchAtCursor TestRunCompiled"},
                      {"idle, a program run going", "all but AddWatchAtCursor TestRunCompiled"},
                      {"paused, debugger hidden", paused},
                      {"paused, debugger shown", paused + " AddWatchAtCursor"},
                      {"stepping into a sub whose file opens",
                       "only Copy Continue Cancel AddBreakPoint RemoveBreakPoint ShowDebugger"},
                      {"after the run", "all but Cancel AddWatchAtCursor TestRunCompiled"},
                  }));
}

}  // namespace
}  // namespace tw::editor
