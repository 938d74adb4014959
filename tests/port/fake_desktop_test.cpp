// The in-memory desktop that command tests run against: its windows behave like a desktop's, and its log
// records exactly what was done to it.

#include <gtest/gtest.h>

#include "port/fake/fake_desktop.h"

namespace tw::port::fake {
namespace {

TEST(FakeDesktop, WindowsStackActivateAndKeepTheirStateLikeADesktop) {
  FakeDesktop desktop;
  FakeWindows& windows = desktop.fakeWindows();
  const WindowId editor = windows.add({.title = "notes - Editor", .refusedActivations = 2});
  const WindowId shell = windows.add({.title = "Shell"});
  const WindowId button = windows.addChild(editor, {.title = "OK"});
  const WindowId label = windows.addChild(button, {.title = "label"});

  EXPECT_EQ(windows.topLevelWindows(), (std::vector<WindowId>{shell, editor}));
  EXPECT_EQ(windows.descendants(editor), (std::vector<WindowId>{button, label}));
  EXPECT_EQ(windows.topLevelOf(label), editor);

  // Activation fails as often as scripted, then succeeds and raises the window; a child stands for its window.
  EXPECT_FALSE(windows.activate(button));
  EXPECT_FALSE(windows.activate(editor));
  EXPECT_TRUE(windows.activate(label));
  EXPECT_EQ(windows.activeWindow(), editor);
  EXPECT_EQ(windows.topLevelWindows().front(), editor);

  // Restoring a window minimised from maximised brings it back maximised; restoring again makes it normal.
  windows.maximise(editor);
  windows.minimise(editor);
  EXPECT_EQ(windows.state(editor), (WindowState{true, true, false}));
  windows.restore(editor);
  EXPECT_EQ(windows.state(editor), (WindowState{true, false, true}));
  windows.restore(editor);
  EXPECT_EQ(windows.state(editor), (WindowState{true, false, false}));

  EXPECT_TRUE(windows.close(button));
  EXPECT_FALSE(windows.exists(editor));
  EXPECT_FALSE(windows.exists(label));
  EXPECT_FALSE(windows.close(editor));
  EXPECT_EQ(windows.activeWindow(), kNoWindow);

  EXPECT_EQ(desktop.log(), (ActionLog{"activate notes - Editor", "activate notes - Editor", "activate notes - Editor",
                                      "maximise notes - Editor", "minimise notes - Editor", "restore notes - Editor",
                                      "restore notes - Editor", "close notes - Editor", "close #1"}));
}

TEST(FakeDesktop, OneLogOrdersTheActionsOfEveryServiceAndLeavesQueriesOut) {
  FakeDesktop desktop;
  const WindowId w = desktop.fakeWindows().add({.title = "Editor"});
  desktop.fakeProcesses().markMissing("ghost");

  (void)desktop.windows().title(w);
  (void)desktop.windows().state(w);
  (void)desktop.mouse().position();
  (void)desktop.toggleKeys().isOn(ToggleKey::CapsLock);
  (void)desktop.clipboard().text();
  EXPECT_TRUE(desktop.log().empty());

  desktop.windows().activate(w);
  desktop.keyboard().pressKey(keys::kControl);
  desktop.keyboard().typeCharacter(U'é');
  desktop.keyboard().releaseKey(keys::kControl);
  desktop.mouse().moveTo({10, 20});
  desktop.mouse().press(MouseButton::Right);
  desktop.toggleKeys().set(ToggleKey::CapsLock, false);  // already off: nothing happens
  desktop.toggleKeys().set(ToggleKey::NumLock, true);
  desktop.clipboard().setText("copied");
  desktop.bell().ring(Alert::Question);
  EXPECT_TRUE(desktop.media().play("/tmp/a.wav"));
  EXPECT_TRUE(desktop.processes().start("prog", {"-a", "two words"}).started);
  EXPECT_FALSE(desktop.processes().start("ghost", {}).started);
  desktop.session().request(SessionEnd::Reboot);

  EXPECT_EQ(desktop.log(),
            (ActionLog{"activate Editor", "key down Control", "type é", "key up Control", "mouse move 10,20",
                       "mouse down right", "toggle NumLock on", "clipboard set copied", "beep Question",
                       "play /tmp/a.wav", "start prog -a two words", "start ghost", "session reboot"}));
  EXPECT_EQ(desktop.fakeProcesses().starts().front(), (StartRequest{"prog", {"-a", "two words"}, ""}));
  EXPECT_EQ(desktop.mouse().position(), (Point{10, 20}));
}

TEST(FakeDesktop, KeyboardLayoutIsAUsKeyboard) {
  FakeDesktop desktop;
  KeyboardInjector& keyboard = desktop.keyboard();
  EXPECT_EQ(keyboard.strokeFor(U'a'), (KeyStroke{'a', false, false}));
  EXPECT_EQ(keyboard.strokeFor(U'A'), (KeyStroke{'a', true, false}));
  EXPECT_EQ(keyboard.strokeFor(U'{'), (KeyStroke{'[', true, false}));
  EXPECT_EQ(keyboard.strokeFor(U'~'), (KeyStroke{'`', true, false}));
  EXPECT_EQ(keyboard.strokeFor(U' '), (KeyStroke{keys::kSpace, false, false}));
  EXPECT_EQ(keyboard.strokeFor(U'é'), std::nullopt);
  EXPECT_EQ(keyboard.strokeFor(U'\n'), std::nullopt);
}

TEST(FakeDesktop, WithoutADisplayOnlyTheDisplayServicesFail) {
  FakeDesktop desktop;
  desktop.removeDisplay("DISPLAY is not set");
  EXPECT_FALSE(desktop.hasDisplay());
  EXPECT_EQ(desktop.displayProblem(), "no display: DISPLAY is not set");
  try {
    desktop.windows().topLevelWindows();
    FAIL() << "windows() worked without a display";
  } catch (const ServiceUnavailable& e) {
    EXPECT_STREQ(e.what(), "no display: DISPLAY is not set");
  }
  EXPECT_THROW(desktop.keyboard().typeCharacter(U'a'), ServiceUnavailable);
  EXPECT_THROW(desktop.mouse().moveTo({1, 1}), ServiceUnavailable);
  EXPECT_THROW(desktop.toggleKeys().set(ToggleKey::CapsLock, false), ServiceUnavailable);
  EXPECT_THROW(desktop.clipboard().text(), ServiceUnavailable);
  EXPECT_THROW(desktop.bell().ring(Alert::Default), ServiceUnavailable);
  EXPECT_TRUE(desktop.processes().start("prog", {}).started);
  EXPECT_EQ(desktop.log(), (ActionLog{"start prog"}));
}

}  // namespace
}  // namespace tw::port::fake
