// brindle typing into real programs on a private X server: text beyond the layout arrives exactly in a
// terminal, a GTK and a Qt program even when brindle ends right after typing; keys never go to another
// program; a stop signal, a lost target and a lost display end the run cleanly. After every run no key is
// down and the keyboard mapping is as it was.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "test_bed.h"

// Last: Xlib defines names such as None that other headers use.
#include <X11/Xlib.h>

namespace tw::testbed {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kRounds = 20;

std::string Utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

std::string Range(char32_t first, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += Utf8(first + static_cast<char32_t>(i));
  return text;
}

enum class Sink { Xterm, Gtk, Qt };

class BrindleSend : public ::testing::Test {
 protected:

  void StartBed() { bed_ = std::make_unique<TestBed>(TestBedOptions{.windowManager = true}); }

  // A program that writes what is typed into it to a file; returns that file.
  fs::path StartSink(Sink sink, const std::string& title) {
    const fs::path file = bed_->dir() / (title + ".txt");
    std::ofstream(file).flush();
    const LaunchOptions options{{"LC_ALL=C.UTF-8"}, bed_->dir() / (title + ".log"), -1};
    std::vector<std::string> argv;
    switch (sink) {
      case Sink::Xterm:
        // -icanon: each byte reaches cat at once, so what arrived can be counted before a line ends.
        argv = {"xterm", "-T", title, "-u8", "-e", "sh", "-c",
                "stty -echo -icanon; exec cat >> '" + file.string() + "'"};
        break;
      case Sink::Gtk: argv = {GTK_SINK_PATH, title, file.string()}; break;
      case Sink::Qt: argv = {QT_SINK_PATH, title, file.string()}; break;
    }
    auto& process = bed_->launch(argv, options);
    windows_[title] = bed_->waitForWindow({title, "", process.pid()});
    processes_[title] = &process;
    return file;
  }

  struct Outcome {
    std::optional<int> status;
    std::string errors;
  };

  ChildProcess& StartBrindle(const std::string& script) {
    const fs::path file = bed_->dir() / "run.tws";
    std::ofstream(file, std::ios::binary) << script;
    fs::remove(bed_->dir() / "brindle.log");
    return bed_->launch({BRINDLE_PATH, "--console", file.string()}, {{}, bed_->dir() / "brindle.log", -1});
  }

  Outcome RunBrindle(const std::string& script) {
    ChildProcess& brindle = StartBrindle(script);
    Outcome outcome{brindle.waitForExit(kPatience), {}};
    outcome.errors = readFile(bed_->dir() / "brindle.log");
    return outcome;
  }

  std::string Keymap() {
    const fs::path out = bed_->dir() / "keymap.txt";
    auto& xmodmap = bed_->launch({"xmodmap", "-display", bed_->display(), "-pke"}, {{}, out, -1});
    EXPECT_EQ(xmodmap.waitForExit(kPatience), 0);
    return readFile(out);
  }

  // True when no key of the keyboard is down, as the server sees it.
  bool NoKeyDown() {
    Display* display = XOpenDisplay(bed_->display().c_str());
    char keys[32] = {};
    XQueryKeymap(display, keys);
    XCloseDisplay(display);
    for (char byte : keys)
      if (byte) return false;
    return true;
  }

