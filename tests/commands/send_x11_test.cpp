// send into real programs under a private X server: what the terminal reads, on two layouts, and
// many keys in a row.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

#include "commands/library_support.h"
#include "temp_dir.h"
#include "test_bed.h"
#include "waiting.h"
#include "x11_desktop_on.h"

// Xlib last: its macros would clash with the headers above.
#include <X11/Xlib.h>

namespace tw {
namespace {

using testbed::readFile;
using testbed::TestBed;
using testbed::waitUntil;

class SendToXterm : public ::testing::Test {
 protected:
  void Start(bool windowManager, const std::string& layout = "") {
    desktop_.reset();  // let go of the old server before it stops
    bed_.reset();
    bed_ = std::make_unique<TestBed>(testbed::TestBedOptions{.windowManager = windowManager});
    if (!layout.empty()) {
      ASSERT_EQ(bed_->launch({"setxkbmap", "-display", bed_->display(), layout}).waitForExit(std::chrono::seconds(60)), 0);
    }
    typed_ = bed_->dir() / "typed.txt";
    auto& process = bed_->launch({"xterm", "-T", "tw send", "-u8", "-e", "sh", "-c", "cat > '" + typed_.string() + "'"},
                                 {{"LC_ALL=C.UTF-8"}, bed_->dir() / "xterm.log", -1});
    window_ = bed_->waitForWindow({"tw send", "XTerm", process.pid()});
    desktop_ = testbed::OpenDesktopOn(*bed_);
  }

  std::vector<std::string> Send(const std::string& script) {
    test::RecordingHost host;
    TTarnwickBasic library(host, *desktop_);
    VariableTable globals;
    library.SetGlobals(&globals);
    library.SetTargetWindow(window_);
    library.SetScriptText(script, "test.tws");
    library.Run(0);
    notices_ = host.Notices;
    return host.ScriptErrors;
  }

