// findfiles, findget, findafile, waitforfile and waitfilelock on real files in a scratch folder.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "commands/library_support.h"
#include "interpreter/scratch_folder.h"
#include "port/system/exclusive_open_probe.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using port::fake::FakeDesktop;
using test::ErrorAt;
using test::RecordingHost;
using test::RunOnFakeDesktop;
using Clock = std::chrono::steady_clock;

class FileFunctions : public test::ScratchFolderTest {
 protected:
  // dir/ holds a.txt, ab.txt, README, .hidden and the folder sub.
  void SetUp() override {
    ScratchFolderTest::SetUp();
    std::filesystem::create_directories("dir/sub");
    for (const char* name : {"dir/a.txt", "dir/ab.txt", "dir/README", "dir/.hidden"}) Write(name, "x");
  }

  std::string Run(std::string_view script) {
    RecordingHost host;
    const auto run = RunOnFakeDesktop(script, desktop_, host);
    errors_ = run.Errors;
    return run.Output;
  }

  static std::string LsOrder(const std::string& folder) {
    std::string names;
    std::FILE* ls = ::popen(("LC_ALL=C ls -a " + folder).c_str(), "r");
    for (int c; (c = std::fgetc(ls)) != EOF;) names.push_back(c == '\n' ? ' ' : static_cast<char>(c));
    ::pclose(ls);
    return names;
  }

  FakeDesktop desktop_;
  std::vector<std::string> errors_;
};

TEST_F(FileFunctions, MasksListTheFolderInByteOrderWithDotAndDotDotFirst) {
  const std::string listing = "n = findfiles(MASK)\ns = \"\"\nfor i = 1 to n\ns = s + findget(i) + \" \"\nendfor\nprint s; n\n";
  const auto listed = [&](const std::string& mask) {
    std::string script = listing;
    script.replace(script.find("MASK"), 4, "\"" + mask + "\"");
    return Run(script);
  };
  EXPECT_EQ(listed("dir/*"), LsOrder("dir") + "7\n");
  EXPECT_EQ(listed("dir/*"), ". .. .hidden README a.txt ab.txt sub 7\n");
  EXPECT_EQ(listed("dir/*.*"), ". .. .hidden README a.txt ab.txt sub 7\n");  // also names without a dot
  EXPECT_EQ(listed("dir/?.txt"), "a.txt 1\n");
  EXPECT_EQ(listed("dir/a*.txt"), "a.txt ab.txt 2\n");
  EXPECT_EQ(listed(Folder() + "/dir/.*"), ". .. .hidden 3\n");
  EXPECT_EQ(listed("dir/s?b"), "sub 1\n");  // folders too
  EXPECT_TRUE(errors_.empty());

  // Searches that find nothing answer 0 and leave the names of the last one that found something.
  EXPECT_EQ(Run("print findfiles(\"dir/a*\"); findfiles(\"dir/*.TXT\"); findfiles(\"missing/*\"); "
                "findfiles(\"dir/\"); findfiles(\"\"); findget(2)"),
            "20000ab.txt\n");
  // findafile leaves the found names alone.
  EXPECT_EQ(Run("x = findfiles(\"dir/R*\")\nprint findafile(\"dir/a*\"); \"|\"; findafile(\"dir/*.TXT\"); \"|\"; findget(1)"),
            "a.txt||README\n");
  EXPECT_EQ(Run("print findget(0); \"|\"; findget(3); \"|\"; findget(-1)"), "||\n");

  // In the current folder when the mask names none.
  EXPECT_EQ(Run("print findfiles(\"d*\"); findget(1); findafile(\"?ir\")"), "1dirdir\n");
}

TEST_F(FileFunctions, FoundNamesLastFromRunToRunAndEachCallHasItsOwn) {
  RecordingHost host;
  TTarnwickBasic library(host, desktop_);
  VariableTable globals;
  library.SetGlobals(&globals);
  const auto run = [&](std::string_view text) {
    host.Prints.clear();
    library.SetScriptText(text, "test.tws");
    library.Run(0);
    return host.Output();
  };
  EXPECT_EQ(run("print findget(1)"), "\n");
  EXPECT_EQ(run("x = findfiles(\"dir/ab*\")"), "");
  EXPECT_EQ(run("print findget(1)"), "ab.txt\n");
  EXPECT_EQ(run("inner()\nprint findget(1)\nend\n"
                "sub inner()\nprint findget(1);\"|\";findfiles(\"dir/R*\");findget(1)\nendsub\n"),
            "|1README\nab.txt\n");
  EXPECT_TRUE(host.ScriptErrors.empty());
}

