// Include files and compiled scripts, with real files in a scratch folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "interpreter/lh5/lh5.h"
#include "support/recording_host.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using test::RecordingHost;

class IncludeAndCompile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tw-include-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_ / "lib");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return (dir_ / name).string();
  }

  // Runs a file; returns the prints and the errors, one per line.
  std::string Run(const std::string& file, const std::string& includeDir = "") {
    RecordingHost host;
    TBasicInterpreter interpreter(host);
    VariableTable globals;
    interpreter.SetGlobals(&globals);
    interpreter.SetIncludeDir(includeDir);
    interpreter.SetFileName(file);
    interpreter.Run(0);
    std::string out;
    for (const auto& line : host.Prints) out += line + "\n";
    for (const auto& line : host.ScriptErrors) out += line + "\n";
    for (const auto& line : host.ErrorBoxes) out += "box: " + line + "\n";
    return out;
  }

  bool Compile(const std::string& file, RecordingHost& host) {
    TBasicInterpreter interpreter(host);
    interpreter.SetFileName(file);
    return interpreter.Compile();
  }

  fs::path dir_;
};

TEST_F(IncludeAndCompile, IncludedSubsAndLabelsJoinTheRunOnce) {
  const std::string lib = Write("lib/strings.tws", "#header of the library\nfunc twice(n)\nresult = n * 2\nendfunc\n");
  const std::string main = Write("main.tws", "include \"" + lib + "\"\ninclude \"" + lib +
                                              "\"\ninclude \"other/STRINGS.tws\"\nprint twice(21)\nend\n");
  EXPECT_EQ(Run(main), "42\n");
}

TEST_F(IncludeAndCompile, ANameContainingALoadedNameIsAnotherFile) {
  // lib.tws is inside mylib.tws, and the main script a.tws inside data.tws: both must load all the same.
  Write("lib.tws", "sub one()\nprint \"one\"\nendsub\n");
  Write("mylib.tws", "sub two()\nprint \"two\"\nendsub\n");
  Write("data.tws", "sub three()\nprint \"three\"\nendsub\n");
  const std::string main =
      Write("a.tws", "include \"" + (dir_ / "lib.tws").string() + "\"\ninclude \"" + (dir_ / "mylib.tws").string() +
                         "\"\ninclude \"" + (dir_ / "data.tws").string() + "\"\ninclude \"" +
                         (dir_ / "LIB.TWS").string() + "\"\none()\ntwo()\nthree()\n");
  EXPECT_EQ(Run(main), "one\ntwo\nthree\n");
}

TEST_F(IncludeAndCompile, AMissingFileIsLookedForInTheIncludeFolder) {
  Write("lib/helpers.tws", "sub hello()\nprint \"hello\"\nendsub\n");
  const std::string main = Write("main.tws", "include \"nowhere/helpers.tws\"\nhello()\n");
  EXPECT_EQ(Run(main, (dir_ / "lib").string()), "hello\n");
  EXPECT_EQ(Run(main), "[" + main + "] Error: Include File not Found on line: 1\n");
}

TEST_F(IncludeAndCompile, ErrorsInAnIncludedFileNameItAndItsOwnLine) {
  const std::string lib = Write("lib/broken.tws", "#header\nsub broken()\nx = 1\nendwhile\nendsub\n");
  const std::string main = Write("main.tws", "include \"" + lib + "\"\nbroken()\n");
  EXPECT_EQ(Run(main), "[" + lib + "] Error: ENDWHILE without WHILE on line: 3\n");
  const std::string twice = Write("lib/labels.tws", "start:\n");
  const std::string clash = Write("clash.tws", "start:\ninclude \"" + twice + "\"\n");
  EXPECT_EQ(Run(clash), "[" + twice + "] Error: Duplicate Labels on line: 1\n");
}

TEST_F(IncludeAndCompile, ACompiledScriptPrintsWhatItsTextPrints) {
  const std::string lib = Write("lib/math.tws", "func square(n)\nresult = n * n\nendfunc\n");
  const std::string main = Write("main.tws", "#description: compiled\ninclude \"" + lib +
                                              "\"\nincludes = 5\nfor i = 1 to 3\nprint square(i) + includes\nendfor\n");
  RecordingHost host;
  ASSERT_TRUE(Compile(main, host));
  const std::string compiled = (dir_ / "main.twc").string();
  ASSERT_TRUE(fs::exists(compiled));
  EXPECT_EQ(Run(compiled), Run(main));
  EXPECT_EQ(Run(compiled), "6\n9\n14\n");
}

TEST_F(IncludeAndCompile, ACompiledScriptReportsErrorsInMain) {
  const std::string main = Write("fails.tws", "print 1\nprint 2\nendwhile\n");
  RecordingHost host;
  ASSERT_TRUE(Compile(main, host));
  // The notice line comes first, so the third line of the text is the fourth stored line.
  EXPECT_EQ(Run((dir_ / "fails.twc").string()), "1\n2\n[Main] Error: ENDWHILE without WHILE on line: 4\n");
}

TEST_F(IncludeAndCompile, CompileRefusesScriptsThatDoNotCheck) {
  RecordingHost host;
  EXPECT_FALSE(Compile(Write("bad.tws", "goto nowhere\n"), host));
  EXPECT_FALSE(fs::exists(dir_ / "bad.twc"));
  RecordingHost noName;
  TBasicInterpreter interpreter(noName);
  EXPECT_FALSE(interpreter.Compile());
  EXPECT_EQ(noName.ErrorBoxes, (std::vector<std::string>{"File Name not Defined."}));
}

TEST_F(IncludeAndCompile, DamagedCompiledFilesAreRefusedAndTheEmptyTextLoads) {
  const std::string empty = (dir_ / "empty.twc").string();
  std::string packed(4, '\0');
  packed += lh5::compress("");
  std::ofstream(empty, std::ios::binary) << packed;
  EXPECT_EQ(Run(empty), "");
  const std::string main = Write("long.tws", std::string(200, '\'') + "\nprint 1\n");
  RecordingHost host;
  ASSERT_TRUE(Compile(main, host));
  std::ifstream in(dir_ / "long.twc", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string cut = (dir_ / "cut.twc").string();
  std::ofstream(cut, std::ios::binary) << bytes.substr(0, 6);
  std::ofstream(dir_ / "tiny.twc", std::ios::binary) << "ab";
  EXPECT_EQ(Run(cut).rfind("box: ", 0), 0u);
  EXPECT_EQ(Run((dir_ / "tiny.twc").string()), "box: " + (dir_ / "tiny.twc").string() + " is not a valid .twc file!\n");
  // A short stream that claims 2 GiB of text: refused at once instead of unpacked.
  const std::string huge = (dir_ / "huge.twc").string();
  std::ofstream(huge, std::ios::binary) << std::string("\0\0\0\x80", 4) + lh5::compress(std::string(400, 'a'));
  EXPECT_EQ(Run(huge), "box: " + huge + " is not a valid .twc file!\n");
}

}  // namespace
}  // namespace tw
