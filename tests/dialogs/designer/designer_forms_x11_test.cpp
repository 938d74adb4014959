// The designer's property form, one screenshot per page, and the tab order form on a real X server with
// openbox. Each picture is kept among the build's artefacts and checked for what the page must show.

#include <gtest/gtest.h>

#include <QApplication>
#include <QWindow>

#include "designer_test_support.h"
#include "dialogs/designer/qt/form_component_properties.h"
#include "dialogs/designer/qt/form_tab_order.h"
#include "qt_on_bed.h"
#include "screenshot.h"
#include "test_bed.h"
#include "waiting.h"

namespace tw {
namespace {

using testbed::waitUntil;

bool Dark(int r, int g, int b) { return r < 80 && g < 80 && b < 80; }
bool Red(int r, int g, int b) { return r > 160 && g < 80 && b < 80; }
// Any clearly coloured pixel: the built-in pictures are drawn in colour, the form around them in greys.
bool Coloured(int r, int g, int b) { return std::max({r, g, b}) - std::min({r, g, b}) > 60; }

TEST(DesignerFormsOnX11, EveryPropertyPageAndTheTabOrderFormAreDrawn) {
  testbed::TestBed bed(testbed::TestBedOptions{.windowManager = true});
  testbed::QtOnBed qt(bed);
  test::DesignerFixture f;
  ASSERT_TRUE(f.Open(test::DialogWith({
      "E1,10,10,120,22,0,\"\",0,N,0,0,0,\"your name\"",
      "L1,10,40,120,40,0,\"Courier New\",14,B,0,1,0,\"Hello there\"",
      "B1,10,90,60,24,0,\"\",0,N,0,0,0,\"&OK\"",
      "H1,150,10,60,60,0,\"\",2,3,255,0,0,\"\"",
      "I1,150,80,32,32,0,\"\",0,0,1,0,0,0,\"\"",
  })));
  f.dialog.Window.Colour = 0x000000FF;

  const auto shot = [&](QWidget& window, const char* name) {
    window.move(40, 40);
    window.show();
    EXPECT_TRUE(waitUntil([&] {
      QApplication::processEvents();
      const auto facts = bed.probe().facts(window.winId());
      return window.windowHandle() && window.windowHandle()->isExposed() && facts && facts->viewable;
    })) << name;
    return testbed::screenshot(bed, window.winId(), name, TW_ARTIFACTS_DIR);
  };
  const auto page = [&](std::optional<std::size_t> control, const char* name) {
    TFormComponentProperties form(f.dialog, control);
    return shot(form, name);
  };

  EXPECT_GT(page(f.Index("L1"), "designer-properties-components").share(Dark), 0.005) << "labels and text drawn";
  const testbed::Picture dialogPage = page(std::nullopt, "designer-properties-dialog");
  EXPECT_GT(dialogPage.share(Dark), 0.005);
  EXPECT_GT(dialogPage.share(Red), 0.0002) << "the Form Color button's caption shows the dialog's colour";
  EXPECT_GT(page(f.Index("I1"), "designer-properties-image").share(Coloured), 0.005) << "the pictures are listed";
  EXPECT_GT(page(f.Index("H1"), "designer-properties-shape").share(Red), 0.0002)
      << "the Pen Color button's caption shows the pen colour";

  TFormTabOrder tabOrder(f.dialog);
  EXPECT_GT(shot(tabOrder, "designer-tab-order").share(Dark), 0.002) << "the entries are listed";
}

}  // namespace
}  // namespace tw
