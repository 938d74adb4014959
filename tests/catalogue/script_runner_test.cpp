// The run path on the fake desktop: what a header makes it start, wait for and close, its failures, Cancel,
// the hotkeys around every run, one run at a time; and what starts runs: hotkeys, other programs' requests
// and the quick-access menu.

#include "catalogue/script_runner.h"

#include "catalogue/hotkey_dispatch.h"
#include "catalogue/quick_access.h"
#include "catalogue/run_requests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "files/system_folders.h"
#include "interpreter/scratch_folder.h"
#include "port/fake/fake_desktop.h"
#include "port/fake/fake_hotkeys.h"
#include "support/recording_host.h"

namespace tw {
namespace {

using port::fake::StartRequest;

class RunPath : public test::ScratchFolderTest {
 public:  // the cases below set the fixture up through a reference
  struct Hooks : RunHooks {
    std::vector<std::string> errors;
    int begins = 0, ends = 0;
    void RunError(const std::string& text) override { errors.push_back(text); }
    void RunBegins() override { ++begins; }
    void RunEnds() override { ++ends; }
  };

  void SetUp() override {
    ScratchFolderTest::SetUp();
    hotkeys_.AddHotKey("Ctrl+Alt+T");
    hotkeys_.SetActive(true);
    runner_.SetWindowWait({121, std::chrono::milliseconds(1)});
    runner_.OnScriptEnd = [this](const std::string&, RunOutcome outcome) { outcomes_.push_back(outcome); };
    host_.OnPump = [this] {
      hotkeysDuringRun_.push_back(hotkeys_.Active());
      if (onPump_) onPump_();
    };
  }

  std::string Script(const std::string& header, const std::string& body = "send \"o\"\n") {
    Write("job.tws", header + "#description: job\n" + body);
    return At("job.tws");
  }
  port::fake::FakeWindows& Windows() { return desktop_.fakeWindows(); }
  // The title of the window the script typed into: the one activated before the first key; "" for none.
  std::string TypedInto() const {
    std::string activated;
    for (const std::string& line : desktop_.log()) {
      if (line.starts_with("activate ")) activated = line.substr(9);
      if (line.starts_with("type ")) return activated;
    }
    return "";
  }
  std::string Closed() const {
    for (const std::string& line : desktop_.log())
      if (line.starts_with("close ")) return line.substr(6);
    return "";
  }
  // The hotkeys were off at every moment of the run and are on again now.
  void ExpectHotKeysOffOnlyDuringTheRun() {
    EXPECT_TRUE(std::none_of(hotkeysDuringRun_.begin(), hotkeysDuringRun_.end(), [](bool on) { return on; }));
    EXPECT_TRUE(hotkeys_.Active());
    EXPECT_EQ(keys_.grabbed().size(), 1u);
  }

