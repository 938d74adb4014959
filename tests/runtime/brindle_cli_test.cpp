// brindle as a terminal program: what it prints where, and its exit status.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "child_process.h"
#include "waiting.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class BrindleCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("brindle-cli-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return (dir_ / name).string();
  }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // wrapper goes before brindle in a shell command line (limits, another user). The test's folder is the
  // run's temporary folder too, so scripts that keep a file there (the database example) never meet another
  // suite's run of the same script.
  Outcome Brindle(const std::string& arguments, const std::string& input = "", const std::string& wrapper = "") {
    std::string command = "cd '" + dir_.string() + "' && printf '" + input + "' | " + wrapper +
                          " env -u DISPLAY TMPDIR='" + dir_.string() + "' " + BRINDLE_PATH + " " + arguments +
                          " >out.txt 2>err.txt";
    int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read(dir_ / "out.txt"), Read(dir_ / "err.txt")};
  }

  fs::path dir_;
};

// The examples and the fuzzers' seed scripts read the same through each line's stored
// tokens as through the text of each line: the same output, errors with their positions, and status.
TEST_F(BrindleCli, BothWaysOfReadingGiveTheSameRun) {
  const fs::path source = TW_SOURCE_DIR;
  int compared = 0;
  for (const char* folder : {"examples", "tests/fuzz/corpus"}) {
    for (const auto& entry : fs::directory_iterator(source / folder)) {
      if (entry.path().extension() != ".tws") continue;
      const std::string script = "'" + entry.path().string() + "'";
      const Outcome cached = Brindle("--console " + script);
      const Outcome uncached = Brindle("--console --uncached-reading " + script);
      EXPECT_EQ(cached.status, uncached.status) << entry.path();
      EXPECT_EQ(cached.out, uncached.out) << entry.path();
      EXPECT_EQ(cached.err, uncached.err) << entry.path();
      ++compared;
    }
  }
  EXPECT_GE(compared, 10);
}

TEST_F(BrindleCli, RunsAScriptAndEndsWithStatusZero) {
  Write("ok.tws", "#description: prints\nprint \"hello\"\noutput(2)\nprint \"console\"\nend\nprint \"never\"\n");
  Outcome o = Brindle("--console ok.tws");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "hello\nconsole\n");
  EXPECT_EQ(o.err, "");
}

TEST_F(BrindleCli, AScriptErrorGoesToStderrWithItsPositionAndStatusOne) {
  Write("bad.tws", "#header: one\n#header: two\nprint 1\nx = 1\nfor i = 1 2\n");
  Outcome o = Brindle("bad.tws");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "1\n");
  EXPECT_EQ(o.err, "[bad.tws] Error: Missing TO on line: 3\n");
}

TEST_F(BrindleCli, AnErrorAnywhereInTheRunGivesStatusOne) {
  // The error surfaces in a sub, a function, an included file and a called script: none of them is the
  // main code the host watches, and each must still fail the run.
  Write("lib.tws", "sub fails()\nx = 1 / 0\nendsub\n");
  Write("callee.tws", "print \"callee\"\nx = 1 / 0\n");
  const struct {
    const char* name;
    const char* script;
  } cases[] = {
      {"sub", "f()\nprint \"after\"\nsub f()\nx = 1 / 0\nendsub\n"},
      {"function", "y = g()\nprint \"after\"\nfunction g()\ng = 1 / 0\nendfunc\n"},
      {"included sub", "include \"lib.tws\"\nfails()\nprint \"after\"\n"},
      {"called script", "call \"callee.tws\"\nprint \"after\"\n"},
      {"nested calls", "a()\nsub a()\nb()\nendsub\nsub b()\ncall \"callee.tws\"\nendsub\n"},
  };
  for (const auto& c : cases) {
    Write("main.tws", c.script);
    const Outcome o = Brindle("--console main.tws");
    EXPECT_EQ(o.status, 1) << c.name;
    EXPECT_EQ(o.out.find("after"), std::string::npos) << c.name;
    EXPECT_NE(o.err.find("Error: "), std::string::npos) << c.name;
  }
  Write("main.tws", "noerror(1)\nf()\nprint \"after\"\nsub f()\nx = 1 / 0\nendsub\n");
  EXPECT_EQ(Brindle("--console main.tws").status, 0) << "errors a script chose to ignore do not fail it";
}

