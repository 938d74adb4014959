// Selecting, moving and resizing controls with the mouse on the design surface, and the grid they snap to.

#include <gtest/gtest.h>

#include "designer_test_support.h"

namespace tw {
namespace {

using test::DesignerFixture;
using test::DialogWith;

std::string Button(const std::string& name, int left, int top, int width = 40, int height = 40) {
  return name + "," + std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(width) + "," +
         std::to_string(height) + ",0,\"\",0,N,0,0,0,\"" + name + "\"";
}

TEST(DesignerMouse, GridItemsSetTheirOwnNumber) {
  EXPECT_EQ(GridItemSize("2"), 2);
  EXPECT_EQ(GridItemSize("4"), 4);
  EXPECT_EQ(GridItemSize("6"), 6);
  EXPECT_EQ(GridItemSize("8"), 8);
  EXPECT_EQ(GridItemSize("5"), std::nullopt);
  EXPECT_EQ(GridItemSize("x"), std::nullopt);
}

TEST(DesignerMouse, AMoveSnapsTowardsZeroToTheGrid) {
  struct Case {
    int grid;
    port::Point from, by, expected;
  } cases[] = {
      {4, {10, 10}, {5, -3}, {12, 4}},  {4, {2, 2}, {-5, -5}, {0, 0}},
      {4, {-6, -6}, {1, 1}, {-4, -4}},  // towards zero, not down
      {8, {10, 10}, {7, 15}, {16, 24}}, {8, {17, 3}, {-1, 30}, {16, 32}},
      {2, {10, 10}, {3, 3}, {12, 12}},
  };
  for (const Case& c : cases) {
    DesignerFixture f;
    ASSERT_TRUE(f.Open(DialogWith({Button("B1", c.from.x, c.from.y)})));
    f.designer.Mouse().SetGrid(*GridItemSize(std::to_string(c.grid)));
    f.Click("B1");
    f.Press("B1", {c.from.x + 3, c.from.y + 3});
    EXPECT_TRUE(f.designer.Mouse().Dragging());
    EXPECT_FALSE(f.designer.Mouse().Resizing());
    f.DragTo({c.from.x + 3 + c.by.x, c.from.y + 3 + c.by.y});
    EXPECT_EQ(f.Control("B1").Bounds, (port::Rect{c.expected.x, c.expected.y, 40, 40}))
        << "grid " << c.grid << " from " << c.from.x << "," << c.from.y;
    EXPECT_FALSE(f.designer.Mouse().Dragging());
  }
}

TEST(DesignerMouse, ShiftClickedControlsMoveTogetherEachSnapped) {
  DesignerFixture f;
  ASSERT_TRUE(
      f.Open(DialogWith({Button("B1", 10, 10), Button("B2", 61, 30), Button("B3", 150, 67), Button("B4", 200, 200)})));
  f.Click("B1");
  f.Click("B2", true);
  f.Click("B3", true);
  EXPECT_EQ(f.SelectedNames(), (std::vector<std::string>{"B1", "B2", "B3"}));
  EXPECT_EQ(f.designer.Selection().Current(), f.Index("B3"));

  // Dragged by one of them, each moves by the same (+6, +6) and snaps on its own.
  f.Press("B2", {70, 40});
  f.DragTo({76, 46});
  EXPECT_EQ(f.Control("B1").Bounds, (port::Rect{16, 16, 40, 40}));
  EXPECT_EQ(f.Control("B2").Bounds, (port::Rect{64, 36, 40, 40}));
  EXPECT_EQ(f.Control("B3").Bounds, (port::Rect{156, 72, 40, 40}));
  EXPECT_EQ(f.Control("B4").Bounds, (port::Rect{200, 200, 40, 40}));

  // Shift-clicking a selected control takes it out; the others still move together.
  f.Click("B2", true);
  EXPECT_EQ(f.SelectedNames(), (std::vector<std::string>{"B1", "B3"}));
  f.Press("B1", {20, 20});
  f.DragTo({28, 20});
  EXPECT_EQ(f.Control("B1").Bounds.left, 24);
  EXPECT_EQ(f.Control("B2").Bounds.left, 64);
  EXPECT_EQ(f.Control("B3").Bounds.left, 164);
}

TEST(DesignerMouse, PressesSelect) {
  DesignerFixture f;
  ASSERT_TRUE(f.Open(DialogWith({Button("B1", 10, 10), Button("B2", 100, 10)})));
  // Opening selects the control of the last line.
  EXPECT_EQ(f.SelectedNames(), (std::vector<std::string>{"B2"}));
  f.Click("B1", true);
  EXPECT_EQ(f.SelectedNames(), (std::vector<std::string>{"B2", "B1"}));
  // A right press selects only that control, and starts nothing.
  f.Press("B2", {101, 11}, false, DesignButton::Right);
  EXPECT_EQ(f.SelectedNames(), (std::vector<std::string>{"B2"}));
  EXPECT_FALSE(f.designer.Mouse().Dragging());
  // A left press on an unselected control selects it alone and does not drag it yet.
  f.Press("B1", {11, 11});
  EXPECT_EQ(f.SelectedNames(), (std::vector<std::string>{"B1"}));
  f.DragTo({31, 31});
  EXPECT_EQ(f.Control("B1").Bounds.left, 10);
  // A press on the surface between the controls clears the selection.
  f.designer.Mouse().PressSurface();
  EXPECT_TRUE(f.designer.Selection().Empty());
}

TEST(DesignerMouse, TheCornerResizesWhileTheSizeStaysAbove8) {
  // Grid 4, left 12: the corner dragged to x 20, 23, 24 keeps, keeps, and then sets a width of 12.
  struct Case {
    int cornerX, cornerY;
    int width, height;
  } cases[] = {
      {20, 20, 40, 40}, {23, 23, 40, 40}, {24, 24, 12, 12}, {80, 30, 68, 16},  // the bottom snaps to 28
      {103, 3, 88, 40},                                                        // above the top: the height stays
  };
  for (const Case& c : cases) {
    DesignerFixture f;
    ASSERT_TRUE(f.Open(DialogWith({Button("B1", 12, 12), Button("B2", 100, 100)})));
    f.Click("B2");
    f.Click("B1", true);
    // 2 pixels inside the corner: the corner follows the mouse 2 pixels further on.
    f.Press("B1", {50, 50});
    EXPECT_TRUE(f.designer.Mouse().Resizing());
    EXPECT_EQ(f.SelectedNames(), (std::vector<std::string>{"B1"}));
    f.DragTo({c.cornerX - 2, c.cornerY - 2});
    EXPECT_EQ(f.Control("B1").Bounds, (port::Rect{12, 12, c.width, c.height})) << c.cornerX << "," << c.cornerY;
    EXPECT_EQ(f.Control("B2").Bounds, (port::Rect{100, 100, 40, 40}));
  }
}

TEST(DesignerMouse, TheCursorShowsTheCornerOfSelectedControls) {
  DesignerFixture f;
  ASSERT_TRUE(f.Open(DialogWith({Button("B1", 10, 10), Button("B2", 100, 10)})));
  f.Click("B1");
  DesignMouse& mouse = f.designer.Mouse();
  EXPECT_EQ(mouse.CursorOver(f.Index("B1"), {36, 36}), DesignCursor::SizeDiagonal);
  EXPECT_EQ(mouse.CursorOver(f.Index("B1"), {35, 39}), DesignCursor::Arrow);  // x must be beyond 40 - 5
  EXPECT_EQ(mouse.CursorOver(f.Index("B1"), {39, 35}), DesignCursor::Arrow);
  EXPECT_EQ(mouse.CursorOver(f.Index("B2"), {39, 39}), DesignCursor::Arrow);  // not selected
}

}  // namespace
}  // namespace tw