  // True when no key of the keyboard is down.
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
  std::filesystem::path typed_;
  unsigned long window_ = 0;
  std::unique_ptr<port::x11::X11Desktop> desktop_;
  std::vector<std::string> notices_;
};

TEST_F(SendToXterm, KeyStringsArriveAsWritten) {
  Start(true);
  EXPECT_TRUE(Send("send \"~a{a}{a 3}|{{}{}}{~}+%(ab)|{INSERT}x{TAB}y{ENTER}\"").empty());
  EXPECT_TRUE(waitUntil([&] { return readFile(typed_) == "AAAAA|{}~+%ab|x\ty\n"; })) << readFile(typed_);
  EXPECT_EQ(notices_, (std::vector<std::string>{"SendKeys|Invalid Key Name"}));
  EXPECT_TRUE(Send("send \"z{ENTER\"").empty());
  EXPECT_EQ(notices_, (std::vector<std::string>{"SendKeys|No Close"}));
  EXPECT_TRUE(NoKeyDown());
}

// A macro block reaches the terminal as its lines with Enter between them and none after the last: the Shift
// prefix capitalises every line, a "%" line types only its Enter, parentheses arrive as written and a |name|
// value as the variable's text.
TEST_F(SendToXterm, AMacroTypesItsLinesWithEnterBetweenThemAndNoneAtTheEnd) {
  Start(true);
  EXPECT_TRUE(Send("name = \"ada\"\n"
                   "macro \"tw send\", \"~\"\n"
                   "  hello |name|\n"
                   "  % not typed\n"
                   "  f(x)\n"
                   "  last\n"
                   "endmacro\n")
                  .empty());
  EXPECT_TRUE(waitUntil([&] { return readFile(typed_) == "Hello ada\n\nF(x)\n"; })) << readFile(typed_);
  EXPECT_TRUE(Send("send \"^d\"").empty());  // cat takes the unfinished line as it is
  EXPECT_TRUE(waitUntil([&] { return readFile(typed_) == "Hello ada\n\nF(x)\nLast"; })) << readFile(typed_);
}

TEST_F(SendToXterm, TextBeyondAsciiOnUsAndGermanLayouts) {
  for (const char* layout : {"us", "de"}) {
    Start(false, layout);
    EXPECT_TRUE(Send("send \"é ß € ñ 日 yz {@}{ENTER}\"").empty()) << layout;
    EXPECT_TRUE(waitUntil([&] { return readFile(typed_) == "é ß € ñ 日 yz @\n"; })) << layout << ": " << readFile(typed_);
    EXPECT_TRUE(NoKeyDown()) << layout;
  }
}

TEST_F(SendToXterm, TenThousandCharactersArriveInOrder) {
  Start(true);
  // Lines stay short: a terminal in line mode keeps at most about 4 KiB of one line.
  const std::string alphabet = "abcXYZ019 ,.;-=/~!#$%&*_<>?|";
  std::string text;
  std::string keys;
  for (std::size_t i = 0; text.size() < 10000; ++i) {
    const char c = alphabet[i % alphabet.size()];
    text += c;
    keys += c == '~' ? std::string("{~}") : std::string(1, c);
    if (i % 60 == 59) {
      text += '\n';
      keys += "{ENTER}";
    }
  }
  text += '\n';
  keys += "{ENTER}";
  EXPECT_TRUE(Send("send \"" + keys + "\"").empty());
  EXPECT_TRUE(waitUntil([&] { return readFile(typed_).size() >= text.size(); }, std::chrono::seconds(120)));
  const std::string got = readFile(typed_);
  const auto differ = std::mismatch(text.begin(), text.end(), got.begin(), got.end());
  EXPECT_EQ(got.size(), text.size());
  EXPECT_TRUE(got == text) << "first difference at " << (differ.first - text.begin());
  EXPECT_TRUE(NoKeyDown());
}

// xev names every key event it gets: the order of presses and releases shows which modifiers were held.
TEST(SendToXev, ModifiersAreHeldAroundTheirKeysAndReleasedAfter) {
  TestBed bed({.windowManager = true});
  const auto file = bed.dir() / "xev.txt";
  bed.launch({"stdbuf", "-oL", "xev", "-geometry", "300x200+50+50", "-event", "keyboard"}, {{}, file, -1});
  const unsigned long window = bed.waitForWindow({.title = "Event Tester", .className = "", .pid = std::nullopt});
  auto desktop = testbed::OpenDesktopOn(bed);
  test::RecordingHost host;
  TTarnwickBasic library(host, *desktop);
  VariableTable globals;
  library.SetGlobals(&globals);
  library.SetTargetWindow(window);
  library.SetScriptText("send \"^c^(ac){TAB 2}{BKSP}{BS}{INSERT}x{ENTER\"", "test.tws");
  library.Run(0);
  EXPECT_TRUE(host.ScriptErrors.empty());
  EXPECT_EQ(host.Notices, (std::vector<std::string>{"SendKeys|Invalid Key Name", "SendKeys|No Close"}));
  const std::vector<std::string> expected{
      "+Control_L", "+c", "-c", "-Control_L",                                 // ^c
      "+Control_L", "+a", "-a", "+c", "-c", "-Control_L",                     // ^(ac)
      "+Tab", "-Tab", "+Tab", "-Tab", "+BackSpace", "-BackSpace", "+BackSpace", "-BackSpace",
      "+x", "-x"};                                                            // nothing after {ENTER
  std::vector<std::string> events;
  EXPECT_TRUE(waitUntil([&] {
    events.clear();
    const std::string text = readFile(file);
    static const std::regex key(R"(Key(Press|Release) event[^]*?keysym 0x[0-9a-f]+, ([A-Za-z_0-9]+)\))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), key); it != std::sregex_iterator(); ++it)
      events.push_back(((*it)[1] == "Press" ? "+" : "-") + (*it)[2].str());
    return events.size() >= expected.size();
  }));
  EXPECT_EQ(events, expected);
}

}  // namespace
}  // namespace tw