TEST_F(BrindleCli, InputReadsStdinAndEndOfInputCancels) {
  Write("ask.tws", "input \"Name?\", n\nprint \"hi \" + n\ninput \"More?\", m\nprint \"not reached\"\n");
  Outcome o = Brindle("ask.tws", "Ada\\n");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "hi Ada\n");
  EXPECT_EQ(o.err, "Name?\nMore?\n");
}

TEST_F(BrindleCli, MissingFilesAndBadUsageGiveStatusTwo) {
  EXPECT_EQ(Brindle("missing.tws").status, 2);
  EXPECT_EQ(Brindle("").status, 2);
  EXPECT_EQ(Brindle("--bogus x.tws").status, 2);
  Outcome help = Brindle("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: brindle"), std::string::npos);
  EXPECT_EQ(Brindle("--version").out.rfind("brindle ", 0), 0u);
}

TEST_F(BrindleCli, TheScriptSeesItsFileAndArgumentsButNoneOfBrindlesOptions) {
  Write("s.tws",
        "p = getparam(0)\nprint right(p, 8)\nfor i = 1 to 4\nprint \"[\" + getparam(i) + \"]\"\nendfor\n"
        "print \"[\" + getparam(9) + \"]\"\n");
  Outcome o = Brindle("--console s.tws a \"b c\" \"\"");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "/brindle\n[s.tws]\n[a]\n[b c]\n[]\n[]\n");
  // After the script everything is the script's, options included.
  EXPECT_EQ(Brindle("--console s.tws --console -x").out, "/brindle\n[s.tws]\n[--console]\n[-x]\n[]\n[]\n");
}

TEST_F(BrindleCli, NamesWithAccentsPadIntoAlignedColumns) {
  Write("names.csv", "Zoë;Müller;Köln\r\nJosé;Ñúñez;Málaga\r\nÅsa;Ødegård;Tromsø\r\nBob;Smith;York\r\nΕλένη;Ζήση;Αθήνα\r\n");
  Write("columns.tws",
        "h = fopen(\"names.csv\", 1)\n"
        "while feof(h) = 0\n"
        "  row = fgets(h)\n"
        "  if row <> \"\" then\n"
        "    first = parse(row, \";\")\n"
        "    last = parse(row, \";\")\n"
        "    print rightpad(first, 6, \" \") + \"|\" + leftpad(last, 9, \".\") + \"|\" + rightpad(row, 8, \"·\") + \"|\"\n"
        "  endif\n"
        "endwhile\n"
        "fclose(h)\n");
  Outcome o = Brindle("--console columns.tws");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("Zoë   |...Müller|Köln····|"), std::string::npos) << o.out;
  // The terminal's own count of characters per line, by a program that is not ours.
  const std::string widths = "cd '" + dir_.string() +
                             "' && while IFS= read -r line; do printf '%s' \"$line\" | LC_ALL=C.UTF-8 wc -m; done "
                             "< out.txt | sort -u > widths.txt";
  ASSERT_EQ(std::system(widths.c_str()), 0);
  EXPECT_EQ(Read(dir_ / "widths.txt"), "26\n") << o.out;
}

TEST_F(BrindleCli, TheExtensionDecidesAndDoubleDashEndsTheOptions) {
  Write("notes.twc.tws", "print \"text\"\n");
  Outcome text = Brindle("--console notes.twc.tws");
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out, "text\n");
  Write("-x.tws", "print getparam(1); \" \"; getparam(2)\n");
  Outcome dashed = Brindle("--console -- -x.tws -y");
  EXPECT_EQ(dashed.status, 0) << dashed.err;
  EXPECT_EQ(dashed.out, "-x.tws -y\n");
  EXPECT_EQ(Brindle("-x.tws").status, 2);  // without "--" it is an unknown option
}

