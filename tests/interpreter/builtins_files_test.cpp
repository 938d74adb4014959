// The whole-file and file-name functions through whole scripts, in a fresh folder per test.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "interpreter/locale/locale.h"
#include "pe_image.h"
#include "scratch_folder.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunCases;
using test::RunScript;
using test::ScriptCase;

class FileFunctions : public test::ScratchFolderTest {
 protected:
  static std::string Stored(const std::string& name) {
    char value[64];
    const ssize_t size = ::getxattr(name.c_str(), "user.DOSATTRIB", value, sizeof value);
    return size < 0 ? "(none)" : std::string(value, static_cast<std::size_t>(size));
  }
  static void Store(const std::string& name, const std::string& value) {
    ASSERT_EQ(::setxattr(name.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0), 0);
  }
};

// Runs a script with the global variable _globaltext preset, for texts a literal cannot hold.
test::ScriptRun RunWithText(const std::string& script, const std::string& text) {
  test::RecordingHost host;
  TBasicInterpreter interpreter(host);
  VariableTable globals;
  interpreter.SetGlobals(&globals);
  interpreter.SetVariable("_globaltext", ScriptValue(text), true);
  interpreter.SetScriptText(script, "test.tws");
  interpreter.Run(0);
  return {host.Output(), host.ScriptErrors, host.ErrorBoxes};
}

TEST_F(FileFunctions, ExistsDeleteCopyAndRename) {
  Write("a.txt", "alpha");
  Write("b.txt", "beta");
  std::filesystem::create_directory("folder");
  RunCases(std::vector<ScriptCase>{
      {"fileexists", "print fileexists(\"a.txt\"), fileexists(\"none\"), fileexists(\"\"), fileexists(\"folder\")",
       "1     0     0     0\n", ""},
      {"filecopy",
       "print filecopy(\"a.txt\", \"c.txt\")\n"        // new copy
       "print filecopy(\"b.txt\", \"c.txt\")\n"        // c.txt is there: no overwrite
       "print filecopy(\"none\", \"d.txt\")\n"
       "print filecopy(\"folder\", \"e\")\n"
       "print filecopy(\"a.txt\", \"\")\n",
       "1\n0\n0\n0\n0\n", ""},
      {"filerename",
       "print filerename(\"c.txt\", \"folder/moved.txt\")\n"
       "print filerename(\"b.txt\", \"a.txt\")\n"      // never replaces
       "print filerename(\"none\", \"x.txt\")\n"
       "print filerename(\"\", \"x.txt\")\n",
       "1\n0\n0\n0\n", ""},
      {"filedelete",
       "print filedelete(\"b.txt\")\n"
       "print filedelete(\"b.txt\")\n"
       "print filedelete(\"folder\")\n",
       "1\n0\n0\n", ""},
  });
  EXPECT_EQ(Read("a.txt"), "alpha");
  EXPECT_EQ(Read("folder/moved.txt"), "alpha");
  EXPECT_FALSE(Exists("c.txt"));
  EXPECT_FALSE(Exists("b.txt"));
  EXPECT_TRUE(std::filesystem::is_directory("folder"));
}

TEST_F(FileFunctions, CopyOverwritesOnlyWhenAskedAndKeepsWhatMatters) {
  Write("source.txt", "new text");
  ::chmod("source.txt", 0640);
  Store("source.txt", std::string("0x24\0", 5));  // S and A
  const timespec lastWrite[2] = {{1700000000, 0}, {1600000000, 0}};
  ::utimensat(AT_FDCWD, "source.txt", lastWrite, 0);
  Write("target.txt", "old text, longer than the new");
  Write("linked.txt", "old");
  std::filesystem::create_symlink("linked.txt", "link");
  RunCases(std::vector<ScriptCase>{
      {"overwrite",
       "print filecopy(\"source.txt\", \"target.txt\", 1)\n"
       "print filecopy(\"source.txt\", \"source.txt\", 1)\n"  // onto itself: refused, nothing lost
       "print filecopy(\"source.txt\", \"link\", 1)\n",
       "1\n0\n1\n", ""},
  });
  EXPECT_EQ(Read("target.txt"), "new text");
  EXPECT_EQ(Read("source.txt"), "new text");
  EXPECT_EQ(Mode("target.txt"), 0640u);
  struct stat copied {};
  ::stat("target.txt", &copied);
  EXPECT_EQ(copied.st_mtim.tv_sec, 1600000000);
  EXPECT_EQ(Stored("target.txt"), std::string("0x24\0", 5));
  EXPECT_TRUE(std::filesystem::is_symlink("link"));  // the link stays, its target is replaced
  EXPECT_EQ(Read("linked.txt"), "new text");
  EXPECT_EQ(Names(), (std::vector<std::string>{"link", "linked.txt", "source.txt", "target.txt"}));
}

