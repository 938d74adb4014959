// System-wide hotkeys on a private X server, pressed with xdotool as a person would: lock keys, a layout that
// moves the key, a combination held down, and one that another program (xbindkeys) holds.

#include <gtest/gtest.h>

#include <X11/X.h>
#include <X11/keysym.h>

#include <poll.h>

#include <chrono>
#include <fstream>

#include "port/x11/x11_hotkeys.h"
#include "test_bed.h"
#include "x11_desktop_on.h"

namespace tw::port::x11 {
namespace {

using testbed::readFile;
using testbed::TestBed;
using testbed::waitUntil;

constexpr KeyCombination kCtrlAltT{kControlModifier | kAltModifier, XK_t};
constexpr KeyCombination kCtrlAltZ{kControlModifier | kAltModifier, XK_z};

class X11HotKeysTest : public ::testing::Test {
 protected:
  X11HotKeysTest() {
    std::string problem;
    hotkeys_ = X11HotKeys::open(bed_.display(), problem);
    if (!hotkeys_) throw std::runtime_error(problem);
  }

  void Run(const std::vector<std::string>& argv) { ASSERT_EQ(bed_.launch(argv).waitForExit(testbed::kPatience), 0) << argv[0]; }

  // Serves the hotkeys after a change of the keyboard made by another program: a round trip brings its
  // notices in, the serving takes the grabs along.
  void TakeChanges() {
    hotkeys_->modifiersHeld();
    EXPECT_TRUE(hotkeys_->takePresses().empty());
  }

  // The presses that reach us after `keys` (xdotool key arguments).
  std::vector<int> PressesAfter(const std::vector<std::string>& keys) {
    std::vector<std::string> argv{"xdotool", "key"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    Run(argv);
    std::vector<int> presses;
    // Once xdotool has ended the server has the events; a round trip makes sure we have them too.
    hotkeys_->modifiersHeld();
    waitUntil(
        [&] {
          for (int id : hotkeys_->takePresses()) presses.push_back(id);
          return !presses.empty();
        },
        std::chrono::seconds(2));
    return presses;
  }

  TestBed bed_{{.windowManager = false}};
  std::unique_ptr<X11HotKeys> hotkeys_;
};

TEST_F(X11HotKeysTest, ACombinationWorksWithEveryLockOnAndFollowsTheLayout) {
  ASSERT_TRUE(hotkeys_->grab(1, kCtrlAltT));
  ASSERT_TRUE(hotkeys_->grab(2, kCtrlAltZ));
  auto desktop = testbed::OpenDesktopOn(bed_);
  ToggleKeys& locks = desktop->toggleKeys();

  EXPECT_EQ(PressesAfter({"ctrl+alt+t"}), std::vector<int>{1});
  EXPECT_TRUE(PressesAfter({"ctrl+t", "alt+t", "ctrl+alt+shift+t"}).empty()) << "other modifiers are no match";
  ASSERT_TRUE(locks.set(ToggleKey::NumLock, true));
  EXPECT_EQ(PressesAfter({"ctrl+alt+t"}), std::vector<int>{1}) << "Num Lock on";
  ASSERT_TRUE(locks.set(ToggleKey::CapsLock, true));
  EXPECT_EQ(PressesAfter({"ctrl+alt+t"}), std::vector<int>{1}) << "Num Lock and Caps Lock on";
  // Scroll Lock locks a modifier only once the map makes it one; the grabs must be renewed then.
  Run({"xmodmap", "-e", "add mod3 = Scroll_Lock"});
  TakeChanges();
  Run({"xdotool", "key", "Scroll_Lock"});
  ASSERT_NE(bed_.probe().lockedModifiers() & Mod3Mask, 0u);
  EXPECT_EQ(PressesAfter({"ctrl+alt+t"}), std::vector<int>{1}) << "all three locks on";

  // The German layout swaps Y and Z: the grab moves to the key that now carries Z. (Scroll Lock goes off
  // first: the new map no longer makes it a modifier, which would leave Mod3 locked for good.)
  Run({"xdotool", "key", "Scroll_Lock"});
  Run({"setxkbmap", "de"});
  TakeChanges();
  EXPECT_EQ(PressesAfter({"ctrl+alt+z"}), std::vector<int>{2});
  EXPECT_TRUE(PressesAfter({"ctrl+alt+y"}).empty());
}

TEST_F(X11HotKeysTest, AHeldCombinationIsOnePressAndTheKeyboardGoesBackAtOnce) {
  ASSERT_TRUE(hotkeys_->grab(1, kCtrlAltT));
  // The first repeat comes 1.5 s after the press, which leaves time to look at the keyboard before it.
  Run({"xset", "r", "rate", "1500", "25"});
  Run({"xdotool", "keydown", "ctrl+alt+t"});
  std::vector<int> presses;
  ASSERT_TRUE(waitUntil([&] {
    for (int id : hotkeys_->takePresses()) presses.push_back(id);
    return !presses.empty();
  }));
  // The grab that the press started is given back: another client can take the keyboard.
  EXPECT_FALSE(bed_.probe().keyboardGrabbed());
  EXPECT_TRUE(hotkeys_->modifiersHeld());
  // Held on for a second of repeats: still the one press.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
  while (std::chrono::steady_clock::now() < until) {
    for (int id : hotkeys_->takePresses()) presses.push_back(id);
    pollfd watch{hotkeys_->eventDescriptor(), POLLIN, 0};
    ::poll(&watch, 1, 50);
  }
  Run({"xdotool", "keyup", "t", "keyup", "alt", "keyup", "ctrl"});
  EXPECT_TRUE(waitUntil([&] { return !hotkeys_->modifiersHeld(); }));
  for (int id : hotkeys_->takePresses()) presses.push_back(id);
  EXPECT_EQ(presses, std::vector<int>{1});
  // Released and pressed again: a new press.
  EXPECT_EQ(PressesAfter({"ctrl+alt+t"}), std::vector<int>{1});
}

TEST_F(X11HotKeysTest, ACombinationAnotherProgramHoldsIsRefusedAndStaysItsOwn) {
  const auto touched = bed_.dir() / "xbindkeys-ran";
  const auto config = bed_.dir() / "xbindkeysrc";
  std::ofstream(config) << "\"touch '" << touched.string() << "'\"\n  control+alt + k\n";
  bed_.launch({"xbindkeys", "-n", "-f", config.string()});
  ASSERT_TRUE(waitUntil([&] { return bed_.probe().keyGrabbedElsewhere(XK_k, ControlMask | Mod1Mask); }));

  EXPECT_FALSE(hotkeys_->grab(1, {kControlModifier | kAltModifier, XK_k}));
  EXPECT_FALSE(hotkeys_->grab(2, {kControlModifier, keys::kNone}));
  EXPECT_FALSE(hotkeys_->grab(3, {kControlModifier, 0x10026a1})) << "no key carries it";
  ASSERT_TRUE(hotkeys_->grab(4, kCtrlAltT));
  EXPECT_TRUE(PressesAfter({"ctrl+alt+k"}).empty());
  EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(touched); }));
  EXPECT_EQ(PressesAfter({"ctrl+alt+t"}), std::vector<int>{4});

  // Given back, the combination is free for others.
  hotkeys_->release(4);
  EXPECT_FALSE(bed_.probe().keyGrabbedElsewhere(XK_t, ControlMask | Mod1Mask));
  EXPECT_TRUE(PressesAfter({"ctrl+alt+t"}).empty());
}

}  // namespace
}  // namespace tw::port::x11
