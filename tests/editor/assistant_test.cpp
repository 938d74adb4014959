// The command assistant without widgets: the commands it writes, its pages, and the cells the capture overlay
// lays over a terminal.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/assistant_commands.h"
#include "editor/assistant_flow.h"
#include "editor/screen_cells.h"

namespace tw::editor {
namespace {

TEST(AssistantCommands, EachFormatWritesItsCommand) {
  const struct {
    std::string written;
    std::string expected;
  } cases[] = {
      {FocusBlock("Notes", "XTerm"), "IF FOCUS(\"Notes\", 5) = True THEN\r\n  '-- Codes\r\nENDIF"},
      {FocusBlock("", "XTerm"), "IF FOCUSCLASS(\"XTerm\", 5) = True THEN\r\n  '-- Codes\r\nENDIF"},
      {MouseClickCommand("Main", "OK"), "MOUSECLICK(\"Main\", \"OK\", 10)"},
      {MouseClickRelCommand("Notes", {12, -3}), "MOUSECLICKREL(\"Notes\", 12, -3, 10)"},
      {MouseClickRelCommand("", {640, 480}), "MOUSECLICKREL(\"\", 640, 480, 10)"},
      {MousePointCommand(MouseCommand::MouseClickAbs, {5, 6}), "MOUSECLICKABS(5, 6)"},
      {MousePointCommand(MouseCommand::MouseMove, {5, 6}), "MOUSEMOVE(5, 6)"},
      {MousePointCommand(MouseCommand::MouseUpDown, {5, 6}), "MOUSEUPDOWN(\"L\", \"U\", 5, 6)"},
      {WaitWinCommand("Main", "OK"), "WAITWIN(\"Main\", \"OK\", 10)"},
      {WaitDosCommand({3, 10, "ab\r\ncd"}), "WAITDOS(3, 10, \"abcd\", 10)"},
      {GrabCommand({3, 10, "abcd"}), "GRAB(3, 10, 4)"},
      // Characters, not bytes, as the screen is read.
      {GrabCommand({1, 1, "\xc3\xa9t\xc3\xa9"}), "GRAB(1, 1, 3)"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.written, c.expected);
}

// A title with a double quote still gives a line the interpreter reads.
TEST(AssistantCommands, QuotesInTextsBecomeCharacterCodes) {
  EXPECT_EQ(FocusBlock("say \"hi\"", ""),
            "IF FOCUS(\"say \" + chr(34) + \"hi\" + chr(34), 5) = True THEN\r\n"
            "  '-- Codes\r\nENDIF");
  EXPECT_EQ(WaitDosCommand({1, 2, "a\"b"}), "WAITDOS(1, 2, \"a\" + chr(34) + \"b\", 10)");
}

PickedWindow Terminal() { return {"shell", "XTerm", 42, true}; }

TEST(AssistantFlow, EachModeStartsOnItsPage) {
  EXPECT_EQ(AssistantFlow(AssistantMode::TextLocator).Page(), AssistantPage::FindWhat);
  EXPECT_EQ(AssistantFlow(AssistantMode::FocusFinder).Page(), AssistantPage::WindowFinder);
  EXPECT_EQ(AssistantFlow(AssistantMode::MouseClick).Page(), AssistantPage::MouseCommand);
}

TEST(AssistantFlow, FocusFinderWritesTheBlockOfThePickedWindowAndIsDoneOnTheConfirmPage) {
  AssistantFlow flow(AssistantMode::FocusFinder);
  flow.WindowPicked({"", "XTerm", 7, false});
  EXPECT_EQ(flow.Next(), AssistantStep::ShowPage);
  EXPECT_EQ(flow.Page(), AssistantPage::Confirm);
  EXPECT_EQ(flow.Command(), FocusBlock("", "XTerm"));
  EXPECT_EQ(flow.Next(), AssistantStep::Done);
}

TEST(AssistantFlow, MouseCommandsPickTheirWindowAndPoint) {
  AssistantFlow flow(AssistantMode::MouseClick);
  EXPECT_EQ(flow.Next(), AssistantStep::Stay) << "no command chosen yet";
  EXPECT_EQ(flow.Page(), AssistantPage::MouseCommand);

  flow.ChooseMouseCommand(MouseCommand::MouseClickRel);
  EXPECT_EQ(flow.Next(), AssistantStep::ShowPage);
  EXPECT_EQ(flow.Page(), AssistantPage::WindowFinder);
  EXPECT_EQ(flow.Next(), AssistantStep::PickPoint);
  EXPECT_EQ(flow.PointWindow(), port::kNoWindow) << "nothing picked: screen coordinates";
  EXPECT_EQ(flow.PointPicked(std::nullopt), AssistantStep::Stay) << "Esc";
  EXPECT_EQ(flow.PointPicked(port::Point{300, 200}), AssistantStep::ShowPage);
  EXPECT_EQ(flow.Command(), "MOUSECLICKREL(\"\", 300, 200, 10)");

  AssistantFlow click(AssistantMode::MouseClick);
  click.ChooseMouseCommand(MouseCommand::MouseClick);
  click.Next();
  EXPECT_EQ(click.Next(), AssistantStep::PickChildWindow);
  EXPECT_EQ(click.ChildWindowPicked(std::nullopt), AssistantStep::Stay);
  EXPECT_EQ(click.ChildWindowPicked(TWindowInfo{"Main", "OK", 1, 2, 3, 4}), AssistantStep::ShowPage);
  EXPECT_EQ(click.Command(), "MOUSECLICK(\"Main\", \"OK\", 10)");

  AssistantFlow move(AssistantMode::MouseClick);
  move.ChooseMouseCommand(MouseCommand::MouseUpDown);
  EXPECT_EQ(move.Next(), AssistantStep::PickPoint);
  EXPECT_EQ(move.PointPrompt(), "Locate the mouse position");
  move.PointPicked(port::Point{1, 2});
  EXPECT_EQ(move.Command(), "MOUSEUPDOWN(\"L\", \"U\", 1, 2)");
}

TEST(AssistantFlow, TextInAWindowWaitsForThePickedTitledWindow) {
  AssistantFlow flow(AssistantMode::TextLocator);
  EXPECT_EQ(flow.Next(), AssistantStep::PickChildWindow);
  EXPECT_EQ(flow.ChildWindowPicked(TWindowInfo{"Main", "Status", 0, 0, 1, 1}), AssistantStep::ShowPage);
  EXPECT_EQ(flow.Page(), AssistantPage::Confirm);
  EXPECT_EQ(flow.Command(), "WAITWIN(\"Main\", \"Status\", 10)");
}

TEST(AssistantFlow, TextOnATerminalIsCapturedAndFormatted) {
  AssistantFlow flow(AssistantMode::TextLocator);
  flow.LookOnTerminal(true);
  EXPECT_EQ(flow.Next(), AssistantStep::ShowPage);
  EXPECT_EQ(flow.Page(), AssistantPage::WindowFinder);
  flow.WindowPicked(Terminal());
  EXPECT_EQ(flow.Next(), AssistantStep::CaptureScreen);
  EXPECT_EQ(flow.ScreenCaptured({3, 10, "abcd"}), AssistantStep::ShowPage);
  EXPECT_EQ(flow.Page(), AssistantPage::DosFormat);
  flow.FormatAsGrab(true);
  EXPECT_EQ(flow.Next(), AssistantStep::ShowPage);
  EXPECT_EQ(flow.Command(), "GRAB(3, 10, 4)");
}

// Without a capture there is nothing to wait for: "&Next >>" stays on the format page until text was captured,
// whether no terminal was picked, the capture was cancelled or the screen could not be read.
TEST(AssistantFlow, TheFormatPageWaitsForCapturedText) {
  AssistantFlow none(AssistantMode::TextLocator);
  none.LookOnTerminal(true);
  none.Next();
  EXPECT_EQ(none.Next(), AssistantStep::NoApplication);
  EXPECT_EQ(none.Page(), AssistantPage::DosFormat);
  EXPECT_EQ(none.Next(), AssistantStep::Stay);

  AssistantFlow cancelled(AssistantMode::TextLocator);
  cancelled.LookOnTerminal(true);
  cancelled.Next();
  cancelled.WindowPicked(Terminal());
  cancelled.Next();
  cancelled.ScreenCaptured({});
  EXPECT_EQ(cancelled.Next(), AssistantStep::Stay);
  EXPECT_EQ(cancelled.Page(), AssistantPage::DosFormat);
  EXPECT_EQ(cancelled.Command(), "");

  // Going back to the terminal and capturing then writes the command.
  cancelled.ScreenCaptured({2, 1, "ok"});
  EXPECT_EQ(cancelled.Next(), AssistantStep::ShowPage);
  EXPECT_EQ(cancelled.Command(), "WAITDOS(2, 1, \"ok\", 10)");
}

TEST(ScreenCells, TheCellSizeIsTheAreaOverTheColumnsAndRowsRead) {
  const port::TerminalScreen screen{std::vector<std::string>(24, std::string(80, ' ')), std::nullopt};
  const ScreenCells cells({484, 316}, screen);
  EXPECT_EQ(cells.CellSize(), (port::Size{6, 13}));
  // The 4 pixels left over are the terminal's border, 2 on each side.
  EXPECT_EQ(cells.CellAt({59, 34}), (Cell{2, 9}));
  EXPECT_EQ(cells.CellAt({55, 27}), (Cell{1, 8}));
  EXPECT_EQ(cells.CellAt({56, 28}), (Cell{2, 9}));
  EXPECT_EQ(cells.CellAt({-5, 1000}), (Cell{23, 0})) << "outside: the nearest cell";
  EXPECT_EQ(cells.BandRect({{2, 9}, 4}), (port::Rect{56, 28, 24, 13}));
  // Wide characters take one cell each, as the reader gives them.
  EXPECT_EQ(ScreenCells({100, 10}, {{"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"}, std::nullopt}).CellSize(),
            (port::Size{25, 10}));
  EXPECT_EQ(ScreenCells({100, 10}, port::TerminalScreen{}).CellSize(), (port::Size{100, 10}));
}

TEST(ScreenCells, APaneInsideABiggerGridKeepsItsOwnRowsAndColumns) {
  // An 80x24 terminal (6x13 pixel cells, 2 pixel border) showing a 23-row pane and a one-line status line.
  const port::TerminalScreen bottom{std::vector<std::string>(23, std::string(80, ' ')),
                                    port::ScreenPlacement{80, 24, 0, 0}};
  port::TerminalScreen top = bottom;
  top.placement->top = 1;
  // Two panes side by side: the right one 39 columns wide from column 41.
  const port::TerminalScreen right{std::vector<std::string>(23, std::string(39, ' ')),
                                   port::ScreenPlacement{80, 24, 41, 0}};
  const struct {
    const char* name;
    const port::TerminalScreen& screen;
    port::Point point;
    Cell cell;
    port::Rect band;  // of the cell found, 2 wide
  } cases[] = {
      {"status at the bottom, first pixel of the last pane row", bottom, {2, 288}, {22, 0}, {2, 288, 12, 13}},
      {"status at the bottom, on the status line", bottom, {2, 301}, {22, 0}, {2, 288, 12, 13}},
      {"status at the top, last pixel of the status line", top, {59, 14}, {0, 9}, {56, 15, 12, 13}},
      {"status at the top, first pixel of the first pane row", top, {59, 15}, {0, 9}, {56, 15, 12, 13}},
      {"status at the top, last pixel before the third pane row", top, {59, 40}, {1, 9}, {56, 28, 12, 13}},
      {"status at the top, first pixel of the third pane row", top, {59, 41}, {2, 9}, {56, 41, 12, 13}},
      {"right pane, its first column", right, {248, 2}, {0, 0}, {248, 2, 12, 13}},
      {"right pane, left of it", right, {100, 2}, {0, 0}, {248, 2, 12, 13}},
  };
  for (const auto& c : cases) {
    const ScreenCells cells({484, 316}, c.screen);
    EXPECT_EQ(cells.CellSize(), (port::Size{6, 13})) << c.name;
    EXPECT_EQ(cells.CellAt(c.point), c.cell) << c.name;
    EXPECT_EQ(cells.BandRect({c.cell, 2}), c.band) << c.name;
  }
}

TEST(CellSelection, TheBandRunsFromTheLeftmostToTheRightmostCellEitherWay) {
  const struct {
    Cell pressed, released;
    CellBand band;
  } cases[] = {
      {{2, 9}, {2, 12}, {{2, 9}, 4}},
      {{2, 12}, {2, 9}, {{2, 9}, 4}},  // dragged leftwards
      {{2, 9}, {5, 9}, {{2, 9}, 1}},   // another row: the band stays on the pressed one
  };
  for (const auto& c : cases) {
    CellSelection selection;
    selection.Press(c.pressed);
    EXPECT_TRUE(selection.Selecting());
    EXPECT_EQ(selection.Release(c.released), c.band);
    EXPECT_FALSE(selection.Selecting());
  }
}

TEST(CellSelection, TheHighlightFollowsTheMouseThenTheBand) {
  CellSelection selection;
  EXPECT_EQ(selection.Highlighted(), std::nullopt);
  selection.Move({1, 4});
  EXPECT_EQ(selection.Highlighted(), (CellBand{{1, 4}, 1}));
  selection.Press({1, 4});
  selection.Move({3, 1});
  EXPECT_EQ(selection.Highlighted(), (CellBand{{1, 1}, 4}));
  EXPECT_EQ(CellSelection().Release({0, 0}), std::nullopt) << "no press first";
}

}  // namespace
}  // namespace tw::editor
