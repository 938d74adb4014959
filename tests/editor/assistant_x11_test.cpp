// The command assistant on a real X server with openbox, driven by xdotool as a user would: the pointer dragged
// onto xterms, points clicked on the desktop overlay, and cells of a tmux screen dragged over on the capture
// overlay, which is kept as a screenshot.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <fstream>

#include "commands/tarnwick_basic.h"
#include "editor/qt/form_assistant.h"
#include "editor/qt/form_console.h"
#include "qt_on_bed.h"
#include "recorder/qt/enum_window_info.h"
#include "runtime/qt/qt_host.h"
#include "screenshot.h"
#include "test_bed.h"
#include "waiting.h"
#include "x11_desktop_on.h"

namespace tw {
namespace {

using editor::AssistantMode;
using editor::AssistantPage;
using testbed::Choreography;
using Step = std::function<bool()>;

class AssistantOnX11 : public ::testing::Test {
 protected:
  AssistantOnX11()
      : bed(testbed::TestBedOptions{.windowManager = true}),
        qt(bed),
        desktop(testbed::OpenDesktopOn(bed)),
        host(&desktop->windows()),
        library(host, *desktop) {}

  // Runs the assistant while `steps` act on it; its command, or nothing when it was not done.
  std::optional<std::string> Run(TFormAssistant& assistant, std::vector<Step> steps) {
    steps.insert(steps.begin(), [&] { return Shown(assistant); });
    assistant.move(40, 40);  // away from the windows pointed at
    Choreography choreography(std::move(steps), [&] {
      // Esc ends an overlay's wait; the assistant's own is ended by Cancel.
      bed.launch({"xdotool", "key", "Escape"}).waitForExit(testbed::kPatience);
      assistant.reject();
    });
    const bool done = assistant.Execute();
    EXPECT_FALSE(choreography.failed()) << "step " << choreography.failed().value_or(0) << " ran out of time; found "
                                        << assistant.EnumWindowInfo->FoundHandle() << " "
                                        << assistant.EnumWindowInfo->FoundTitle().toStdString() << "; page "
                                        << static_cast<int>(assistant.Page())
                                        << (assistant.isVisible() ? "" : " hidden");
    if (!done) return std::nullopt;
    return assistant.CommandText();
  }

  static bool Shown(QWidget& window) { return window.windowHandle() && window.windowHandle()->isExposed(); }

  Step Launch(const std::vector<std::string>& xdotool) {
    return [this, xdotool] {
      std::vector<std::string> argv{"xdotool"};
      argv.insert(argv.end(), xdotool.begin(), xdotool.end());
      running = &bed.launch(argv);
      return true;
    };
  }
  Step Finished() {
    return [this] { return running && !running->running(); };
  }
  // The pointer dragged from the picture onto the middle of `window`, until the assistant has it.
  std::vector<Step> DragPointerOnto(TFormAssistant& assistant, unsigned long window) {
    return {[&assistant, this, window] {
              const QPoint from = assistant.EnumWindowInfo->mapToGlobal(assistant.EnumWindowInfo->rect().center());
              const auto frame = desktop->windows().frameRect(window);
              if (!frame) return false;
              const port::Point to = frame->centre();
              Launch({"mousemove", std::to_string(from.x()), std::to_string(from.y()), "mousedown", "1", "mousemove",
                      "--sync", std::to_string(to.x), std::to_string(to.y), "mouseup", "1"})();
              return true;
            },
            [&assistant, this, window] {
              return Finished()() && !assistant.EnumWindowInfo->Dragging() &&
                     assistant.EnumWindowInfo->FoundHandle() == window;
            }};
  }
  static Step Next(TFormAssistant& assistant) {
    // Queued: a click that starts an overlay waits in it, and the steps must go on meanwhile.
    return [&assistant] {
      QTimer::singleShot(0, assistant.ButtNext, &QPushButton::click);
      return true;
    };
  }
  static Step OnPage(TFormAssistant& assistant, AssistantPage page) {
    return [&assistant, page] { return assistant.Page() == page && assistant.isVisible(); };
  }
  // The overlay of the desktop finders, shown.
  static Step OverlayUp() {
    return [] {
      for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == "WindowRectFinder" && Shown(*window)) return true;
      return false;
    };
  }
  unsigned long Xterm(const std::string& title, const std::string& geometry) {
    auto& process = bed.launch({"xterm", "-T", title, "-geometry", geometry});
    return bed.waitForWindow({title, "XTerm", process.pid()});
  }

