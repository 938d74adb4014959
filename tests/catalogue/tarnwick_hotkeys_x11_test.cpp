// tarnwick's hotkeys on a private X server with openbox and a tray, pressed with xdotool: a script that starts
// an xterm running cat and types into it, with the lock keys on, after the layout changes, held down, during
// another run, beside xbindkeys, and two scripts on one combination.

#include <gtest/gtest.h>

#include <X11/X.h>
#include <X11/keysym.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "test_bed.h"
#include "tray.h"

namespace tw::testbed {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kCtrlAlt = ControlMask | Mod1Mask;

class TarnwickHotKeys : public ::testing::Test {
 protected:
  TarnwickHotKeys() {
    fs::create_directories(bed_.dir() / "run");
    fs::permissions(bed_.dir() / "run", fs::perms::owner_all);
    fs::create_directories(Scripts());
    std::ofstream(bed_.dir() / "runs.log");
  }

  fs::path Scripts() const { return bed_.dir() / "scripts"; }
  std::string Dir() const { return (bed_.dir() / "").string(); }

  // A script that notes its run in runs.log, then `body`.
  void Script(const std::string& path, const std::string& header, const std::string& body) {
    fs::create_directories((Scripts() / path).parent_path());
    const std::string name = fs::path(path).stem().string();
    std::ofstream(Scripts() / path) << header << "#description: " << name << "\n"
                                    << "h = fopen(\"" << Dir() << "runs.log\", 3)\nx = fputs(h, \"" << name
                                    << "\")\nx = fclose(h)\n"
                                    << body;
  }
  // A script whose header starts an xterm titled `name` that writes the first line typed into it to the file
  // `name`; the script types "hello" and waits until the file is there. The xterm closes after the run.
  void TypingScript(const std::string& path, const std::string& hotkey) {
    const std::string name = fs::path(path).stem().string();
    const std::string file = Dir() + name;
    Script(path,
           "#command: xterm -T " + name + " -e sh -c \"head -n 1 > " + file + ".part; mv " + file + ".part " + file +
               "; exec cat\"\n#title: " + name + "\n#autoclose: y\n#hotkey: " + hotkey + "\n",
           "send \"hello{ENTER}\"\nn = 0\nwhile fileexists(\"" + file + "\") = 0 and n < 1200\n  pause 0.05\n"
           "  n = n + 1\nendwhile\n");
  }

  ChildProcess& Start() {
    fs::create_directories(bed_.dir() / "home/.config/tarnwick");
    std::ofstream(bed_.dir() / "home/.config/tarnwick/tarnwick.ini")
        << "[Settings]\nScriptPath=" << Scripts().string() << "/\n[Preferences]\nLoadEditor=0\n[Tips]\nShowTips=0\n";
    return bed_.launch({TARNWICK_PATH}, {{"XDG_RUNTIME_DIR=" + (bed_.dir() / "run").string()},
                                         bed_.dir() / "tarnwick.log", -1});
  }

  void Run(const std::vector<std::string>& argv) {
    ASSERT_EQ(bed_.launch(argv).waitForExit(kPatience), 0) << argv.front() << (argv.size() > 1 ? " " + argv[1] : "");
  }
  // tarnwick holds the combination on the key that carries the keysym now (with exactly these modifiers).
  bool Held(unsigned long keysym, unsigned modifiers) { return bed_.probe().keyGrabbedElsewhere(keysym, modifiers); }

  // What the xterm of `name` received, once it is there and the xterm has closed (the script ends when it
  // sees the file). The file is removed then, for the next press.
  std::string Typed(const std::string& name) {
    const fs::path file = bed_.dir() / name;
    if (!waitUntil([&] { return fs::exists(file); })) return "(nothing)";
    EXPECT_TRUE(waitUntil([&] {
      for (const WindowFacts& w : bed_.probe().allWindows())
        if (w.title == name && w.viewable) return false;
      return true;
    })) << "the xterm " << name << " stays open";
    const std::string text = readFile(file);
    fs::remove(file);
    return text;
  }
  std::vector<std::string> Runs() {
    std::vector<std::string> runs;
    std::ifstream log(bed_.dir() / "runs.log");
    for (std::string line; std::getline(log, line);) runs.push_back(line.substr(0, line.find('\r')));
    return runs;
  }