TEST_F(BrindleCli, CheckReportsErrorsWithoutRunning) {
  Write("good.tws", "print 1\nfor i = 1 to 2\nendfor\n");
  Write("wrong.tws", "print 1\ngoto nowhere\n");
  Outcome good = Brindle("--check good.tws");
  EXPECT_EQ(good.status, 0);
  EXPECT_EQ(good.out, "");
  Outcome wrong = Brindle("--check wrong.tws");
  EXPECT_EQ(wrong.status, 1);
  EXPECT_EQ(wrong.err, "[wrong.tws] Error: Label not found nowhere on line: 2\n");
}

TEST_F(BrindleCli, CheckWarnsAboutLikelyMistakesAndStrictMakesThemFail) {
  Write("newcomer.tws", "sub hello()\n  print \"hi\"\nendsub\nhello()\nw = focuss(\"xterm\", 2)\n");
  const std::string expected =
      "[newcomer.tws] Warning: The script starts with the definition of 'hello', so running it does nothing on line: 1\n"
      "[newcomer.tws] Warning: 'hello' never runs: a run ends at its first sub or function definition on line: 4\n"
      "[newcomer.tws] Warning: 'focuss' is no function: it reads as a variable whose value is \"0\" (did you mean "
      "'focus'?) on line: 5\n";
  Outcome lenient = Brindle("--check newcomer.tws");
  EXPECT_EQ(lenient.status, 0);
  EXPECT_EQ(lenient.err, expected);
  EXPECT_EQ(lenient.out, "");
  Outcome strict = Brindle("--strict --check newcomer.tws");
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.err, expected);
  Write("clean.tws", "print \"fine\"\n");
  EXPECT_EQ(Brindle("--check --strict clean.tws").status, 0);
  EXPECT_EQ(Brindle("--strict clean.tws").status, 2);  // --strict belongs to --check
}

// The network functions come from a module opened on first use. Without it, a call that needs it is a script
// error naming the module's file, a script that makes no such call runs as ever, and a check never needs it.
TEST_F(BrindleCli, WithoutTheNetworkModuleTheCallsThatNeedItAreScriptErrors) {
  fs::create_directories(dir_ / "no-modules");
  const std::string withoutModules = "env TW_MODULE_DIR='" + (dir_ / "no-modules").string() + "'";
  const std::string missing = "[net.tws] Error: The network functions need their module, which cannot be loaded: " +
                              (dir_ / "no-modules" / "libtarnwick-net.so").string();
  for (const char* call : {"page = httpexec(\"get\", \"http://127.0.0.1:9/\")", "ok = ftpconnect(\"127.0.0.1\")",
                           "ok = smtpsetup(\"127.0.0.1\")"}) {
    Write("net.tws", std::string("print \"before\"\n") + call + "\nprint \"after\"\n");
    const Outcome run = Brindle("--console net.tws", "", withoutModules);
    EXPECT_EQ(run.status, 1) << call;
    EXPECT_EQ(run.out, "before\n") << call;
    EXPECT_EQ(run.err.rfind(missing, 0), 0U) << run.err;
    EXPECT_TRUE(run.err.ends_with(" on line: 2\n")) << run.err;
    EXPECT_EQ(Brindle("--check --strict net.tws", "", withoutModules).status, 0) << call;
  }
  Write("plain.tws", "print upper(\"ok\")\n");
  EXPECT_EQ(Brindle("--console plain.tws", "", withoutModules).out, "OK\n");
}

