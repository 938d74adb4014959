// brindle as a terminal program: what it prints where, and its exit status.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

  Outcome Brindle(const std::string& arguments, const std::string& input = "") {
    std::string command = "cd '" + dir_.string() + "' && printf '" + input + "' | env -u DISPLAY " +
                          BRINDLE_PATH + " " + arguments + " >out.txt 2>err.txt";
    int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read(dir_ / "out.txt"), Read(dir_ / "err.txt")};
  }

  fs::path dir_;
};

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

}  // namespace