TEST_F(FileFunctions, CheckModeAndArgumentsThatAreNoNumbers) {
  RecordingHost checking;
  EXPECT_TRUE(RunOnFakeDesktop("x = findfiles(\"dir/*\")\ny = findget(1)\nz = waitforfile(\"none\", 3)\n"
                               "w = waitfilelock(\"dir/a.txt\", 3)",
                               desktop_, checking, true)
                  .Errors.empty());
  EXPECT_EQ(checking.Pumps, 0);
  for (const char* script : {"x = findget(\"first\")", "x = waitforfile(\"dir/a.txt\", \"five\")",
                             "x = waitfilelock(\"dir/a.txt\", \"5s\")"}) {
    Run(script);
    EXPECT_EQ(errors_, std::vector<std::string>{ErrorAt("Syntax Error", 1)}) << script;
  }
}

TEST_F(FileFunctions, WaitForFileChecksOncePerSecondWithTheWindowsEnabled) {
  RecordingHost host;
  const auto start = Clock::now();
  // The file appears 2.5 seconds in: the checks at 0, 1 and 2 seconds miss it, the fourth finds it.
  host.OnPump = [&] {
    if (Clock::now() - start >= std::chrono::milliseconds(2500) && !Exists("late.txt")) Write("late.txt", "");
  };
  EXPECT_EQ(RunOnFakeDesktop("print waitforfile(\"late.txt\"); waitforfile(\"dir\", 0); waitforfile(\"dir/a.txt\", 0)",
                             desktop_, host)
                .Output,
            "101\n");
  EXPECT_GE(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_TRUE(host.WindowsEnabled.empty()) << "the program's windows were disabled";

  // Never there: six checks, the last five seconds after the first. A folder is no file.
  RecordingHost never;
  const auto again = Clock::now();
  EXPECT_EQ(RunOnFakeDesktop("print waitforfile(\"dir/sub\")", desktop_, never).Output, "0\n");
  EXPECT_GE(Clock::now() - again, std::chrono::seconds(5));
}

TEST_F(FileFunctions, WaitFileLockWaitsForTheLastOtherOpenToClose) {
  port::system::ExclusiveOpenProbe probe;
  desktop_.useFileUse(probe);
  EXPECT_EQ(Run("print waitfilelock(\"dir/a.txt\"); waitfilelock(\"missing\", 1)"), "10\n");

  int held = ::open("dir/a.txt", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  // Seconds 0 makes no attempt and does not wait.
  RecordingHost none;
  EXPECT_EQ(RunOnFakeDesktop("print waitfilelock(\"dir/README\", 0); waitfilelock(\"dir/a.txt\", -3)", desktop_, none)
                .Output,
            "00\n");
  EXPECT_EQ(none.Pumps, 0);

  // Let go of 1.5 seconds in: the second attempt, a second after the first, succeeds.
  RecordingHost host;
  const auto start = Clock::now();
  host.OnPump = [&] {
    if (held >= 0 && Clock::now() - start >= std::chrono::milliseconds(1500)) {
      ::close(held);
      held = -1;
    }
  };
  EXPECT_EQ(RunOnFakeDesktop("print waitfilelock(\"dir/a.txt\", 10)", desktop_, host).Output, "1\n");
  EXPECT_EQ(held, -1);
  EXPECT_TRUE(host.WindowsEnabled.empty());

  // Still open after its last attempt: 0.
  held = ::open("dir/a.txt", O_WRONLY | O_CLOEXEC);
  EXPECT_EQ(Run("print waitfilelock(\"dir/a.txt\", 1)"), "0\n");
  ::close(held);
}

}  // namespace
}  // namespace tw
