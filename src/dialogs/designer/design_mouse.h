#pragma once
// The mouse on the design surface: pressing selects, dragging a selected control moves every selected control,
// and dragging the small square at a control's bottom-right corner resizes it. Positions snap to the grid by
// truncating towards zero; a width or height changes only to more than 8 pixels.
//
// Points are in the coordinates of the control the event arrived at, as the toolkit delivers them while that
// control holds the mouse: relative to its top-left corner where it is now.

#include <array>
#include <cstddef>

#include "dialogs/designer/design_selection.h"
#include "dialogs/enhance_form_dialog.h"
#include "port/geometry.h"

namespace tw {

// The grid sizes the surface offers, in pixels.
inline constexpr std::array<int, 4> kDesignGridSizes{2, 4, 6, 8};
inline constexpr int kInitialDesignGrid = 4;
// The side of the square at a control's bottom-right corner that starts a resize.
inline constexpr int kResizeCorner = 5;
// A control resized by the mouse never becomes this narrow or low, or less.
inline constexpr int kSmallestDragSize = 8;

// The value truncated towards zero to a multiple of the grid.
int SnapToGrid(int value, int grid);
// Whether a point of a control of the given size lies in its resize corner.
bool InResizeCorner(port::Size control, port::Point inControl);

enum class DesignButton { Left, Right, Middle };
enum class DesignCursor { Arrow, SizeDiagonal };

class DesignMouse {
 public:
  DesignMouse(TEnhanceFormDialog& dialog, DesignSelection& selection) : dialog_(dialog), selection_(selection) {}

  int Grid() const { return grid_; }
  // Grid sizes below 1 are taken as 1.
  void SetGrid(int pixels) { grid_ = pixels < 1 ? 1 : pixels; }

  // A press on a control: a right or middle press selects it alone; Shift with the left button adds it to the
  // selection or takes it out; a left press on a selected control starts a resize in its corner (it becomes
  // the only one selected) and a move elsewhere; a left press on an unselected control selects it alone.
  void Press(std::size_t control, DesignButton button, bool shift, port::Point inControl);
  // A press on the surface between the controls clears the selection.
  void PressSurface();
  // The mouse moved over the control it was pressed on (or any control, when no button is held). True when a
  // control moved or changed size.
  bool Move(port::Point inControl);
  void Release();

  // The cursor over a control while no drag is in progress.
  DesignCursor CursorOver(std::size_t control, port::Point inControl) const;
  bool Dragging() const { return dragging_; }
  bool Resizing() const { return dragging_ && resizing_; }

 private:
  TEnhanceFormDialog& dialog_;
  DesignSelection& selection_;
  int grid_ = kInitialDesignGrid;
  bool dragging_ = false;
  bool resizing_ = false;
  std::size_t pressed_ = 0;
  // A move: where the control was grabbed; a resize: from the press to the control's bottom-right corner.
  port::Point offset_;
};

}  // namespace tw
