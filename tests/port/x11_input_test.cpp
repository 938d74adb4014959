// Synthetic input, toggle keys and the bell on a private X server, checked by what really arrived: the text
// an xterm received, the events xev printed, and the server's own keyboard and pointer state.

#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "port/x11/x11_desktop.h"
#include "test_bed.h"
#include "x11_desktop_on.h"

namespace tw::port::x11 {
namespace {

using testbed::readFile;
using testbed::TestBed;
using testbed::waitUntil;

std::size_t occurrences(const std::string& text, const std::string& needle) {
  std::size_t count = 0;
  for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++count;
  return count;
}

TEST(X11Keyboard, TypesIntoAnXtermWhatTheTextSays) {
  TestBed bed({.windowManager = false});
  const auto typed = bed.dir() / "typed.txt";
  auto& process = bed.launch({"xterm", "-T", "tw typing", "-u8", "-e", "sh", "-c", "cat > '" + typed.string() + "'"},
                             {{"LC_ALL=C.UTF-8"}, bed.dir() / "xterm.log", -1});
  const auto window = bed.waitForWindow({"tw typing", "XTerm", process.pid()});
  auto desktop = testbed::OpenDesktopOn(bed);
  ASSERT_TRUE(desktop->windows().activate(window));

  KeyboardInjector& keyboard = desktop->keyboard();
  // On the layout, with Shift, and characters that the layout has no key for (é, €, ß: typed through a
  // spare key code, several in a row).
  for (char32_t c : std::u32string(U"aZ~ {x}@1 éé€ß")) ASSERT_TRUE(keyboard.typeCharacter(c)) << static_cast<unsigned>(c);
  // Shift held by hand over a plain key.
  ASSERT_TRUE(keyboard.pressKey(keys::kShift));
  ASSERT_TRUE(keyboard.typeCharacter(U'q'));
  ASSERT_TRUE(keyboard.releaseKey(keys::kShift));
  ASSERT_TRUE(keyboard.pressKey(keys::kEnter));
  ASSERT_TRUE(keyboard.releaseKey(keys::kEnter));

  EXPECT_TRUE(waitUntil([&] { return readFile(typed) == "aZ~ {x}@1 éé€ßQ\n"; })) << "got: " << readFile(typed);
}

TEST(X11Keyboard, KnowsHowTheLayoutTypesACharacter) {
  TestBed bed({.windowManager = false});
  auto desktop = testbed::OpenDesktopOn(bed);
  KeyboardInjector& keyboard = desktop->keyboard();
  EXPECT_EQ(keyboard.strokeFor(U'a'), (KeyStroke{XK_a, false, false}));
  EXPECT_EQ(keyboard.strokeFor(U'A'), (KeyStroke{XK_a, true, false}));
  EXPECT_EQ(keyboard.strokeFor(U'@'), (KeyStroke{XK_2, true, false}));
  EXPECT_EQ(keyboard.strokeFor(U' '), (KeyStroke{XK_space, false, false}));
  EXPECT_EQ(keyboard.strokeFor(U'\t'), (KeyStroke{XK_Tab, false, false}));
  EXPECT_EQ(keyboard.strokeFor(U'é'), std::nullopt) << "the US layout has no é";
  EXPECT_FALSE(keyboard.pressKey(0x10026a1)) << "no key carries it";
  EXPECT_FALSE(keyboard.typeCharacter(0x01));
}

TEST(X11Pointer, MovesAndClicksWhereTheServerSeesIt) {
  TestBed bed({.windowManager = false});
  auto& xev = bed.launch({"xev", "-geometry", "300x200+0+0", "-event", "button"}, {{}, bed.dir() / "xev.txt", -1});
  bed.waitForWindow({"Event Tester", "", std::nullopt});
  auto desktop = testbed::OpenDesktopOn(bed);
  MouseInjector& mouse = desktop->mouse();
  (void)xev;

  ASSERT_TRUE(mouse.moveTo({1000, 700}));
  EXPECT_EQ(bed.probe().pointer(), (std::pair{1000, 700}));
  EXPECT_EQ(mouse.position(), (Point{1000, 700}));

  ASSERT_TRUE(mouse.moveTo({120, 80}));
  const struct {
    MouseButton button;
    const char* name;
  } buttons[] = {{MouseButton::Left, "button 1"}, {MouseButton::Middle, "button 2"}, {MouseButton::Right, "button 3"}};
  for (const auto& b : buttons) {
    ASSERT_TRUE(mouse.press(b.button));
    ASSERT_TRUE(mouse.release(b.button));
  }
  const auto log = bed.dir() / "xev.txt";
  ASSERT_TRUE(waitUntil([&] { return occurrences(readFile(log), "ButtonRelease event") == 3; })) << readFile(log);
  const std::string events = readFile(log);
  std::size_t at = 0;
  for (const auto& b : buttons) {
    for (const char* kind : {"ButtonPress event", "ButtonRelease event"}) {
      at = events.find(kind, at);
      ASSERT_NE(at, std::string::npos) << kind << " for " << b.name << " in:\n" << events;
      at = events.find(b.name, at);
      ASSERT_NE(at, std::string::npos) << b.name << " in:\n" << events;
    }
  }
  EXPECT_NE(events.find("(120,80)"), std::string::npos) << "clicks land at the pointer";
}

TEST(X11ToggleKeys, SwitchTheRealLocksBothWays) {
  TestBed bed({.windowManager = false});
  auto desktop = testbed::OpenDesktopOn(bed);
  ToggleKeys& toggles = desktop->toggleKeys();
  auto& probe = bed.probe();
  const struct {
    ToggleKey key;
    unsigned long keysym;
  } locks[] = {{ToggleKey::CapsLock, XK_Caps_Lock}, {ToggleKey::NumLock, XK_Num_Lock}};
  for (const auto& lock : locks) {
    const unsigned mask = probe.modifierMaskFor(lock.keysym);
    ASSERT_NE(mask, 0u);
    for (const bool on : {true, true, false, false, true, false}) {
      ASSERT_TRUE(toggles.set(lock.key, on));
      EXPECT_EQ(toggles.isOn(lock.key), on);
      EXPECT_EQ((probe.lockedModifiers() & mask) != 0, on);
    }
  }
  // Scroll Lock locks no modifier on this layout; where the keyboard has it, its light is its state.
  if (const auto scroll = toggles.isOn(ToggleKey::ScrollLock)) {
    for (const bool on : {true, false}) {
      if (toggles.set(ToggleKey::ScrollLock, on)) {
        EXPECT_EQ(toggles.isOn(ToggleKey::ScrollLock), on);
        EXPECT_EQ(probe.indicator("Scroll Lock"), on);
      } else {
        EXPECT_NE(toggles.isOn(ToggleKey::ScrollLock), on) << "a failed set reports the state it could not change";
      }
    }
  }
}

TEST(X11Bell, RingsTheServerBellUnderTheAlertsName) {
  TestBed bed({.windowManager = false});
  auto desktop = testbed::OpenDesktopOn(bed);
  bed.probe().watchBells();
  const Alert alerts[] = {Alert::Default, Alert::Information, Alert::Exclamation, Alert::Error, Alert::Question};
  for (Alert alert : alerts) ASSERT_TRUE(desktop->bell().ring(alert));
  const std::vector<std::string> expected{"bell", "dialog-information", "dialog-warning", "dialog-error",
                                          "dialog-question"};
  EXPECT_TRUE(waitUntil([&] { return bed.probe().bellsRung().size() >= expected.size(); }));
  EXPECT_EQ(bed.probe().bellsRung(), expected);
}

}  // namespace
}  // namespace tw::port::x11