  testbed::TestBed bed;
  testbed::QtOnBed qt;
  std::unique_ptr<port::x11::X11Desktop> desktop;
  QtHost host;
  TTarnwickBasic library;
  testbed::ChildProcess* running = nullptr;
};

// A window with a title is focused by it; one without by its class.
TEST_F(AssistantOnX11, FocusFinderWritesFocusForATitledWindowAndFocusClassForAnUntitledOne) {
  const unsigned long titled = Xterm("tw focus me", "40x10+500+300");
  const unsigned long untitled = Xterm("tw untitled", "40x10+500+600");
  for (const char* property : {"WM_NAME", "_NET_WM_NAME"})
    ASSERT_EQ(
        bed.launch({"xprop", "-id", std::to_string(untitled), "-remove", property}).waitForExit(testbed::kPatience), 0);
  ASSERT_TRUE(testbed::waitUntil([&] { return desktop->windows().title(untitled).empty(); }));

  const struct {
    unsigned long window;
    std::string command;
  } cases[] = {
      {titled, "IF FOCUS(\"tw focus me\", 5) = True THEN\r\n  '-- Codes\r\nENDIF"},
      {untitled, "IF FOCUSCLASS(\"XTerm\", 5) = True THEN\r\n  '-- Codes\r\nENDIF"},
  };
  for (const auto& c : cases) {
    TFormAssistant assistant(library, AssistantMode::FocusFinder);
    std::vector<Step> steps = DragPointerOnto(assistant, c.window);
    steps.insert(steps.end(), {Next(assistant), OnPage(assistant, AssistantPage::Confirm), Next(assistant)});
    EXPECT_EQ(Run(assistant, steps), c.command);
  }
}

TEST_F(AssistantOnX11, MouseClickAbsGivesTheClickedPointAndMouseClickRelWithoutAWindowGivesItOnTheScreen) {
  const struct {
    int choice;  // editor::MouseCommand
    std::vector<std::string> clicks;
    std::string command;
  } cases[] = {
      {static_cast<int>(editor::MouseCommand::MouseClickAbs),
       {"mousemove", "300", "250", "click", "1"},
       "MOUSECLICKABS(300, 250)"},
      {static_cast<int>(editor::MouseCommand::MouseClickRel),
       {"mousemove", "333", "222", "click", "1"},
       "MOUSECLICKREL(\"\", 333, 222, 10)"},
  };
  for (const auto& c : cases) {
    TFormAssistant assistant(library, AssistantMode::MouseClick);
    std::vector<Step> steps{Next(assistant), OnPage(assistant, AssistantPage::MouseCommand), [&] {
                              assistant.MouseCommands->button(c.choice)->click();
                              return true;
                            }};
    // MOUSECLICKREL asks for a window first; none is picked.
    if (c.choice == static_cast<int>(editor::MouseCommand::MouseClickRel))
      steps.insert(steps.end(), {Next(assistant), OnPage(assistant, AssistantPage::WindowFinder)});
    steps.insert(steps.end(), {Next(assistant), OverlayUp(), Launch(c.clicks), Finished(),
                               OnPage(assistant, AssistantPage::Confirm), Next(assistant)});
    EXPECT_EQ(Run(assistant, steps), c.command);
  }
}

class TextLocatorOnX11 : public AssistantOnX11 {
 protected:
  TextLocatorOnX11() {
    // Row 3 shows "123456789ABCDEFGH": column 10 starts "ABCD".
    terminal =
        bed.startTmuxInXterm("tw tmux", {"sh", "-c", "printf 'one\\ntwo\\n123456789ABCDEFGH\\n'; exec cat"}).window;
    EXPECT_TRUE(testbed::waitUntil([&] { return bed.tmuxPaneText().find("123456789ABCDEFGH") != std::string::npos; }));
  }

  static TFormConsole* Console() {
    for (QWidget* window : QApplication::topLevelWidgets())
      if (auto* console = dynamic_cast<TFormConsole*>(window); console && console->Capturing()) return console;
    return nullptr;
  }
  // The 80 x 24 cells of the screen under the overlay, inside xterm's equal border.
  static QRect CellRect(QSize overlay, int row, int column) {
    const int width = overlay.width() / 80;
    const int height = overlay.height() / 24;
    const QPoint origin((overlay.width() - 80 * width) / 2, (overlay.height() - 24 * height) / 2);
    return {origin + QPoint((column - 1) * width, (row - 1) * height), QSize(width, height)};
  }
  // The middle of a cell (row and column from 1) on the desktop.
  static QPoint CellCentre(const QWidget& console, int row, int column) {
    return console.mapToGlobal(CellRect(console.size(), row, column).center());
  }
  static std::string Coordinates(QPoint p) { return std::to_string(p.x()) + " " + std::to_string(p.y()); }

