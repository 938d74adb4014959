// chdir, curdir, mkdir, rmdir, scriptdir, homedir, tempdir, getdir and getfile.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "files/system_folders.h"
#include "scratch_folder.h"
#include "support/scoped_environment.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunCases;
using test::RunScript;
using test::ScopedEnvironment;
using test::ScriptCase;

class DirectoryFunctions : public test::ScratchFolderTest {};

TEST_F(DirectoryFunctions, MakeChangeAndRemoveFolders) {
  RunCases(std::vector<ScriptCase>{
      {"mkdir",
       "print mkdir(\"a/b\")\n"      // the parent is missing
       "print mkdir(\"a/b\", 1)\n"   // with every missing parent
       "print mkdir(\"a/b\", 1)\n"   // already there: fine for mode 1
       "print mkdir(\"a\")\n"        // already there: a failure for a single folder
       "print mkdir(\"c\")\n"
       "print mkdir(\"\", 1)\n",
       "0\n1\n1\n0\n1\n0\n", ""},
      {"rmdir",
       "x = mkdir(\"d/e\", 1)\n"
       "print rmdir(\"d\")\n"        // not empty
       "print rmdir(\"  d/e \")\n"   // the name is trimmed
       "print rmdir(\"d/e\")\n"
       "print rmdir(\" \")\n",
       "False\nTrue\nFalse\n0\n", ""},
      {"mode that is no number", "x = mkdir(\"g\", \"deep\")", "", ErrorAt("Invalid Value", 1)},
      {"chdir and curdir",
       "x = mkdir(\"f\")\n"
       "print chdir(\"\")\n"
       "print curdir()\n"
       "print chdir(\"missing\")\n"
       "print chdir(\"f\")\n"
       "print curdir()\n"
       "print chdir(\"/\")\n"
       "print curdir()\n",
       "1\n" + Folder() + "\n0\n1\n" + Folder() + "/f\n1\n/\n", ""},
  });
  EXPECT_TRUE(std::filesystem::is_directory(At("a/b")));
  EXPECT_FALSE(Exists(At("d")) && Exists(At("d/e")));
}

TEST_F(DirectoryFunctions, ScriptDirNamesTheScriptsFolderAlsoInsideSubsAndFunctions) {
  std::filesystem::create_directory("my scripts");
  Write("my scripts/job.tws",
        "print scriptdir()\n"
        "x = chdir(\"/\")\n"
        "show()\n"
        "print twice()\n"
        "sub show()\n"
        "print scriptdir()\n"
        "endsub\n"
        "func twice()\n"
        "result = scriptdir() + scriptdir()\n"
        "endfunc\n");
  // A relative name is taken from the folder the program started in, not from the working
  // folder of the moment.
  const std::string relative =
      std::filesystem::relative(At("my scripts"), StartFolder()).string() + "/";
  struct Case {
    std::string fileName;
    std::string folder;
  };
  const Case cases[] = {
      {At("my scripts/job.tws"), Folder() + "/my scripts/"},
      {relative + "job.tws", WithTrailingSlash(StartFolder()) + relative},
  };
  for (const Case& c : cases) {
    std::filesystem::current_path(StartFolder());
    test::RecordingHost host;
    TBasicInterpreter interpreter(host);
    VariableTable globals;
    interpreter.SetGlobals(&globals);
    interpreter.SetFileName(c.fileName);
    interpreter.Run(0);
    EXPECT_TRUE(host.ScriptErrors.empty()) << c.fileName;
    EXPECT_EQ(host.Output(), c.folder + "\n" + c.folder + "\n" + c.folder + c.folder + "\n") << c.fileName;
  }
  // A script held in memory has no file, so no folder.
  EXPECT_EQ(RunScript("print \"[\" + scriptdir() + \"]\"").Output, "[]\n");
}

TEST_F(DirectoryFunctions, HomeDirIsTheProgramsFolderAndTempDirFollowsTmpdir) {
  const std::string program = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
  EXPECT_EQ(RunScript("print homedir()").Output, program + "\n");
  {
    ScopedEnvironment tmpdir("TMPDIR", At("t"));
    EXPECT_EQ(RunScript("print tempdir()").Output, At("t") + "/\n");
  }
  {
    ScopedEnvironment tmpdir("TMPDIR", std::nullopt);
    EXPECT_EQ(RunScript("print tempdir()").Output, "/tmp/\n");
  }
}

// Records what the pickers were asked.
class PickerHost : public test::RecordingHost {
 public:
  std::vector<std::string> Asked;
  std::optional<std::string> PickDirectory(std::string_view initial, std::string_view caption) override {
    Asked.push_back(std::string(initial) + "|" + std::string(caption));
    return RecordingHost::PickDirectory(initial, caption);
  }
  std::optional<std::string> PickFile(std::string_view filter, std::string_view file,
                                      std::string_view folder) override {
    Asked.push_back(std::string(filter) + "|" + std::string(file) + "|" + std::string(folder));
    return RecordingHost::PickFile(filter, file, folder);
  }
};

TEST_F(DirectoryFunctions, PickersAskTheHostWithTheHomeFolderAsDefault) {
  ScopedEnvironment home("HOME", "/home/tester");
  struct Case {
    const char* call;
    std::optional<std::string> answer;
    const char* asked;
    const char* result;
  };
  const Case cases[] = {
      {"getdir()", "/srv/data", "/home/tester/|Select Directory", "/srv/data/"},
      {"getdir(\"/srv/\", \"Where to?\")", "/srv/", "/srv/|Where to?", "/srv/"},
      {"getdir()", std::nullopt, "/home/tester/|Select Directory", ""},
      {"getfile()", "/home/tester/a.txt", "*.*|*.*|/home/tester/", "/home/tester/a.txt"},
      {"getfile(\"*.txt\")", "/x/b.txt", "*.txt|*.txt|/home/tester/", "/x/b.txt"},
      {"getfile(\"*.txt\", \"c.txt\", \"/srv/\")", std::nullopt, "*.txt|c.txt|/srv/", ""},
  };
  for (const Case& c : cases) {
    PickerHost host;
    host.PickerAnswers.push_back(c.answer);
    test::ScriptRun run = RunScript("print \"[\" + " + std::string(c.call) + " + \"]\"", &host);
    EXPECT_EQ(run.Output, "[" + std::string(c.result) + "]\n") << c.call;
    ASSERT_EQ(host.Asked.size(), 1u) << c.call;
    EXPECT_EQ(host.Asked[0], c.asked) << c.call;
  }
}

}  // namespace
}  // namespace tw
