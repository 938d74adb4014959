// The commands and functions of the library's own group, on the fake desktop and with real programs.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "commands/calendar.h"
#include "commands/library_support.h"
#include "commands/program_line.h"
#include "interpreter/locale/datetime.h"
#include "port/desktop.h"
#include "support/script_cases.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using port::fake::ActionLog;
using port::fake::FakeDesktop;
using test::ErrorAt;
using test::RecordingHost;
using test::RunOnFakeDesktop;

TEST(SystemCommands, BeepKindsAndTheirSounds) {
  RecordingHost host;
  FakeDesktop desktop;
  auto run = RunOnFakeDesktop("beep 0\nbeep 1\nbeep 2\nbeep 3\nbeep 4\nbeep 5\nbeep 6", desktop, host);
  EXPECT_EQ(desktop.log(), (ActionLog{"beep Default", "beep Default", "beep Information", "beep Exclamation",
                                      "beep Error", "beep Question"}));
  EXPECT_EQ(run.Errors, (std::vector<std::string>{ErrorAt("Invalid Beep Value", 7)}));
}

TEST(SystemCommands, SysCmdActsOnTheTargetWindowByWord) {
  struct Case {
    const char* script;
    ActionLog log;
    const char* error;
  };
  const Case cases[] = {
      {"syscmd closeall", {"activate Editor", "close Editor"}, ""},
      {"syscmd \"close\"", {}, ""},
      {"syscmd Minimize_it", {"activate Editor", "minimise Editor"}, ""},
      {"syscmd maximize", {"activate Editor", "maximise Editor"}, ""},
      {"syscmd restore", {"activate Editor", "restore Editor"}, ""},
      {"syscmd reboot", {"session reboot"}, ""},
      {"syscmd shutdown", {"session poweroff"}, ""},
      {"syscmd sideways", {}, "Invalid Value"},
  };
  for (const Case& c : cases) {
    RecordingHost host;
    FakeDesktop desktop;
    auto window = desktop.fakeWindows().add({.title = "Editor"});
    desktop.clearLog();
    auto run = RunOnFakeDesktop(c.script, desktop, host, false, window);
    EXPECT_EQ(desktop.log(), c.log) << c.script;
    if (*c.error)
      EXPECT_EQ(run.Errors, (std::vector<std::string>{ErrorAt(c.error, 1)})) << c.script;
    else
      EXPECT_TRUE(run.Errors.empty()) << c.script;
  }
  RecordingHost host;
  FakeDesktop desktop;
  auto run = RunOnFakeDesktop("syscmd close", desktop, host);  // no target window: nothing happens
  EXPECT_TRUE(desktop.log().empty());
}

TEST(SystemCommands, ExecuteSplitsItsCommandLine) {
  EXPECT_EQ(SplitProgramLine("prog c:\\a.txt", "").Program, "prog");
  EXPECT_EQ(SplitProgramLine("prog c:\\a.txt", "").Parameters, "c:\\a.txt");
  EXPECT_EQ(SplitProgramLine("prog;-a;-b", "").Parameters, "-a -b");
  EXPECT_EQ(SplitProgramLine(" prog two words ", "x").Program, "prog two words");
  EXPECT_EQ(SplitArguments("-a \"two words\" -b"), (std::vector<std::string>{"-a", "two words", "-b"}));
}