TEST_F(BrindleCli, AnErrorLogTakesTheErrorInsteadOfStderr) {
  Write("logged.tws", "errorlog(\"run.log\")\nx = 1 / 0\n");
  Outcome o = Brindle("logged.tws");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "");
  std::string log = Read(dir_ / "run.log");
  EXPECT_NE(log.find(" [logged.tws] Error: Floating point division by zero on line: 2\r\n"), std::string::npos)
      << log;
  Write("nolog.tws", "errorlog(\"" + (dir_ / "no" / "such" / "dir.log").string() + "\")\n");
  EXPECT_EQ(Brindle("nolog.tws").err, "[nolog.tws] Error: Invalid Error Log File Name Specified on line: 1\n");
}

// SIGINT and SIGTERM stop a run wherever it is (at a prompt waiting for input, in a wait, in a busy loop):
// the statements after it do not run, what the script wrote is on disk, and the status tells the signal.
TEST_F(BrindleCli, StopSignalsEndTheRunAtAnyPointWithTheirStatus) {
  struct Case {
    const char* name;
    const char* statement;
  };
  const Case cases[] = {
      {"input", "input \"name\", n"},
      {"pause", "pause 60"},
      {"busy loop", "for i = 1 to 100000000\nx = i\nendfor"},
  };
  for (const Case& c : cases) {
    for (const int signal : {SIGINT, SIGTERM}) {
      SCOPED_TRACE(std::string(c.name) + (signal == SIGINT ? ", SIGINT" : ", SIGTERM"));
      fs::remove(dir_ / "ready");
      Write("stop.tws", "h = fopen(\"log.txt\", 2)\nfputs(h, \"written\")\nr = fopen(\"ready\", 2)\nfclose(r)\n" +
                            std::string(c.statement) + "\nfputs(h, \"after\")\n");
      // stdin stays open without input, as a terminal would.
      tw::testbed::ChildProcess brindle(
          {"bash", "-c", "cd '" + dir_.string() + "' && exec " + BRINDLE_PATH + " --console stop.tws < <(sleep 600)"},
          {{"DISPLAY="}, dir_ / "err.txt", -1});
      ASSERT_TRUE(tw::testbed::waitUntil([&] { return fs::exists(dir_ / "ready"); }));
      ::kill(brindle.pid(), signal);
      EXPECT_EQ(brindle.waitForExit(tw::testbed::kPatience), 128 + signal) << Read(dir_ / "err.txt");
      EXPECT_EQ(Read(dir_ / "log.txt"), "written\r\n");
    }
  }
}

// The files of a folder, but for the ones a test made itself.
std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A shell prefix under which files may grow to `kibibytes` only; writing past it fails instead of killing.
std::string FileSizeLimit(int kibibytes) {
  return "bash -c 'trap \"\" XFSZ; ulimit -f " + std::to_string(kibibytes) + "; exec \"$0\" \"$@\"'";
}

