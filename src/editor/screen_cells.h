#pragma once
// The character cells of a terminal's screen as the capture overlay lays them over the terminal's client area,
// and the band of cells the user selects with the mouse. The cell size is the client area divided by the
// columns and rows of the grid the terminal shows: the screen's own, or the bigger one it lies in (a
// multiplexer's status line and other panes). The cells are centred in the area, because a terminal keeps an
// equal border on each side of its text (xterm: 2 pixels).

#include <optional>
#include <string>
#include <vector>

#include "port/geometry.h"
#include "port/terminal_text.h"

namespace tw::editor {

// A cell of the screen read, not of the grid it lies in.
struct Cell {
  int row = 0;  // from 0
  int column = 0;
  friend bool operator==(const Cell&, const Cell&) = default;
};

// Cells on one row: from `first` rightwards, `length` of them.
struct CellBand {
  Cell first;
  int length = 1;
  friend bool operator==(const CellBand&, const CellBand&) = default;
};

class ScreenCells {
 public:
  // `screen`: as the reader gives it, one character per cell. A screen without rows or columns gives cells of
  // the whole area.
  ScreenCells(port::Size area, const port::TerminalScreen& screen);

  port::Size CellSize() const { return cell_; }
  // The cell under a point of the area, the nearest one for a point outside it.
  Cell CellAt(port::Point inArea) const;
  // Where a band of cells lies in the area.
  port::Rect BandRect(const CellBand& band) const;

 private:
  port::Size cell_;
  port::Point origin_;  // where the screen's first cell begins in the area
  int columns_ = 1;     // of the screen
  int rows_ = 1;
};

// The mouse over the cells: before a press the cell under it is highlighted; from a press on, the band on the
// press's row from the pressed cell to the column under the mouse, either way.
class CellSelection {
 public:
  void Move(Cell cell);
  void Press(Cell cell);
  // The selected band, from the leftmost to the rightmost of the pressed and released columns; nothing when
  // no press came first.
  std::optional<CellBand> Release(Cell cell);

  bool Selecting() const { return start_.has_value(); }
  // What to show highlighted; nothing before the mouse is over a cell.
  std::optional<CellBand> Highlighted() const;

 private:
  std::optional<Cell> under_;
  std::optional<Cell> start_;
};

}  // namespace tw::editor