  TestBed bed_{{.windowManager = true}};
};

TEST_F(TarnwickHotKeys, APressRunsItsScriptWhateverTheLocksAndTheLayout) {
  startTray(bed_);
  TypingScript("typing.tws", "Ctrl+Alt+T");
  TypingScript("Layouts/zed.tws", "Ctrl+Alt+Z");
  Start();
  ASSERT_TRUE(waitUntil([&] { return Held(XK_t, kCtrlAlt) && Held(XK_z, kCtrlAlt); }));

  Run({"xdotool", "key", "ctrl+alt+t"});
  EXPECT_EQ(Typed("typing"), "hello\n") << "plain";
  Run({"xdotool", "key", "Num_Lock", "Caps_Lock"});
  Run({"xdotool", "key", "ctrl+alt+t"});
  EXPECT_EQ(Typed("typing"), "hello\n") << "Num Lock and Caps Lock on (the run switches Caps Lock off)";
  Run({"xmodmap", "-e", "add mod3 = Scroll_Lock"});
  ASSERT_TRUE(waitUntil([&] { return Held(XK_t, kCtrlAlt | Mod3Mask); })) << "the grabs follow the new modifier";
  Run({"xdotool", "key", "Scroll_Lock"});
  ASSERT_NE(bed_.probe().lockedModifiers() & Mod3Mask, 0u);
  Run({"xdotool", "key", "ctrl+alt+t"});
  EXPECT_EQ(Typed("typing"), "hello\n") << "Scroll Lock on as a modifier";
  Run({"xdotool", "key", "Scroll_Lock"});

  // The German layout puts Z where Y was: the grab moves with it.
  Run({"setxkbmap", "de"});
  ASSERT_TRUE(waitUntil([&] { return Held(XK_z, kCtrlAlt); }));
  Run({"xdotool", "key", "ctrl+alt+z"});
  EXPECT_EQ(Typed("zed"), "hello\n") << "Ctrl+Alt+Z on the German layout";
  EXPECT_EQ(Runs(), (std::vector<std::string>{"typing", "typing", "typing", "zed"}));
}

TEST_F(TarnwickHotKeys, AHeldCombinationRunsOnceAndTheScriptWaitsForCtrlAndAltToBeUp) {
  startTray(bed_);
  TypingScript("typing.tws", "Ctrl+Alt+T");
  Start();
  ASSERT_TRUE(waitUntil([&] { return Held(XK_t, kCtrlAlt); }));
  // A second of key repeats before the keys come up.
  Run({"xdotool", "keydown", "ctrl+alt+t", "sleep", "1", "keyup", "t", "keyup", "alt", "keyup", "ctrl"});
  EXPECT_EQ(Typed("typing"), "hello\n") << "typed without Ctrl or Alt";
  // Once the run is over the combination is back; then exactly one run had happened.
  ASSERT_TRUE(waitUntil([&] { return Held(XK_t, kCtrlAlt); }));
  EXPECT_EQ(Runs(), std::vector<std::string>{"typing"});
}

TEST_F(TarnwickHotKeys, DuringARunThePressReachesTheFocusedProgramAndXbindkeysKeepsItsOwn) {
  startTray(bed_);
  // xbindkeys takes Ctrl+Alt+K before tarnwick starts.
  const fs::path config = bed_.dir() / "xbindkeysrc";
  std::ofstream(config) << "\"touch '" << Dir() << "xbindkeys-ran'\"\n  control+alt + k\n";
  bed_.launch({"xbindkeys", "-n", "-f", config.string()});
  ASSERT_TRUE(waitUntil([&] { return Held(XK_k, kCtrlAlt); }));
  TypingScript("typing.tws", "Ctrl+Alt+T");
  Script("taken.tws", "#hotkey: Ctrl+Alt+K\n", "");
  Script("waiting.tws", "#hotkey: Ctrl+Alt+W\n",
         "while fileexists(\"" + Dir() + "go-on\") = 0\n  pause 0.05\nendwhile\n");
  Script("order-a.tws", "#hotkey: Ctrl+Alt+O\n", "");
  Script("Later/order-b.tws", "#hotkey: Ctrl+Alt+O\n", "");
  Start();
  ASSERT_TRUE(waitUntil([&] { return Held(XK_t, kCtrlAlt) && Held(XK_w, kCtrlAlt) && Held(XK_o, kCtrlAlt); }));

  Run({"xdotool", "key", "ctrl+alt+k"});
  EXPECT_TRUE(waitUntil([&] { return fs::exists(bed_.dir() / "xbindkeys-ran"); }));
  Run({"xdotool", "key", "ctrl+alt+o"});
  ASSERT_TRUE(waitUntil([&] { return Runs().size() == 2; }));
  EXPECT_EQ(Runs(), (std::vector<std::string>{"order-a", "order-b"})) << "the root folder first; taken.tws never";

  // While waiting.tws runs the hotkeys are off: Ctrl+Alt+T reaches xev, which has the focus.
  Run({"xdotool", "key", "ctrl+alt+w"});
  ASSERT_TRUE(waitUntil([&] { return Runs().size() == 3; }));
  ASSERT_TRUE(waitUntil([&] { return !Held(XK_t, kCtrlAlt); }));
  const fs::path events = bed_.dir() / "xev.txt";
  bed_.launch({"xev", "-name", "xevwin", "-event", "keyboard"}, {{}, events, -1});
  const unsigned long window = bed_.waitForWindow({"xevwin", "", std::nullopt});  // xev gives no process id
  Run({"xdotool", "windowactivate", "--sync", std::to_string(window)});
  Run({"xdotool", "key", "ctrl+alt+t"});
  EXPECT_TRUE(waitUntil([&] { return readFile(events).find("(keysym 0x74, t)") != std::string::npos; }))
      << readFile(events);
  std::ofstream(bed_.dir() / "go-on");
  ASSERT_TRUE(waitUntil([&] { return Held(XK_t, kCtrlAlt); })) << "back after the run";
  EXPECT_EQ(Runs().size(), 3u) << "the press during the run started nothing";
  Run({"xdotool", "key", "ctrl+alt+t"});
  EXPECT_EQ(Typed("typing"), "hello\n");
}

}  // namespace
}  // namespace tw::testbed