TEST_F(BrindleCli, ReplacedFilesSurviveAFailedWriteWhole) {
  // savevars, savetofile and --compile write a new file beside the old one and rename it into place: when
  // writing fails half-way (the disk is full, the folder is read-only) the old file stays as it was, the
  // run reports the failure, and no temporary file is left.
  fs::create_directories(dir_ / "ro");
  const std::string old = "old content\r\n";
  const std::string big(40 * 1024, 'x');
  Write("ro/vars.txt", old);
  Write("ro/text.txt", old);
  Write("ro/job.twc", old);
  // The compiled script packs its text: only text without repeats stays larger than the limit.
  std::string noise;
  for (unsigned state = 1; noise.size() < 60 * 1024;) {
    state = state * 1103515245u + 12345u;
    noise += static_cast<char>('!' + (state >> 16) % 90);
    if (noise.size() % 100 == 0) noise += "\n' ";
  }
  Write("ro/job.tws", "x = 1\n' " + noise + "\n");
  Write("save.tws", "big = \"" + big + "\"\nprint savevars(\"ro/vars.txt\")\nprint \"after\"\n");
  Write("text.tws", "print savetofile(\"" + big + "\", \"ro/text.txt\")\nprint \"after\"\n");
  const std::vector<std::string> before = FilesIn(dir_ / "ro");

  const bool root = ::geteuid() == 0;  // root writes into read-only folders: it runs there as nobody
  const struct {
    const char* name;
    std::string wrapper;
    bool readOnly;
  } ways[] = {
      {"file size limit", FileSizeLimit(16), false},
      {"read-only folder", root ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "", true},
  };
  for (const auto& way : ways) {
    if (way.readOnly) ::chmod((dir_ / "ro").c_str(), 0555);
    for (const auto& [arguments, file] :
         {std::pair{"--console save.tws", "vars.txt"}, std::pair{"--console text.tws", "text.txt"},
          std::pair{"--compile ro/job.tws", "job.twc"}}) {
      const Outcome o = Brindle(arguments, "", way.wrapper);
      EXPECT_NE(o.status, 0) << way.name << ": " << arguments;
      EXPECT_NE(o.err.find("Cannot"), std::string::npos) << way.name << ": " << arguments << ": " << o.err;
      EXPECT_EQ(o.out.find("after"), std::string::npos) << way.name << ": " << arguments;
      EXPECT_EQ(Read(dir_ / "ro" / file), old) << way.name << ": " << arguments;
      EXPECT_EQ(FilesIn(dir_ / "ro"), before) << way.name << ": " << arguments;
    }
    ::chmod((dir_ / "ro").c_str(), 0755);
  }
}

TEST_F(BrindleCli, TextLeftInAnOpenFileThatCannotBeWrittenFailsTheRun) {
  // 30 KB stay in the handle's buffer until the run closes the file; past the size limit that write fails.
  Write("open.tws", "h = fopen(\"open.txt\", 2)\nfputs(h, \"" + std::string(30 * 1024, 'y') + "\")\nprint \"done\"\n");
  const Outcome o = Brindle("--console open.tws", "", FileSizeLimit(16));
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "done\n");
  EXPECT_NE(o.err.find("Error: Cannot write file \"open.txt\": File too large"), std::string::npos) << o.err;
  EXPECT_EQ(Brindle("--console open.tws").status, 0) << "without the limit the same run succeeds";
  EXPECT_EQ(fs::file_size(dir_ / "open.txt"), 30u * 1024 + 2);
}

TEST_F(BrindleCli, AKilledRunLeavesTheFileWholeAndNeverAPartialCopy) {
  // SIGKILL cannot be caught. The new text is written to an unnamed file and gets a name only to be renamed
  // over the old one, so whenever the kill comes vars.txt is one whole save; a kill in the instant between
  // naming and renaming can leave that whole copy under its temporary name, never a part of it.
  Write("loop.tws", "x = \"" + std::string(200 * 1024, 'z') + "\"\nwhile 1 = 1\nsavevars(\"vars.txt\")\nendwhile\n");
  const std::vector<std::string> expected = {"err.txt", "loop.tws", "out.txt", "vars.txt"};
  std::uintmax_t whole = 0;
  for (int round = 0; round < 20; ++round) {
    const std::string command = "cd '" + dir_.string() + "' && { env -u DISPLAY " + BRINDLE_PATH +
                                " --console loop.tws >out.txt 2>err.txt & pid=$!; " +
                                "for i in $(seq 1000); do [ -s vars.txt ] && break; sleep 0.01; done; sleep 0.0" +
                                std::to_string(round % 10) + "; kill -9 $pid; wait $pid; } 2>/dev/null";
    std::system(command.c_str());
    if (whole == 0) whole = fs::file_size(dir_ / "vars.txt");
    EXPECT_EQ(fs::file_size(dir_ / "vars.txt"), whole) << "round " << round;
    for (const std::string& name : FilesIn(dir_)) {
      if (std::find(expected.begin(), expected.end(), name) != expected.end()) continue;
      EXPECT_TRUE(name.starts_with("vars.txt.tw")) << name << " in round " << round;
      EXPECT_EQ(fs::file_size(dir_ / name), whole) << name << " in round " << round;
      fs::remove(dir_ / name);
    }
  }
  EXPECT_GT(whole, 200u * 1024);
}

