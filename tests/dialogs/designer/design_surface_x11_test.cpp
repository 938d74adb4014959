// The design surface on a real X server with openbox, driven by the real mouse through xdotool: a dialog with
// every kind of control, one control dragged and another resized by its corner, the saved definition holding
// the snapped values. The surface with a selection and its popup menu open is kept as a screenshot of the
// screen.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <map>
#include <string>

#include "designer_test_support.h"
#include "dialogs/designer/qt/design_surface.h"
#include "qt_on_bed.h"
#include "screenshot.h"
#include "test_bed.h"
#include "waiting.h"

namespace tw {
namespace {

using testbed::waitUntil;

bool Red(int r, int g, int b) { return r > 160 && g < 80 && b < 80; }
// The designer's substitutes stand on clMoneyGreen.
bool MoneyGreen(int r, int g, int b) { return r == 0xC0 && g == 0xDC && b == 0xC0; }

class SurfaceOnX11 : public ::testing::Test {
 protected:
  SurfaceOnX11() : bed(testbed::TestBedOptions{.windowManager = true}), qt(bed) {}

  // Runs xdotool to its end, then lets the surface take the events until the condition holds.
  bool Mouse(const std::vector<std::string>& arguments, const std::function<bool()>& done) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    if (bed.launch(argv).waitForExit(testbed::kPatience) != 0) return false;
    return waitUntil([&] {
      QApplication::processEvents();
      return done();
    });
  }
  std::vector<std::string> At(QWidget* widget, QPoint inside) {
    const QPoint global = widget->mapToGlobal(inside);
    return {"mousemove", "--sync", std::to_string(global.x()), std::to_string(global.y())};
  }
  static std::vector<std::string> Then(std::vector<std::string> first, const std::vector<std::string>& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
  }

  testbed::TestBed bed;
  testbed::QtOnBed qt;
};

TEST_F(SurfaceOnX11, TheRealMouseDragsOneControlAndResizesAnotherOnTheGrid) {
  test::DesignerFixture f;
  ASSERT_TRUE(f.Open(test::DialogWith({
      "H1,300,200,40,40,0,\"\",0,2,0,16777215,0,\"\"",
      "I1,300,150,32,32,0,\"\",0,0,3,0,0,0,\"\"",
      "L1,10,10,100,20,0,\"\",0,N,2,0,0,\"Name:\"",
      "E1,10,40,120,22,0,\"\",0,N,0,1,0,\"secret\"",
      "M1,10,80,120,60,0,\"\",0,N,0,1,0,\"memo\"",
      "O1,150,10,100,22,0,\"\",0,N,0,0,0,\"a;b;\"",
      "S1,150,40,100,60,0,\"\",0,N,0,0,0,\"x;y;\"",
      "C1,150,110,100,20,0,\"\",0,N,1,0,0,\"Check\"",
      "R1,150,140,100,20,0,\"\",0,N,0,0,0,\"Radio\"",
      "B1,300,10,75,25,0,\"\",0,N,0,0,0,\"&OK\"",
  })));
  // The fixture measures text with fixed figures; the window here is drawn by Qt.
  DesignSurface surface(f.designer, f.host);
  surface.move(40, 40);
  surface.show();
  ASSERT_TRUE(waitUntil([&] {
    QApplication::processEvents();
    const auto facts = bed.probe().facts(surface.winId());
    return surface.windowHandle()->isExposed() && facts && facts->viewable;
  }));
  const auto widget = [&](const char* name) { return surface.Widgets()[f.Index(name)]; };
  const auto bounds = [&](const char* name) { return f.Control(name).Bounds; };

  // The label: a click selects it, a drag by (+13, +7) from (10, 10) lands on (20, 16) with grid 4.
  ASSERT_TRUE(Mouse(Then(At(widget("L1"), {5, 5}), {"click", "1"}),
                    [&] { return f.SelectedNames() == std::vector<std::string>{"L1"}; }));
  ASSERT_TRUE(Mouse(
      Then(Then(At(widget("L1"), {5, 5}), {"mousedown", "1"}), Then(At(widget("L1"), {18, 12}), {"mouseup", "1"})),
      [&] { return !f.designer.Mouse().Dragging() && bounds("L1").left != 10; }));
  EXPECT_EQ(bounds("L1"), (port::Rect{20, 16, 100, 20}));

  // The edit box by its corner: grabbed 2 pixels inside it, let go 31 right and 9 down.
  ASSERT_TRUE(Mouse(Then(At(widget("E1"), {5, 5}), {"click", "1"}),
                    [&] { return f.SelectedNames() == std::vector<std::string>{"E1"}; }));
  const QPoint corner(bounds("E1").width - 2, bounds("E1").height - 2);
  ASSERT_TRUE(Mouse(Then(Then(At(widget("E1"), corner), {"mousedown", "1"}),
                         Then(At(widget("E1"), corner + QPoint(31, 9)), {"mouseup", "1"})),
                    [&] { return !f.designer.Mouse().Dragging() && bounds("E1").width != 120; }));
  EXPECT_EQ(bounds("E1"), (port::Rect{10, 40, 150, 28}));  // right 161 -> 160, bottom 71 -> 68

  // A right click on the surface opens the menu; the selection stays framed in red beneath it.
  bool menuShown = false;
  double framed = 0;
  double menuDrawn = 0;
  std::map<std::string, double> green;
  QTimer watch;
  watch.setInterval(10);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->windowHandle() || !menu->windowHandle()->isExposed()) return;
    watch.stop();
    menuShown = true;
    const testbed::Picture window =
        testbed::screenshot(bed, surface.winId(), "designer-surface-selection", TW_ARTIFACTS_DIR);
    framed = window.share(Red);
    for (const char* box : {"C1", "R1"}) {
      const port::Rect& at = bounds(box);
      green[box] = window.shareIn(at.left, at.top, at.width, at.height, MoneyGreen);
    }
    // The whole screen, so that the open menu shows over the surface.
    const testbed::Picture screen = testbed::screenshotOfScreen(bed, "designer-surface-menu", TW_ARTIFACTS_DIR);
    const QRect area = menu->geometry();
    menuDrawn = screen.shareIn(area.x(), area.y(), area.width(), area.height(),
                               [](int r, int g, int b) { return r + g + b > 500; });
    menu->close();
  });
  watch.start();
  const QPoint free(surface.width() - 30, surface.height() - 30);  // no control there
  ASSERT_TRUE(Mouse(Then(At(&surface, free), {"click", "3"}), [&] { return menuShown; }));
  EXPECT_GT(framed, 0.0002) << "the dotted red frame around the selected edit box";
  EXPECT_GT(menuDrawn, 0.5) << "the open menu's light background on the screen";
  EXPECT_GT(green["C1"], 0.5) << "the check box on its design green";
  EXPECT_GT(green["R1"], 0.5) << "the radio button on its design green";

  f.designer.Save();
  const auto saved = [&](const std::string& start) {
    return std::any_of(f.dialog.Definition.begin(), f.dialog.Definition.end(),
                       [&](const std::string& line) { return line.starts_with(start); });
  };
  EXPECT_TRUE(saved("L1,20,16,100,20,")) << testing::PrintToString(f.dialog.Definition);
  EXPECT_TRUE(saved("E1,10,40,150,28,")) << testing::PrintToString(f.dialog.Definition);
}

}  // namespace
}  // namespace tw
