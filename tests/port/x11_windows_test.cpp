// The X11 window service against real programs on a private X server, with and without a window manager.
// Every effect is checked through the test bed's own connection (XProbe), not through the code under test.

#include <gtest/gtest.h>

#include <algorithm>

#include "port/x11/x11_desktop.h"
#include "test_bed.h"
#include "x11_desktop_on.h"

namespace tw::port::x11 {
namespace {

using testbed::ChildProcess;
using testbed::kPatience;
using testbed::TestBed;
using testbed::waitUntil;

bool contains(const std::vector<WindowId>& windows, WindowId window) {
  return std::find(windows.begin(), windows.end(), window) != windows.end();
}

class WithAndWithoutWindowManager : public ::testing::TestWithParam<bool> {};

TEST_P(WithAndWithoutWindowManager, FindsAnXtermAndTellsWhatItIs) {
  TestBed bed({.windowManager = GetParam()});
  const auto term = bed.startXterm("tw enumerated");
  auto desktop = testbed::OpenDesktopOn(bed);
  WindowService& windows = desktop->windows();

  const auto tops = windows.topLevelWindows();
  ASSERT_TRUE(contains(tops, term.window)) << "the xterm's own window is listed, not a frame around it";
  EXPECT_EQ(windows.title(term.window), "tw enumerated");
  EXPECT_EQ(windows.windowClass(term.window), (WindowClass{"xterm", "XTerm"}));
  EXPECT_EQ(windows.processId(term.window), term.process.pid());
  EXPECT_EQ(windows.state(term.window), (WindowState{true, false, false}));

  // The frame rectangle holds the client area and, under a window manager, is larger by the decorations.
  const auto frame = windows.frameRect(term.window);
  const auto client = bed.probe().rootPosition(term.window);
  ASSERT_TRUE(frame && client);
  EXPECT_LE(frame->left, client->first);
  EXPECT_LE(frame->top, client->second);
  if (GetParam()) {
    EXPECT_LT(frame->top, client->second) << "a title bar sits above the client";
  }
  EXPECT_EQ(windows.desktopSize(), (Size{1280, 1024}));

  // The xterm's inner windows are its descendants, and each leads back to it.
  const auto inner = windows.descendants(term.window);
  ASSERT_FALSE(inner.empty());
  for (WindowId child : inner) {
    EXPECT_FALSE(contains(tops, child));
    EXPECT_EQ(windows.topLevelOf(child), term.window);
  }
}

// A small xterm first, a large one over it: the point inside the small one shows the large one.
TEST_P(WithAndWithoutWindowManager, TheWindowAtAPointIsTheOneShownThere) {
  TestBed bed({.windowManager = GetParam()});
  auto& small = bed.launch({"xterm", "-T", "tw small", "-geometry", "10x2+150+150"});
  const WindowId below = bed.waitForWindow({"tw small", "XTerm", small.pid()});
  auto& large = bed.launch({"xterm", "-T", "tw large", "-geometry", "80x24+100+100"});
  const WindowId above = bed.waitForWindow({"tw large", "XTerm", large.pid()});
  auto desktop = testbed::OpenDesktopOn(bed);
  WindowService& windows = desktop->windows();
  ASSERT_TRUE(waitUntil([&] { return windows.topLevelWindows().front() == above; }));
  const Point inSmall = windows.frameRect(below)->centre();
  ASSERT_TRUE(windows.frameRect(above)->contains(inSmall)) << "the large xterm covers the small one";

  EXPECT_EQ(windows.windowsAt({inSmall}), (std::vector<WindowId>{above})) << "the covered window never counts";
  const auto path = windows.windowsAt({.where = inSmall, .innermost = true});
  ASSERT_GE(path.size(), 2u) << "xterm draws its text in a window of its own";
  EXPECT_EQ(path.front(), above);
  for (std::size_t i = 1; i < path.size(); ++i) {
    EXPECT_TRUE(contains(windows.descendants(path[i - 1]), path[i]));
    EXPECT_TRUE(windows.frameRect(path[i])->contains(inSmall));
  }
  EXPECT_EQ(windows.windowsAt({.where = inSmall, .passOver = above}).front(), below) << "an overlay of ours";
  EXPECT_TRUE(windows.windowsAt({{5, 1000}}).empty()) << "nothing shows in the corner of the desktop";

  if (GetParam()) {
    // A title bar belongs to its window; a minimised window shows nowhere.
    const Rect frame = *windows.frameRect(above);
    EXPECT_EQ(windows.windowsAt({{frame.left + frame.width / 2, frame.top + 2}, true}),
              (std::vector<WindowId>{above}));
    ASSERT_TRUE(windows.minimise(above));
    ASSERT_TRUE(waitUntil([&] { return !bed.probe().facts(above)->viewable; }));
    EXPECT_EQ(windows.windowsAt({inSmall}), (std::vector<WindowId>{below}));
  }
}

INSTANTIATE_TEST_SUITE_P(X11Windows, WithAndWithoutWindowManager, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) { return param.param ? "openbox" : "bare"; });

TEST(X11Windows, TitlesPreferUtf8AndDecodeLatin1) {
  TestBed bed({.windowManager = false});
  auto desktop = testbed::OpenDesktopOn(bed);
  const auto window = bed.probe().createWindow("placeholder", false);
  const struct {
    std::string wmName;
    std::optional<std::string> netWmName;
    std::string expected;
  } cases[] = {
      {"caf\xe9 cr\xe8me", std::nullopt, "café crème"},
      {"old", "new € ünï", "new € ünï"},
      {"", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    bed.probe().setTitles(window, c.wmName, c.netWmName);
    EXPECT_EQ(desktop->windows().title(window), c.expected);
  }
}

TEST(X11Windows, ActivationRaisesAndFocusesUnderOpenbox) {
  TestBed bed({.windowManager = true});
  const auto first = bed.startXterm("tw first");
  const auto second = bed.startXterm("tw second");
  auto desktop = testbed::OpenDesktopOn(bed);
  WindowService& windows = desktop->windows();

  for (const auto& target : {first.window, second.window, first.window}) {
    ASSERT_TRUE(windows.activate(target));
    ASSERT_TRUE(waitUntil([&] { return bed.probe().activeWindow() == target; }));
    EXPECT_EQ(windows.activeWindow(), target);
    EXPECT_TRUE(waitUntil([&] { return windows.topLevelWindows().front() == target; })) << "raised to the top";
  }
}

TEST(X11Windows, ActivationWithoutAWindowManagerGivesTheFocus) {
  TestBed bed({.windowManager = false});
  const auto term = bed.startXterm("tw focus");
  const auto other = bed.probe().createWindow("tw other", false);
  auto desktop = testbed::OpenDesktopOn(bed);
  WindowService& windows = desktop->windows();

  ASSERT_TRUE(windows.activate(other));
  EXPECT_EQ(bed.probe().inputFocus(), other);
  ASSERT_TRUE(windows.activate(windows.descendants(term.window).front()));
  EXPECT_EQ(bed.probe().inputFocus(), term.window);
  EXPECT_EQ(windows.activeWindow(), term.window);
  EXPECT_EQ(windows.topLevelWindows().front(), term.window);
}

TEST(X11Windows, MaximiseMinimiseRestoreAndCloseARealXterm) {
  TestBed bed({.windowManager = true});
  const auto term = bed.startXterm("tw states");
  auto desktop = testbed::OpenDesktopOn(bed);
  WindowService& windows = desktop->windows();
  auto& probe = bed.probe();
  const WindowId w = term.window;
  const auto maximised = [&] {
    return probe.hasNetWmState(w, "_NET_WM_STATE_MAXIMIZED_VERT") &&
           probe.hasNetWmState(w, "_NET_WM_STATE_MAXIMIZED_HORZ");
  };
  const auto iconic = [&] { return probe.wmState(w) == 3 && !probe.facts(w)->viewable; };
  const auto normal = [&] { return probe.wmState(w) == 1 && probe.facts(w)->viewable; };

  ASSERT_TRUE(windows.maximise(w));
  ASSERT_TRUE(waitUntil(maximised));
  EXPECT_EQ(windows.state(w), (WindowState{true, false, true}));

  ASSERT_TRUE(windows.minimise(w));
  ASSERT_TRUE(waitUntil(iconic));
  EXPECT_EQ(windows.state(w)->minimised, true);
  EXPECT_EQ(windows.state(w)->visible, true) << "a minimised window still counts as visible";

  // Back from the icon as it was: maximised. A second restore makes it normal.
  ASSERT_TRUE(windows.restore(w));
  ASSERT_TRUE(waitUntil(normal));
  EXPECT_TRUE(maximised());
  ASSERT_TRUE(windows.restore(w));
  ASSERT_TRUE(waitUntil([&] { return !maximised(); }));
  EXPECT_EQ(windows.state(w), (WindowState{true, false, false}));

  // Maximising a minimised window brings it back maximised.
  ASSERT_TRUE(windows.minimise(w));
  ASSERT_TRUE(waitUntil(iconic));
  ASSERT_TRUE(windows.maximise(w));
  ASSERT_TRUE(waitUntil([&] { return normal() && maximised(); }));

  // Closing asks xterm to close, which ends it.
  ASSERT_TRUE(windows.close(w));
  EXPECT_EQ(term.process.waitForExit(kPatience).has_value(), true);
  EXPECT_TRUE(waitUntil([&] { return !probe.exists(w); }));
  EXPECT_EQ(windows.state(w), std::nullopt);
  EXPECT_FALSE(windows.close(w));
  EXPECT_FALSE(contains(windows.topLevelWindows(), w));
}

TEST(X11Windows, HiddenWindowsAreListedAfterTheManagedOnesButFramesNever) {
  TestBed bed({.windowManager = true});
  const auto shown = bed.startXterm("tw shown");
  const auto iconic = bed.startXterm("tw iconic");
  const auto hidden = bed.startXterm("tw hidden");
  auto desktop = testbed::OpenDesktopOn(bed);
  WindowService& windows = desktop->windows();
  ASSERT_TRUE(windows.minimise(iconic.window));
  ASSERT_TRUE(waitUntil([&] { return bed.probe().wmState(iconic.window) == 3; }));
  // A program that unmaps its window withdraws it: the window manager lets go of it and drops its frame.
  ChildProcess& unmap = bed.launch({"xdotool", "windowunmap", "--sync", std::to_string(hidden.window)});
  ASSERT_EQ(unmap.waitForExit(kPatience), 0);
  ASSERT_TRUE(waitUntil([&] { return !bed.probe().facts(hidden.window)->managed; }));

  const auto tops = windows.topLevelWindows();
  const auto at = [&](WindowId w) { return std::find(tops.begin(), tops.end(), w) - tops.begin(); };
  ASSERT_TRUE(contains(tops, hidden.window));
  EXPECT_GT(at(hidden.window), at(shown.window));
  EXPECT_GT(at(hidden.window), at(iconic.window));
  EXPECT_EQ(std::count(tops.begin(), tops.end(), iconic.window), 1);
  for (WindowId w : tops) EXPECT_EQ(windows.topLevelOf(w), w) << "a frame or an inner window is listed";
  EXPECT_EQ(windows.state(hidden.window), (WindowState{false, false, false}));
  EXPECT_EQ(windows.title(hidden.window), "tw hidden");
}

TEST(X11Windows, WithoutAWindowManagerNothingCanBeMinimisedOrMaximised) {
  TestBed bed({.windowManager = false});
  const auto window = bed.probe().createWindow("tw bare", false);
  auto desktop = testbed::OpenDesktopOn(bed);
  EXPECT_FALSE(desktop->windows().minimise(window));
  EXPECT_FALSE(desktop->windows().maximise(window));
  EXPECT_TRUE(desktop->windows().restore(window));
  EXPECT_TRUE(bed.probe().facts(window)->viewable);
}

TEST(X11Windows, CloseAsksProgramsThatTakeRequestsAndDestroysOnlyWindowsThatDoNot) {
  TestBed bed({.windowManager = false});
  auto& probe = bed.probe();
  const auto polite = probe.createWindow("tw polite", true);
  const auto plain = probe.createWindow("tw plain", false);
  const auto sibling = probe.createWindow("tw sibling", false);
  auto desktop = testbed::OpenDesktopOn(bed);

  ASSERT_TRUE(desktop->windows().close(polite));
  EXPECT_TRUE(waitUntil([&] { return probe.deleteRequested(polite); }));
  EXPECT_TRUE(probe.exists(polite)) << "the program decides whether to close";

  ASSERT_TRUE(desktop->windows().close(plain));
  EXPECT_FALSE(probe.exists(plain));
  EXPECT_TRUE(probe.exists(sibling)) << "the program's other windows stay";
}

TEST(X11Windows, PlacesTheFrameWhereAsked) {
  for (const bool windowManager : {true, false}) {
    SCOPED_TRACE(windowManager ? "openbox" : "bare");
    TestBed bed({.windowManager = windowManager});
    const auto term = bed.startXterm("tw placed");
    auto desktop = testbed::OpenDesktopOn(bed);
    WindowService& windows = desktop->windows();
    const Rect before = *windows.frameRect(term.window);

    ASSERT_TRUE(windows.setFrameRect(term.window, {100, 150, before.width, before.height}));
    ASSERT_TRUE(waitUntil([&] {
      const auto now = windows.frameRect(term.window);
      return now && now->left == 100 && now->top == 150;
    })) << "frame at " << windows.frameRect(term.window)->left << "," << windows.frameRect(term.window)->top;
    EXPECT_EQ(windows.frameRect(term.window)->width, before.width);
    EXPECT_EQ(windows.frameRect(term.window)->height, before.height);

    // Larger: xterm rounds to whole character cells, so the size only has to grow.
    ASSERT_TRUE(windows.setFrameRect(term.window, {40, 30, before.width + 200, before.height + 100}));
    ASSERT_TRUE(waitUntil([&] { return windows.frameRect(term.window)->width > before.width + 150; }));
    EXPECT_EQ(windows.frameRect(term.window)->left, 40);
    EXPECT_EQ(windows.frameRect(term.window)->top, 30);
    EXPECT_GT(windows.frameRect(term.window)->height, before.height + 50);
  }
}

TEST(X11Windows, OpenDesktopUsesTheDisplayInDISPLAY) {
  TestBed bed({.windowManager = false});
  const char* old = std::getenv("DISPLAY");
  const std::string saved = old ? old : "";
  setenv("DISPLAY", bed.display().c_str(), 1);
  const auto desktop = openDesktop();
  if (old)
    setenv("DISPLAY", saved.c_str(), 1);
  else
    unsetenv("DISPLAY");
  EXPECT_TRUE(desktop->hasDisplay());
  EXPECT_EQ(desktop->displayProblem(), "");
  EXPECT_EQ(desktop->windows().desktopSize(), (Size{1280, 1024}));
}

}  // namespace
}  // namespace tw::port::x11