TEST_F(FileFunctions, FileInfoGivesSizeAndLastWriteTime) {
  Write("five.txt", "12345");
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 5;
  local.tm_hour = 14;
  local.tm_min = 7;
  local.tm_sec = 9;
  local.tm_isdst = -1;
  const timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
  ::utimensat(AT_FDCWD, "five.txt", times, 0);
  std::filesystem::create_symlink("loop", "loop");
  const Locale saved = currentLocale();
  Locale dotted;
  dotted.dateSeparator = '.';
  dotted.timeSeparator = '-';
  setCurrentLocale(dotted);
  RunCases(std::vector<ScriptCase>{
      {"what", 
       "print fileinfo(\"size\", \"five.txt\")\n"
       "print fileinfo(\"LENGTH\", \"five.txt\")\n"
       "print fileinfo(\"Age\", \"five.txt\")\n"
       "print fileinfo(\"ag\", \"five.txt\")\n"    // part of the list, but no what of its own
       "print fileinfo(\"size\", \"missing\")\n"
       "print fileinfo(\"age\", \"\")\n",
       "5\n5\n05.03.2024 14-07-09\n0\n0\n0\n", ""},
      {"bad what", "x = fileinfo(\"date\", \"five.txt\")", "", ErrorAt("Invalid Value", 1)},
      {"a name the system cannot resolve", "x = fileinfo(\"size\", \"loop\")", "",
       ErrorAt("Cannot examine \"loop\": Too many levels of symbolic links", 1)},
  });
  setCurrentLocale(saved);
}

TEST_F(FileFunctions, FileNameParts) {
  RunCases(std::vector<ScriptCase>{
      {"parts",
       "print \"[\" + filename(\"name\", \"dir/my.file.txt\") + \"]\"\n"
       "print \"[\" + filename(\"ext\", \"dir/my.file.txt\") + \"]\"\n"
       "print \"[\" + filename(\"PATH\", \"/home/me/dir/my.file.txt\") + \"]\"\n"
       "print \"[\" + filename(\"ext\", \"some.dir/noext\") + \"]\"\n"
       "print \"[\" + filename(\"name\", \"/a/ my file .txt\") + \"]\"\n"
       "print \"[\" + filename(\"path\", \"file.txt\") + \"]\"\n"
       "print \"[\" + filename(\"path\", \"/a/b/\") + \"]\"\n"
       "print \"[\" + filename(\"xt\", \"a.txt\") + \"]\"\n",
       "[my]\n[.txt]\n[/home/me/dir/]\n[]\n[my file]\n[]\n[/a/b/]\n[]\n", ""},
      {"bad what", "x = filename(\"folder\", \"a.txt\")", "", ErrorAt("Invalid Value", 1)},
  });
}