class RealPrograms : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tw-exec-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    record_ = (dir_ / "argv").string();
    ::setenv("TW_ARGV_RECORD", record_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("TW_ARGV_RECORD");
    fs::remove_all(dir_);
  }
  std::vector<std::string> RecordedArguments() {
    for (int i = 0; i < 200 && !fs::exists(record_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(record_, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    for (std::size_t at = 0; at < data.size();) {
      std::size_t end = data.find('\0', at);
      arguments.push_back(data.substr(at, end - at));
      at = end + 1;
    }
    if (!arguments.empty()) arguments.erase(arguments.begin());  // the program's own path
    fs::remove(record_);
    return arguments;
  }
  fs::path dir_;
  std::string record_;
};

TEST_F(RealPrograms, ExecuteStartsAProgramWithItsArguments) {
  std::unique_ptr<port::Desktop> desktop = port::openDesktop();
  RecordingHost host;
  VariableTable globals;
  TTarnwickBasic library(host, *desktop);
  library.SetGlobals(&globals);
  const std::string program = TW_ARGV_RECORDER;
  library.SetScriptText("execute \"" + program + " c:\\a.txt\"\nexecute \"" + program + ";-a;-b\"\nprint _error\n"
                        "execute \"/no/such/program\"\nprint _error",
                        "test.tws");
  ::unsetenv("TW_ARGV_RECORD");
  ::setenv("TW_ARGV_RECORD", record_.c_str(), 1);
  // Run the lines one at a time so that each program's record is read before the next starts.
  library.SetScriptText("execute \"" + program + " c:\\a.txt\"", "test.tws");
  library.Run(0);
  EXPECT_EQ(RecordedArguments(), (std::vector<std::string>{"c:\\a.txt"}));
  library.SetScriptText("execute \"" + program + ";-a;-b\"\nprint _error", "test.tws");
  library.Run(0);
  EXPECT_EQ(RecordedArguments(), (std::vector<std::string>{"-a", "-b"}));
  library.SetScriptText("execute \"/no/such/program\"\nprint _error", "test.tws");
  library.Run(0);
  EXPECT_EQ(host.Prints, (std::vector<std::string>{"0", "1"}));
  EXPECT_TRUE(host.ScriptErrors.empty());
}

TEST_F(RealPrograms, CallSharesGlobalsAndAnEndStopsTheCaller) {
  const std::string called = (dir_ / "called.tws").string();
  const std::string ender = (dir_ / "ender.tws").string();
  std::ofstream(called) << "g = g + 1\nprint \"in called \" + g\n";
  std::ofstream(ender) << "print \"ending\"\nend\n";
  RecordingHost host;
  FakeDesktop desktop;
  auto run = RunOnFakeDesktop("global g\ng = 1\ncall \"" + called + "\"\nprint g\ncall \"" + ender +
                                  "\"\nprint \"never\"",
                              desktop, host);
  EXPECT_EQ(run.Output, "in called 2\n2\nending\n");
  EXPECT_TRUE(run.Errors.empty());
  RecordingHost missing;
  auto failed = RunOnFakeDesktop("call \"x.tws\"\nprint 1", desktop, missing);
  EXPECT_EQ(failed.Errors, (std::vector<std::string>{ErrorAt("Cannot Call Script: x.tws, script terminated!", 1)}));
  EXPECT_EQ(failed.Output, "");
}

TEST_F(RealPrograms, AScriptThatCallsItselfEndsWithAnErrorAtTheCallLimit) {
  const std::string self = (dir_ / "self.tws").string();
  std::ofstream(self) << "global depth\ndepth = depth + 1\ncall \"" << self << "\"\n";
  RecordingHost host;
  FakeDesktop desktop;
  VariableTable globals;
  auto run = RunOnFakeDesktop("call \"" + self + "\"\nprint \"never\"", desktop, host, false, port::kNoWindow,
                              &globals);
  EXPECT_EQ(run.Errors,
            (std::vector<std::string>{"[" + self + "] Error: Maximum Call Level of 50 has been Reached on line: 3"}));
  EXPECT_EQ(run.Output, "");
  ASSERT_NE(globals.Find("depth"), nullptr);
  EXPECT_EQ(globals.Find("depth")->Value.ToText(), "50");
}

TEST(SystemFunctions, MonthBoundariesCountLeapYears) {
  Locale locale;
  auto day = [](int y, int m, int d) { return encodeDateTime({y, m, d, 0, 0, 0, 0}); };
  EXPECT_EQ(MonthBoundary(day(2000, 2, 14), true, 4, locale), "02/29/2000");
  EXPECT_EQ(MonthBoundary(day(1900, 2, 14), true, 4, locale), "02/28/1900");
  EXPECT_EQ(MonthBoundary(day(2000, 2, 14), false, 2, locale), "02/01/00");
  EXPECT_EQ(MonthBoundary(day(2024, 12, 31), true, 2, locale), "12/31/24");
  EXPECT_EQ(MonthBoundary(day(2000, 2, 14), true, 3, locale), std::nullopt);
  locale.dateSeparator = '.';
  EXPECT_EQ(MonthBoundary(day(2000, 2, 14), true, 4, locale), "02.29.2000");
}

TEST(SystemFunctions, SmallFunctionsAndTheirDefaults) {
  RecordingHost host;
  FakeDesktop desktop;
  desktop.fakeSystemInfo().arguments = {"/usr/bin/brindle", "job.tws"};
  desktop.fakeMedia().markUnplayable("bad.wav");
  auto run = RunOnFakeDesktop(
      "print ostype()\nprint isnum(\"2.5\"); isnum(\"two\")\nprint getparam(1); \"|\"; getparam(5)\n"
      "print playmedia(\"good.wav\"); playmedia(\"bad.wav\")\nprint explore(\"/tmp\")\nprint feedback()\n"
      "print dayofweek(\"12/25/2026\")\nx = bom(3)",
      desktop, host);
  EXPECT_EQ(run.Output, "0\n10\njob.tws|\n10\n1\n1\n6\n");
  EXPECT_EQ(run.Errors, (std::vector<std::string>{ErrorAt("Invalid Value", 8)}));
}

TEST(SystemFunctions, SyntaxCheckTouchesNothingAndReturnsDefaults) {
  RecordingHost host;
  FakeDesktop desktop;
  auto window = desktop.fakeWindows().add({.title = "Editor"});
  desktop.clearLog();
  auto run = RunOnFakeDesktop(
      "syscmd close\nbeep 6\nexecute \"prog\"\ncapslock 1\nprompt \"hi\", 3\npause 100\nx = playmedia(\"a.wav\")\n"
      "y = explore(\"/\")\nz = isnum(\"1\")\nw = eom()\nsyscmd shutdown",
      desktop, host, true, window);
  EXPECT_TRUE(run.Errors.empty()) << run.Errors[0];
  EXPECT_TRUE(desktop.log().empty()) << desktop.log()[0];
  EXPECT_TRUE(host.TimedPrompts.empty());
}

TEST(SystemCommands, PromptPauseAndLockKeys) {
  RecordingHost host;
  FakeDesktop desktop;
  host.TimedPromptAnswers = {true, false};
  auto run = RunOnFakeDesktop(
      "capslock 1\nnumlock 1\nnumlock 0\nprompt \"Go on?\", 2\nprint feedback()\n_endoncancel = 0\n"
      "prompt \"Again?\"\nprint feedback()\npause 0.06\noutput(2)\nprompt \"console\", 0\nprint \"done\"",
      desktop, host);
  EXPECT_EQ(host.TimedPrompts, (std::vector<std::string>{"Go on?|2", "Again?|5"}));
  EXPECT_EQ(host.Prints, (std::vector<std::string>{"1", "0"}));
  EXPECT_EQ(host.ConsoleLines, (std::vector<std::string>{"console - 0 sec(s)", "done"}));
  EXPECT_EQ(desktop.log(), (ActionLog{"toggle CapsLock on", "toggle NumLock on", "toggle NumLock off"}));
  // pause keeps the host's events running with the program's windows disabled, then enables them.
  EXPECT_GE(host.Pumps, 2);
  ASSERT_GE(host.WindowsEnabled.size(), 2u);
  EXPECT_EQ(host.WindowsEnabled[0], false);
  EXPECT_EQ(host.WindowsEnabled[1], true);
  EXPECT_TRUE(run.Errors.empty());
}

TEST(SystemCommands, AStopRequestEndsAPause) {
  RecordingHost host;
  FakeDesktop desktop;
  TTarnwickBasic library(host, desktop);
  host.OnPump = [&] {
    if (host.Pumps == 3) library.StopScript();
  };
  library.SetScriptText("pause 600\nprint \"not reached\"", "test.tws");
  const auto start = std::chrono::steady_clock::now();
  library.Run(0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(300));
  EXPECT_TRUE(host.Prints.empty());
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST(SystemCommands, ARunSwitchesCapsLockOffAndNeedsADisplayOnlyForDesktopCommands) {
  test::RecordingHost host;
  port::fake::FakeDesktop desktop;
  desktop.fakeToggleKeys().set(port::ToggleKey::CapsLock, true);
  desktop.clearLog();
  test::RunOnFakeDesktop("x = 1", desktop, host);
  EXPECT_EQ(desktop.log(), (port::fake::ActionLog{"toggle CapsLock off"}));
  test::RecordingHost headless;
  port::fake::FakeDesktop noDisplay;
  noDisplay.removeDisplay("DISPLAY is not set");
  auto run = test::RunOnFakeDesktop("print isnum(\"1\")\nbeep 1\nprint \"not reached\"", noDisplay, headless);
  EXPECT_EQ(run.Output, "1\n");
  EXPECT_EQ(run.Errors, (std::vector<std::string>{test::ErrorAt("no display: DISPLAY is not set", 2)}));
}

}  // namespace
}  // namespace tw