TEST_F(BrindleCli, ALinkPlantedInASharedFolderIsNotWrittenThrough) {
  // In a sticky folder that everyone may write to (like /tmp), a link owned by another user must not
  // decide which of our files gets written.
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant a link owned by another user";
  const fs::path shared = dir_ / "shared";
  fs::create_directories(shared);
  ::chmod(shared.c_str(), 01777);
  const std::string victim = Write("victim.txt", "precious\r\n");
  const fs::path planted = shared / "report.txt";
  fs::create_symlink(victim, planted);
  ASSERT_EQ(::lchown(planted.c_str(), 65534, 65534), 0);
  Write("source.txt", "copied\r\n");
  Write("plant.tws", "print savetofile(\"new\", \"" + planted.string() + "\")\n");
  const Outcome saved = Brindle("--console plant.tws");
  EXPECT_EQ(saved.status, 1);
  EXPECT_NE(saved.err.find("symbolic link in a shared folder"), std::string::npos) << saved.err;
  Write("plant.tws", "print fopen(\"" + planted.string() + "\", 2)\nprint filecopy(\"source.txt\", \"" +
                         planted.string() + "\", 1)\n");
  const Outcome opened = Brindle("--console plant.tws");
  EXPECT_EQ(opened.out, "0\n0\n") << opened.err;
  EXPECT_EQ(Read(victim), "precious\r\n");

  // Our own link there, and one owned by the folder's owner, are followed as before.
  ASSERT_EQ(::lchown(planted.c_str(), 0, 0), 0);
  Write("plant.tws", "print savetofile(\"mine\", \"" + planted.string() + "\")\n");
  EXPECT_EQ(Brindle("--console plant.tws").out, "1\n");
  EXPECT_EQ(Read(victim), "mine\r\n");
  EXPECT_TRUE(fs::is_symlink(planted));
}

TEST_F(BrindleCli, MessagesSayWhatIsWrong) {
  fs::create_directories(dir_ / "folder.tws");
  const Outcome folder = Brindle("--console folder.tws");
  EXPECT_EQ(folder.status, 2);
  EXPECT_EQ(folder.err, "folder.tws is a folder, not a script file\n");
#if !defined(__SANITIZE_ADDRESS__)
  // Under a memory limit a huge text fails to allocate; the script's author reads "Out of memory".
  Write("huge.tws", "x = leftpad(\"a\", 1500000000, \" \")\nprint \"after\"\n");
  const Outcome huge = Brindle("--console huge.tws", "", "bash -c 'ulimit -v 600000; exec \"$0\" \"$@\"'");
  EXPECT_EQ(huge.status, 1);
  EXPECT_EQ(huge.err, "[huge.tws] Error: Out of memory on line: 1\n");
#endif
}

}  // namespace

namespace {

TEST_F(BrindleCli, InATerminalADialogEndsTheRunOnceItsDefinitionIsRead) {
  Write("ask.tws", "print \"before\"\ndialog \"Ask\"\n[Euser: ]\nenddialog\nprint \"after\"\n");
  Outcome asked = Brindle("--console ask.tws");
  EXPECT_EQ(asked.status, 1);
  EXPECT_EQ(asked.out, "before\n");
  EXPECT_EQ(asked.err, "[ask.tws] Error: Dialogs need brindle's windows: a display and no --console on line: 2\n");

  Write("broken.tws", "x = 1\ndialog\nWINDOW,0,0,100,100,0,\"\",9,N,\"T\"\nB1,0,0,9,9\nB1,0,0,9,9\nenddialog\nprint \"after\"\n");
  Outcome broken = Brindle("--console broken.tws");
  EXPECT_EQ(broken.status, 1);
  EXPECT_EQ(broken.out, "");
  EXPECT_EQ(broken.err, "Dialog Script Error: \"A control named B1 already exists\" on Line: 3\n");
}

}  // namespace