TEST_F(FileFunctions, LoadFromFileEndsEveryLineWithCrLf) {
  struct Case {
    const char* name;
    std::string content;
    std::string text;
  };
  const Case cases[] = {
      {"LF and no final break", "a\nb", "a\r\nb\r\n"},
      {"CR LF", "a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
      {"lone CR", "a\rb\r", "a\r\nb\r\n"},
      {"empty file", "", ""},
  };
  for (const Case& c : cases) {
    Write("in.txt", c.content);
    EXPECT_EQ(RunScript("print \"[\" + loadfromfile(\"in.txt\") + \"]\"").Output, "[" + c.text + "]\n") << c.name;
  }
  std::filesystem::create_directory("folder");
  RunCases(std::vector<ScriptCase>{
      {"missing file", "print \"[\" + loadfromfile(\"missing.txt\") + \"]\"", "[]\n", ""},
      {"a folder", "x = loadfromfile(\"folder\")", "", ErrorAt("Cannot read file \"folder\": Is a directory", 1)},
  });
}

TEST_F(FileFunctions, SaveToFileWritesCrLfLinesByReplacingTheFile) {
  struct Case {
    const char* name;
    std::string text;
    std::string file;
  };
  const Case cases[] = {
      {"one line without a break", "one", "one\r\n"},
      {"mixed breaks", "a\nb\r\nc\rd\r", "a\r\nb\r\nc\r\nd\r\n"},
      {"empty lines kept", "\n\nx", "\r\n\r\nx\r\n"},
      {"empty text", "", ""},
  };
  for (const Case& c : cases) {
    Write("out.txt", "an older and much longer text\r\n");
    ::chmod("out.txt", 0600);
    test::ScriptRun run = RunWithText("print savetofile(_globaltext, \"out.txt\")", c.text);
    EXPECT_EQ(run.Output, "1\n") << c.name;
    EXPECT_EQ(Read("out.txt"), c.file) << c.name;
    EXPECT_EQ(Mode("out.txt"), 0600u) << c.name;
  }
  Write("target.txt", "old");
  std::filesystem::create_symlink("target.txt", "link");
  RunCases(std::vector<ScriptCase>{
      {"through a link", "print savetofile(\"via link\", \"link\")", "1\n", ""},
      {"missing folder", "print savetofile(\"x\", \"no/such/file.txt\")", "",
       ErrorAt("Cannot write file \"no/such/file.txt\": No such file or directory", 1)},
  });
  EXPECT_TRUE(std::filesystem::is_symlink("link"));
  EXPECT_EQ(Read("target.txt"), "via link\r\n");
  EXPECT_EQ(Names(), (std::vector<std::string>{"link", "out.txt", "target.txt"}));  // no temporary left
}

TEST_F(FileFunctions, AttributesReadFromModeNameKindAndStoredValue) {
  Write("plain.txt", "");
  Write("locked.txt", "");
  ::chmod("locked.txt", 0444);
  Write(".hidden", "");
  std::filesystem::create_directory("folder");
  std::filesystem::create_directory(".cache");
  Write("archived.txt", "");
  Store("archived.txt", std::string("0x24\0", 5));
  Write("server.txt", "");
  Store("server.txt", std::string("0x21\0\0\x04\0\x04\0\0\0", 12));  // a server's full record
  std::filesystem::create_symlink("loop", "loop");
  RunCases(std::vector<ScriptCase>{
      {"letters",
       "print \"[\" + filegetattr(\"plain.txt\") + \"]\"\n"
       "print filegetattr(\"locked.txt\")\n"
       "print filegetattr(\".hidden\")\n"
       "print filegetattr(\"folder\")\n"
       "print filegetattr(\".cache/\")\n"
       "print filegetattr(\"archived.txt\")\n"
       "print filegetattr(\"server.txt\")\n"  // R comes from the mode, not the stored value
       "print \"[\" + filegetattr(\"missing\") + \"]\"\n",
       "[]\nR\nH\nD\nH,D\nS,A\nA\n[]\n", ""},
      {"a name the system cannot resolve", "x = filegetattr(\"loop\")", "",
       ErrorAt("Cannot examine \"loop\": Too many levels of symbolic links", 1)},
  });
}

TEST_F(FileFunctions, SetAttributesChangesTheOwnersWriteBitAndTheStoredValue) {
  Write("f.txt", "");
  ::chmod("f.txt", 0644);
  Write("locked.txt", "");
  ::chmod("locked.txt", 0444);
  Write(".hidden", "");
  ASSERT_EQ(::mkfifo("pipe", 0644), 0);
  struct Step {
    const char* file;
    const char* letters;
    const char* result;
    const char* attributes;  // filegetattr afterwards
    mode_t mode;
    std::string stored;
  };
  const Step steps[] = {
      {"f.txt", " r , a ", "1", "R,A", 0444, std::string("0x21\0", 5)},
      {"f.txt", "", "1", "", 0644, "(none)"},
      {"f.txt", "S,X,RR,h,d", "1", "S", 0644, std::string("0x4\0", 4)},
      {"f.txt", "a", "1", "A", 0644, std::string("0x20\0", 5)},
      // A read-only file gets its stored value and stays read-only.
      {"locked.txt", "R,S", "1", "R,S", 0444, std::string("0x5\0", 4)},
      // H follows from the name: it is kept in the stored value and cannot be set or cleared.
      {".hidden", "A", "1", "H,A", 0644, std::string("0x22\0", 5)},
      {".hidden", "", "1", "H", 0644, "(none)"},
      // The file system keeps no user attributes for a FIFO.
      {"pipe", "A", "0", "", 0644, "(none)"},
      {"pipe", "R", "1", "R", 0444, "(none)"},
      {"missing", "R", "0", "", 0, "(none)"},
  };
  for (const Step& s : steps) {
    const std::string script = "print filesetattr(\"" + std::string(s.file) + "\", \"" + s.letters +
                               "\")\nprint \"[\" + filegetattr(\"" + s.file + "\") + \"]\"";
    EXPECT_EQ(RunScript(script).Output, std::string(s.result) + "\n[" + s.attributes + "]\n")
        << s.file << " " << s.letters;
    if (s.mode != 0) {
      EXPECT_EQ(Mode(s.file), s.mode) << s.file << " " << s.letters;
    }
    EXPECT_EQ(Stored(s.file), s.stored) << s.file << " " << s.letters;
  }
}

TEST_F(FileFunctions, FileVersionReadsWindowsExecutables) {
  Write("app.exe", test::BuildPeImage(false, 1, 2, 3, 4));
  Write("lib64.dll", test::BuildPeImage(true, 10, 0, 19041, 1));
  Write("notes.txt", "MZ but nothing more");
  ASSERT_EQ(::mkfifo("pipe", 0644), 0);
  RunCases(std::vector<ScriptCase>{
      {"versions",
       "print fileversion(\"app.exe\")\n"
       "print fileversion(\"lib64.dll\")\n"
       "print \"[\" + fileversion(\"notes.txt\") + fileversion(\"missing\") + fileversion(\".\") + "
       "fileversion(\"pipe\") + \"]\"\n",
       "1.2.3.4\n10.0.19041.1\n[]\n", ""},
  });
}

// In a syntax check every function reads its arguments, acts on nothing and gives its initial value.
TEST_F(FileFunctions, SyntaxCheckGivesTheInitialValuesAndTouchesNothing) {
  Write("in.txt", "text\n");
  ::chmod("in.txt", 0644);
  std::filesystem::create_directory("keep");
  struct Call {
    const char* call;
    const char* initial;
  };
  const Call calls[] = {
      {"chdir(\"keep\")", "1"},           {"curdir()", ""},
      {"mkdir(\"new\", 1)", "0"},         {"rmdir(\"keep\")", "0"},
      {"scriptdir()", ""},                {"homedir()", ""},
      {"tempdir()", ""},                  {"getdir()", ""},
      {"getfile()", ""},                  {"fileexists(\"in.txt\")", "0"},
      {"filedelete(\"in.txt\")", "0"},    {"filecopy(\"in.txt\", \"copy.txt\")", "0"},
      {"filerename(\"in.txt\", \"r.txt\")", "0"}, {"fileinfo(\"bogus\", \"in.txt\")", "0"},
      {"fileversion(\"in.txt\")", ""},    {"filegetattr(\"keep\")", ""},
      {"filesetattr(\"in.txt\", \"R\")", "1"}, {"filename(\"bogus\", \"a.b\")", ""},
      {"loadfromfile(\"in.txt\")", ""},   {"savetofile(\"x\", \"saved.txt\")", "0"},
      {"fopen(\"made.txt\", 2)", "0"},    {"fopen(\"in.txt\", 9)", "0"},
      {"fgets(\"bad\")", ""},             {"fputs(5, \"x\")", "0"},
      {"feof(\"bad\")", "0"},             {"fclose(\"bad\")", "0"},
  };
  std::string script;
  for (std::size_t i = 0; i < std::size(calls); ++i)
    script += "_global" + std::to_string(i) + " = " + calls[i].call + "\n";
  test::RecordingHost host;
  host.PickerAnswers.push_back("/picked");
  TBasicInterpreter interpreter(host);
  VariableTable globals;
  interpreter.SetGlobals(&globals);
  interpreter.SetScriptText(script, "test.tws");
  interpreter.CheckSyntax();
  EXPECT_TRUE(host.ScriptErrors.empty()) << host.ScriptErrors.front();
  for (std::size_t i = 0; i < std::size(calls); ++i) {
    const TVariable* variable = globals.Find("_global" + std::to_string(i));
    ASSERT_NE(variable, nullptr) << calls[i].call;
    EXPECT_EQ(variable->Value.ToText(), calls[i].initial) << calls[i].call;
  }
  EXPECT_EQ(host.PickerAnswers.size(), 1u);  // nobody was asked
  EXPECT_EQ(std::filesystem::current_path().string(), Folder());
  EXPECT_EQ(Names(), (std::vector<std::string>{"in.txt", "keep"}));
  EXPECT_EQ(Mode("in.txt"), 0644u);
}

}  // namespace
}  // namespace tw
