#include "editor/screen_cells.h"

#include <algorithm>

#include "text/utf8.h"

namespace tw::editor {

namespace {

CellBand BandBetween(Cell start, int column) {
  const int first = std::min(start.column, column);
  return {{start.row, first}, std::max(start.column, column) - first + 1};
}

}  // namespace

ScreenCells::ScreenCells(port::Size area, const port::TerminalScreen& screen) {
  std::size_t widest = 0;
  for (const std::string& row : screen.rows) widest = std::max(widest, text::CharacterCount(row));
  columns_ = std::max(static_cast<int>(widest), 1);
  rows_ = std::max(static_cast<int>(screen.rows.size()), 1);
  const port::ScreenPlacement grid = screen.placement.value_or(port::ScreenPlacement{columns_, rows_, 0, 0});
  const int gridColumns = std::max(grid.columns, 1);
  const int gridRows = std::max(grid.rows, 1);
  cell_ = {std::max(area.width / gridColumns, 1), std::max(area.height / gridRows, 1)};
  origin_ = {std::max((area.width - gridColumns * cell_.width) / 2, 0) + grid.left * cell_.width,
             std::max((area.height - gridRows * cell_.height) / 2, 0) + grid.top * cell_.height};
}

Cell ScreenCells::CellAt(port::Point inArea) const {
  return {std::clamp((inArea.y - origin_.y) / cell_.height, 0, rows_ - 1),
          std::clamp((inArea.x - origin_.x) / cell_.width, 0, columns_ - 1)};
}

port::Rect ScreenCells::BandRect(const CellBand& band) const {
  return {origin_.x + band.first.column * cell_.width, origin_.y + band.first.row * cell_.height,
          band.length * cell_.width, cell_.height};
}

void CellSelection::Move(Cell cell) { under_ = cell; }

void CellSelection::Press(Cell cell) {
  under_ = cell;
  start_ = cell;
}

std::optional<CellBand> CellSelection::Release(Cell cell) {
  under_ = cell;
  if (!start_) return std::nullopt;
  const CellBand band = BandBetween(*start_, cell.column);
  start_.reset();
  return band;
}

std::optional<CellBand> CellSelection::Highlighted() const {
  if (start_) return BandBetween(*start_, under_ ? under_->column : start_->column);
  if (under_) return CellBand{*under_, 1};
  return std::nullopt;
}

}  // namespace tw::editor