  std::unique_ptr<TestBed> bed_;
  std::map<std::string, unsigned long> windows_;
  std::map<std::string, ChildProcess*> processes_;
};

// Each script ends right after its last send: the end of the run must wait until the program has read the
// keys typed through lent keys, and no lent key may change its character before that.
class BrindleSendExactly : public BrindleSend, public ::testing::WithParamInterface<Sink> {
 public:
  void Check() {
    StartBed();
    const fs::path file = StartSink(GetParam(), "tw sink");
    const std::string before = Keymap();
    const std::string accents = "äöüßéèêëïîôûçñ€åæøœ";
    const std::string cyrillic = Range(0x410, 60), latin = Range(0x100, 60), cjk = Range(0x4E00, 300);
    struct Script {
      const char* name;
      std::string text;
      std::string typed;
    };
    const Script scripts[] = {
        {"names", "send \"Köln Zoë Müller €{ENTER}\"\n", "Köln Zoë Müller €\n"},
        {"accents twice", "send \"" + accents + "\"\nsend \"" + accents + "{ENTER}\"\n", accents + accents + "\n"},
        {"300 CJK characters", "send \"" + cjk + "{ENTER}\"\n", cjk + "\n"},
        {"60 then 60 others", "send \"" + cyrillic + "\"\nsend \"" + latin + "{ENTER}\"\n", cyrillic + latin + "\n"},
    };
    std::string expected;
    for (int round = 1; round <= kRounds; ++round) {
      for (const Script& script : scripts) {
        SCOPED_TRACE(std::string(script.name) + ", round " + std::to_string(round));
        const Outcome outcome = RunBrindle("x = focus(\"tw sink\", 5)\n" + script.text);
        ASSERT_EQ(outcome.status, 0) << outcome.errors;
        expected += script.typed;
        ASSERT_TRUE(waitUntil([&] { return readFile(file) == expected; }, 20s))
            << "expected the end of\n" << expected << "\ngot the end of\n" << readFile(file);
        ASSERT_TRUE(NoKeyDown());
        ASSERT_EQ(Keymap(), before);
      }
    }
  }
};

TEST_P(BrindleSendExactly, EveryRunArrivesWholeAndLeavesTheKeyboardAsItWas) { Check(); }

INSTANTIATE_TEST_SUITE_P(Sinks, BrindleSendExactly,
                         ::testing::Values(Sink::Xterm, Sink::Gtk, Sink::Qt),
                         [](const auto& sink) {
                           switch (sink.param) {
                             case Sink::Xterm: return std::string("Xterm");
                             case Sink::Gtk: return std::string("Gtk");
                             case Sink::Qt: return std::string("Qt");
                           }
                           return std::string();
                         });

// A long send into a target that goes away, or loses the focus to another program half-way: the other
// program (which then has the focus) gets at most a few keys, and the run ends with the error.
TEST_F(BrindleSend, KeysStopWhenTheTargetGoesOrLosesTheFocus) {
  for (const bool kill : {true, false}) {
    SCOPED_TRACE(kill ? "target killed" : "focus moved");
    StartBed();
    const fs::path bystander = StartSink(Sink::Xterm, "tw bystander");
    const fs::path target = StartSink(Sink::Xterm, "tw target");
    ChildProcess& brindle = StartBrindle("x = focus(\"tw target\", 5)\nsend \"{x 50000}{x 50000}\"\nprint \"after\"\n");
    ASSERT_TRUE(waitUntil([&] { return fs::file_size(target) >= 500; })) << readFile(bed_->dir() / "brindle.log");
    if (kill) {
      processes_["tw target"]->stop();
    } else {
      auto& activate = bed_->launch({"xdotool", "windowactivate", std::to_string(windows_["tw bystander"])});
      ASSERT_EQ(activate.waitForExit(kPatience), 0);
    }
    ASSERT_EQ(brindle.waitForExit(kPatience), 1);
    const std::string errors = readFile(bed_->dir() / "brindle.log");
    EXPECT_NE(errors.find("Cannot Send to Active Window"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("after"), std::string::npos);
    EXPECT_LE(fs::file_size(bystander), 16u) << readFile(bystander).size() << " keys went to the bystander";
    EXPECT_LT(fs::file_size(target), 100000u);
    EXPECT_TRUE(NoKeyDown());
  }
}

// Ctrl+S opens the program's own dialog: it belongs to the target's program, so the rest goes there.
TEST_F(BrindleSend, KeysFollowIntoADialogOfTheTargetProgram) {
  StartBed();
  const fs::path file = StartSink(Sink::Qt, "tw editor");
  const Outcome outcome = RunBrindle("x = focus(\"tw editor\", 5)\nsend \"Köln^slettre €.txt{ENTER}\"\n");
  EXPECT_EQ(outcome.status, 0) << outcome.errors;
  EXPECT_TRUE(waitUntil([&] { return readFile(file.string() + ".name") == "lettre €.txt"; }))
      << readFile(file.string() + ".name");
  EXPECT_EQ(readFile(file), "Köln");
}

// SIGINT and SIGTERM half a second into a long send that uses lent keys: the run stops at once with 130 or
// 143, holds no key, gives the lent keys back, and what the script wrote before is on disk.
TEST_F(BrindleSend, StopSignalsEndALongSendCleanly) {
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal == SIGINT ? "SIGINT" : "SIGTERM");
    StartBed();
    const fs::path target = StartSink(Sink::Xterm, "tw target");
    const std::string before = Keymap();
    const fs::path folder = bed_->dir() / "work";
    fs::create_directories(folder);
    std::string keys;
    for (int i = 0; i < 2000; ++i) keys += "abc é€日 {x 40}";
    ChildProcess& brindle = StartBrindle("h = fopen(\"" + (folder / "log.txt").string() +
                                         "\", 2)\nfputs(h, \"written before\")\nx = focus(\"tw target\", 5)\n"
                                         "send \"" + keys + "\"\nfputs(h, \"written after\")\n");
    ASSERT_TRUE(waitUntil([&] { return fs::file_size(target) >= 200; }));
    ::kill(brindle.pid(), signal);
    const auto signalled = std::chrono::steady_clock::now();
    EXPECT_EQ(brindle.waitForExit(kPatience), 128 + signal) << readFile(bed_->dir() / "brindle.log");
    // The issue asks for a second; a loaded test machine gets some slack.
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 3s);
    EXPECT_TRUE(NoKeyDown());
    EXPECT_EQ(Keymap(), before);
    EXPECT_EQ(readFile(folder / "log.txt"), "written before\r\n");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"log.txt"});
  }
}

// The X server dies while brindle types: the process says so and ends with status 1, never with a crash,
// whichever of its threads meets the broken connection first.
TEST_F(BrindleSend, ALostDisplayEndsTheRunWithStatusOne) {
  for (int round = 1; round <= 30; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    bed_ = std::make_unique<TestBed>(TestBedOptions{.windowManager = false});
    windows_.clear();
    processes_.clear();
    const fs::path target = StartSink(Sink::Xterm, "tw target");
    ChildProcess& brindle = StartBrindle("x = focus(\"tw target\", 5)\nsend \"{x 50000}{x 50000}\"\n");
    ASSERT_TRUE(waitUntil([&] { return fs::file_size(target) >= static_cast<std::uintmax_t>(round * 20); }))
        << readFile(bed_->dir() / "brindle.log");
    bed_->killServer();
    EXPECT_EQ(brindle.waitForExit(kPatience), 1);
    const std::string errors = readFile(bed_->dir() / "brindle.log");
    EXPECT_NE(errors.find("lost the connection to the display"), std::string::npos) << errors;
  }
}

}  // namespace
}  // namespace tw::testbed