  // Picks the terminal, then presses on cell (3, `from`), moves to (3, `to`), shows the pointer kept inside the
  // overlay and the band as a screenshot, and lets go.
  std::optional<std::string> Capture(TFormAssistant& assistant, int from, int to, bool grab) {
    std::vector<Step> steps{[&] {
                              assistant.LookingFor->button(1)->click();
                              return true;
                            },
                            Next(assistant), OnPage(assistant, AssistantPage::WindowFinder)};
    for (Step& step : DragPointerOnto(assistant, terminal)) steps.push_back(step);
    steps.insert(steps.end(), {Next(assistant), [] { return Console() != nullptr; },
                               [&, from] {
                                 const QPoint start = CellCentre(*Console(), rowThreeShownAt, from);
                                 Launch({"mousemove", std::to_string(start.x()), std::to_string(start.y()), "mousedown",
                                         "1", "mousemove", "5", "5"})();
                                 return true;
                               },
                               Finished(),
                               [&] {
                                 // Confined: the pointer stopped at the overlay's edge.
                                 const port::Point at = desktop->mouse().position();
                                 const QRect area = Console()->geometry();
                                 pointerKeptInside = area.contains(QPoint(at.x, at.y));
                                 const QPoint end = CellCentre(*Console(), rowThreeShownAt, to);
                                 Launch({"mousemove", std::to_string(end.x()), std::to_string(end.y())})();
                                 return true;
                               },
                               Finished(),
                               [&] {
                                 TFormConsole& console = *Console();
                                 // Painted: a picture of the overlay with the band.
                                 QApplication::processEvents();
                                 picture = testbed::screenshot(bed, console.winId(), "assistant-capture-overlay",
                                                               TW_ARTIFACTS_DIR);
                                 overlaySize = console.size();
                                 Launch({"mouseup", "1"})();
                                 return true;
                               },
                               OnPage(assistant, AssistantPage::DosFormat),
                               [&, grab] {
                                 assistant.Format->button(grab ? 1 : 0)->click();
                                 return true;
                               },
                               Next(assistant), OnPage(assistant, AssistantPage::Confirm), Next(assistant)});
    return Run(assistant, steps);
  }

  // Share of dark pixels in an area of the picture.
  double DarkShare(QRect area) const {
    long dark = 0, all = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x, ++all) {
        const auto [r, g, b] = picture.at(x, y);
        dark += r + g + b < 3 * 128 ? 1 : 0;
      }
    return all ? static_cast<double>(dark) / static_cast<double>(all) : 0;
  }
  // Row 3's cells from `first` to `last`.
  QRect Cells(int first, int last) const {
    return CellRect(overlaySize, 3, first).united(CellRect(overlaySize, 3, last));
  }

  unsigned long terminal = 0;
  int rowThreeShownAt = 3;  // the xterm row showing the pane's row 3
  bool pointerKeptInside = false;
  testbed::Picture picture;
  QSize overlaySize;
};

TEST_F(TextLocatorOnX11, FourCellsFromRowThreeColumnTenGiveWaitDosAndGrabDraggedEitherWay) {
  {
    TFormAssistant assistant(library, AssistantMode::TextLocator);
    EXPECT_EQ(Capture(assistant, 10, 13, false), "WAITDOS(3, 10, \"ABCD\", 10)");
  }
  EXPECT_TRUE(pointerKeptInside);
  // The band is shown inverted over the terminal's black on white, dark where selected and light beyond, on the
  // cells' edges: xterm's font leaves the last pixel column of each cell blank, so that column is dark in the
  // band's last cell and light in the cell before the band.
  ASSERT_GT(picture.width, 0);
  const auto lastPixelColumn = [this](int column) {
    const QRect cell = Cells(column, column);
    return QRect(cell.right(), cell.top(), 1, cell.height());
  };
  const struct {
    QRect area;
    bool dark;
    const char* what;
  } areas[] = {
      {Cells(10, 13), true, "the band"},
      {Cells(20, 23), false, "cells past the text"},
      {lastPixelColumn(13), true, "the band's last pixel column"},
      {lastPixelColumn(9), false, "the last pixel column before the band"},
  };
  for (const auto& a : areas) EXPECT_EQ(DarkShare(a.area) > 0.5, a.dark) << a.what;
  {
    TFormAssistant assistant(library, AssistantMode::TextLocator);
    EXPECT_EQ(Capture(assistant, 13, 10, true), "GRAB(3, 10, 4)");
  }
}

// tmux's status line at the top takes the xterm's first row: the pane's 23 rows follow it.
TEST_F(TextLocatorOnX11, TheCellsFollowThePaneBelowAStatusLineAtTheTop) {
  bed.tmux({"set-option", "-g", "status-position", "top"});
  bed.tmux({"set-option", "-g", "status", "on"});
  EXPECT_TRUE(testbed::waitUntil([&] { return bed.tmux({"display-message", "-p", "#{pane_height}"}) == "23\n"; }));
  rowThreeShownAt = 4;
  TFormAssistant assistant(library, AssistantMode::TextLocator);
  EXPECT_EQ(Capture(assistant, 10, 13, false), "WAITDOS(3, 10, \"ABCD\", 10)");
}

}  // namespace
}  // namespace tw