  port::fake::FakeDesktop desktop_;
  port::fake::FakeHotKeys keys_;
  TSysHotKey hotkeys_{&keys_};
  test::RecordingHost host_;
  Hooks hooks_;
  std::vector<std::function<void()>> later_;
  ScriptRunner runner_{host_, desktop_, hotkeys_, hooks_, [this](std::function<void()> f) { later_.push_back(std::move(f)); }};
  std::vector<bool> hotkeysDuringRun_;
  std::vector<RunOutcome> outcomes_;
  std::function<void()> onPump_;
  int listedBefore_ = 0;
};

TEST_F(RunPath, TheHeaderDecidesWhatIsStartedWaitedForTypedIntoAndClosed) {
  struct Case {
    const char* name;
    const char* header;
    std::function<void(RunPath&)> setUp;
    std::optional<StartRequest> started;
    int searches;  // listings of the windows
    const char* typedInto;
    const char* closed;
    const char* error;
  };
  const Case cases[] = {
      {"no command: the tray's window, never closed", "#autoclose: y\n#title: Editor\n",
       [](RunPath& t) { t.runner_.SetTargetWindow(t.Windows().add({.title = "Notes"})); }, std::nullopt, 0, "Notes",
       "", ""},
      {"command with its window open: nothing started, closed after",
       "#command: xterm -T Editor\n#title: editor\n#autoclose: y\n",
       [](RunPath& t) {
         t.Windows().add({.title = "Editor - notes"});
         t.Windows().add({.title = "My Editor"});
       },
       std::nullopt, 1, "Editor - notes", "Editor - notes", ""},
      {"window after 3 s: started in its folder, found at the fourth look after the start",
       "#command:  xterm -T \"My Editor\" \n#path: /work/here \n#title: My Editor\n#autoclose: n\n",
       [](RunPath& t) {
         t.onPump_ = [&t] {
           if (t.Windows().listings() == 4 + t.listedBefore_) t.Windows().add({.title = "My Editor"});
         };
       },
       StartRequest{"xterm", {"-T", "My Editor"}, "/work/here"}, 5, "My Editor", "", ""},
      {"a window that never comes: 121 looks after the start, then the run without a target",
       "#command: xterm\n#title: Never\n#autoclose: y\n", [](RunPath&) {}, StartRequest{"xterm", {}, ""}, 122, "", "",
       ""},
      {"no title to wait for: started, run at once", "#command: xterm\n#autoclose: y\n", [](RunPath&) {},
       StartRequest{"xterm", {}, ""}, 0, "", "", ""},
      {"a command that cannot start: the script does not run", "#command: nosuch -x\n#title: Nosuch\n",
       [](RunPath& t) { t.desktop_.fakeProcesses().markMissing("nosuch"); }, StartRequest{"nosuch", {"-x"}, ""}, 1, "",
       "", "Cannot find the file \"nosuch -x\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (port::WindowId window : Windows().topLevelWindows()) Windows().remove(window);
    desktop_.clearLog();
    onPump_ = nullptr;
    hooks_.errors.clear();
    hotkeysDuringRun_.clear();
    runner_.SetTargetWindow(port::kNoWindow);
    c.setUp(*this);
    const int listedBefore = listedBefore_ = Windows().listings();
    const std::size_t startedBefore = desktop_.fakeProcesses().starts().size();
    const bool ran = runner_.RunScriptFile(Script(c.header));
    EXPECT_EQ(ran, std::string(c.error).empty());
    EXPECT_EQ(Windows().listings() - listedBefore, c.searches);
    const auto& starts = desktop_.fakeProcesses().starts();
    if (c.started) {
      ASSERT_EQ(starts.size(), startedBefore + 1);
      EXPECT_EQ(starts.back(), *c.started);
    } else {
      EXPECT_EQ(starts.size(), startedBefore);
    }
    EXPECT_EQ(TypedInto(), c.typedInto);
    EXPECT_EQ(Closed(), c.closed);
    EXPECT_EQ(hooks_.errors, std::string(c.error).empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
    ExpectHotKeysOffOnlyDuringTheRun();
    EXPECT_FALSE(runner_.Active());
  }
  EXPECT_EQ(hooks_.begins, 6);
  EXPECT_EQ(hooks_.ends, 6);
}

TEST_F(RunPath, AMissingScriptIsReportedAndNothingElseHappens) {
  EXPECT_FALSE(runner_.RunScriptFile(At("missing.tws")));
  EXPECT_EQ(hooks_.errors, std::vector<std::string>{"Cannot Find Script File: " + At("missing.tws") + "!"});
  EXPECT_EQ(hooks_.begins, 0);
  EXPECT_TRUE(hotkeys_.Active());
  EXPECT_TRUE(desktop_.log().empty());
}

TEST_F(RunPath, GetParamSeesTheProgramAndTheScriptNotTheProgramsOwnArguments) {
  desktop_.fakeSystemInfo().arguments = {"/opt/tw/tarnwick", "SCHEDULE"};
  const std::string script = Script("", "x = savetofile(getparam(0) + \"|\" + getparam(1) + \"|\" + getparam(2), \"" +
                                            At("params.txt") + "\")\n");
  ASSERT_TRUE(runner_.RunScriptFile(script));
  EXPECT_EQ(Read("params.txt"), "/opt/tw/tarnwick|" + script + "|\r\n");
}

TEST_F(RunPath, CancelDuringTheWaitEndsItAndTheScriptDoesNotRun) {
  onPump_ = [this] {
    if (Windows().listings() == 3) runner_.Cancel();
  };
  EXPECT_FALSE(runner_.RunScriptFile(Script("#command: xterm\n#title: Never\n")));
  EXPECT_EQ(Windows().listings(), 3);
  EXPECT_EQ(TypedInto(), "");
  EXPECT_TRUE(outcomes_.empty()) << "the script never started";
  ExpectHotKeysOffOnlyDuringTheRun();
  // The next run is not cancelled by it.
  Windows().add({.title = "Never"});
  EXPECT_TRUE(runner_.RunScriptFile(Script("#command: xterm\n#title: Never\n#autoclose: n\n")));
  EXPECT_EQ(TypedInto(), "Never");
  EXPECT_EQ(outcomes_, std::vector<RunOutcome>{RunOutcome::Finished});
}

TEST_F(RunPath, ARunStoppedOrEndedByAnErrorIsCancelledAndTheHotKeysComeBack) {
  onPump_ = [this] { runner_.Cancel(); };
  EXPECT_TRUE(runner_.RunScriptFile(Script("", "pause 60\nx = savetofile(\"on\", \"went-on.txt\")\n")));
  EXPECT_FALSE(Exists("went-on.txt"));
  onPump_ = nullptr;
  EXPECT_TRUE(runner_.RunScriptFile(Script("", "goto nowhere\nx = savetofile(\"on\", \"went-on.txt\")\n")));
  EXPECT_FALSE(Exists("went-on.txt"));
  EXPECT_EQ(host_.ScriptErrors.size(), 1u);
  EXPECT_TRUE(runner_.RunScriptFile(Script("", "x = 1\n")));
  EXPECT_EQ(outcomes_, (std::vector<RunOutcome>{RunOutcome::Cancelled, RunOutcome::Cancelled, RunOutcome::Finished}));
  ExpectHotKeysOffOnlyDuringTheRun();
}

TEST_F(RunPath, OneRunAtATimeAndWhoWaitsIsCalledAfterIt) {
  std::vector<std::string> events;
  Write("other.tws", "#description: other\nx = 1\n");
  runner_.OnScriptStart = [&](const std::string&) {
    if (!events.empty()) return;
    events.push_back(runner_.Active() ? "active" : "idle");
    events.push_back(runner_.RunScriptFile(At("other.tws")) ? "second ran" : "second refused");
    runner_.WhenIdle([&] { events.push_back("idle again"); });
  };
  EXPECT_TRUE(runner_.RunScriptFile(Script("", "x = 1\n")));
  EXPECT_EQ(events, (std::vector<std::string>{"active", "second refused"}));
  ASSERT_EQ(later_.size(), 1u);
  later_.front()();
  EXPECT_EQ(events.back(), "idle again");
  // Asked while nothing runs: called soon all the same, through the event loop.
  runner_.WhenIdle([&] { events.push_back("at once"); });
  ASSERT_EQ(later_.size(), 2u);
  later_.back()();
  EXPECT_EQ(events.back(), "at once");
}

// Hotkey presses, requests from other programs and the quick-access menu, on a catalogue of real folders.
class Triggers : public RunPath {
 public:
  struct SilentUser : CatalogueUser {
    void Warning(const std::string&) override {}
    void Error(const std::string& text) override { errors.push_back(text); }
    bool Confirm(const std::string&) override { return false; }
    std::optional<std::string> Input(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::vector<std::string> errors;
  };

  void SetUp() override {
    RunPath::SetUp();
    runner_.OnScriptStart = [this](const std::string& file) { started_.push_back(std::string(NamePart(file))); };
  }
  void Put(const std::string& path, const std::string& header) {
    std::filesystem::create_directories(std::filesystem::path(At("Scripts/" + path)).parent_path());
    Write(At("Scripts/" + path), header + "x = 1\n");
  }
  void Open() {
    catalogue_.SetScriptPath(At("Scripts/"));
    catalogue_.RebuildFolderTree();
  }
  // Runs what the runner left for the event loop, as the program's loop would.
  void RunLater() {
    while (!later_.empty()) {
      auto next = std::move(later_.front());
      later_.erase(later_.begin());
      next();
    }
  }

  SilentUser user_;
  Catalogue catalogue_{user_, At("Scripts/")};
  std::vector<std::string> started_;
};

TEST_F(Triggers, AHotKeyRunsEveryScriptOfItsCombinationInFolderOrderAfterTheModifiersAreUp) {
  Put("b.tws", "#description: b\n#hotkey: Ctrl+Alt+J\n");
  Put("A/a.tws", "#description: a\n#hotkey: alt+ctrl+j\n");
  Put("A/bad.tws", "#description: bad\n#hotkey: Ctrl+Alt+J\n#runmode: often\n");
  Put("A/c.tws", "#description: c\n#hotkey: Ctrl+Alt+J\n");
  Put("A/other.tws", "#description: other\n#hotkey: Ctrl+Alt+K\n");
  Put("A/nameless.tws", "#hotkey: Ctrl+Alt+J\n");
  Open();
  hotkeys_.Clear();
  const int j = hotkeys_.AddHotKey("Ctrl+Alt+J");
  ASSERT_TRUE(hotkeys_.Entry(j).registered);
  keys_.holdModifiersFor(3);
  std::vector<bool> keysOnAtStart;
  runner_.OnScriptStart = [&](const std::string& file) {
    started_.push_back(std::string(NamePart(file)));
    keysOnAtStart.push_back(hotkeys_.Active());
    // A press meanwhile goes to the focused program.
    keys_.press({port::kControlModifier | port::kAltModifier, 'j'});
  };
  hotkeys_.OnHotKey = [&](int index) { DispatchHotKey(catalogue_, hotkeys_, runner_, index); };

  keys_.press({port::kControlModifier | port::kAltModifier, 'j'});
  hotkeys_.ServeEvents();
  EXPECT_EQ(started_, (std::vector<std::string>{"b.tws", "a.tws", "c.tws"}));
  EXPECT_FALSE(keys_.modifiersHeld()) << "the dispatch waited until they were up";
  EXPECT_EQ(keysOnAtStart, (std::vector<bool>{false, false, false}));
  EXPECT_EQ(keys_.passedOn().size(), 3u);
  EXPECT_TRUE(hotkeys_.Active());
  hotkeys_.ServeEvents();
  EXPECT_EQ(started_.size(), 3u);
}

TEST_F(Triggers, RequestsFromOtherProgramsQueueAndRunInTheOrderTheyCame) {
  Put("in-path.tws", "#description: in path\n");
  Put("A/first.tws", "#description: first\n");
  Put("A/second.tws", "#description: second\n");
  RunRequests requests(runner_, [this] { return At("Scripts/"); });
  bool editorOpen = false;
  requests.EditorOpen = [&] { return editorOpen; };

  // Two at once, then one while the first runs: all three, one after the other.
  requests.Receive(At("Scripts/A/first.tws"));
  requests.Receive(At("Scripts/A/second.tws"));
  runner_.OnScriptStart = [&](const std::string& file) {
    started_.push_back(std::string(NamePart(file)));
    if (started_.size() == 1) requests.Receive("/elsewhere/in-path.tws");
  };
  RunLater();
  EXPECT_EQ(started_, (std::vector<std::string>{"first.tws", "second.tws", "in-path.tws"}));

  requests.Receive("missing.tws");
  requests.Receive("   ");
  editorOpen = true;
  requests.Receive(At("Scripts/A/first.tws"));
  RunLater();
  EXPECT_EQ(started_.size(), 3u);
  EXPECT_TRUE(hooks_.errors.empty()) << "a missing file is passed over without a word";
  EXPECT_EQ(requests.Waiting(), 0u);
}

TEST_F(Triggers, WhileRunsAreHeldNothingStartsNotEvenARequestQueuedBefore) {
  Put("a.tws", "#description: a\n");
  RunRequests requests(runner_, [this] { return At("Scripts/"); });
  bool held = false;
  runner_.Held = [&] { return held; };
  requests.Receive(At("Scripts/a.tws"));  // queued for the event loop
  held = true;
  RunLater();
  EXPECT_FALSE(runner_.RunScriptFile(At("Scripts/a.tws")));
  EXPECT_TRUE(started_.empty());
  EXPECT_EQ(hooks_.begins, 0);
  EXPECT_TRUE(hooks_.errors.empty());
  EXPECT_TRUE(hotkeys_.Active()) << "a refused run leaves the hotkeys alone";
  held = false;
  EXPECT_TRUE(runner_.RunScriptFile(At("Scripts/a.tws")));
  EXPECT_EQ(started_, std::vector<std::string>{"a.tws"});
}

TEST_F(Triggers, TheQuickAccessMenuHasEveryFolderWithItsOwnScriptsAndRebuildsTheHotKeys) {
  Put("z.tws", "#description: Zed\n#hotkey: Ctrl+Alt+Z\n");
  Put("a.tws", "#description: Ay\n");
  Put("Office/letter.tws", "#description: Letter\n#hotkey: Ctrl+Alt+L\n");
  Put("Office/Archive/Office/old.tws", "#description: Old letter\n#hotkey: Ctrl+Alt+Z\n");
  Put("Empty/readme.txt", "");
  Open();
  hotkeys_.AddHotKey("Ctrl+Alt+Q");  // from an earlier build: gone after the rebuild
  const std::vector<QuickAccessFolder> menu = RebuildQuickAccess(catalogue_, hotkeys_);
  std::vector<std::string> shown;
  for (const QuickAccessFolder& folder : menu) {
    shown.push_back(folder.caption + ":");
    for (const ScriptItem& script : folder.scripts) shown.push_back("  " + script.description);
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"Scripts:", "  Ay", "  Zed", "Empty:", "Office:", "  Letter",
                                             "Office/Archive:", "Office/Archive/Office:", "  Old letter"}));
  EXPECT_EQ(hotkeys_.Count(), 2);
  EXPECT_TRUE(hotkeys_.Active());
  EXPECT_EQ(keys_.grabbed().size(), 2u);
}

}  // namespace
}  // namespace tw
