// The script properties dialog on a real X server with openbox: the window picker beside the title edit
// fills it from an xterm dragged onto by xdotool, and both tabs are kept as screenshots.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QWindow>

#include "catalogue/qt/script_form.h"
#include "qt_on_bed.h"
#include "recorder/qt/enum_window_info.h"
#include "screenshot.h"
#include "test_bed.h"
#include "waiting.h"
#include "x11_desktop_on.h"

namespace tw {
namespace {

using testbed::waitUntil;

TEST(ScriptFormOnX11, ThePickerFillsTheTitleAndBothTabsAreShown) {
  testbed::TestBed bed(testbed::TestBedOptions{.windowManager = true});
  testbed::QtOnBed qt(bed);
  auto desktop = testbed::OpenDesktopOn(bed);
  auto& xterm = bed.launch({"xterm", "-T", "tw editor", "-geometry", "60x20+40+40"});
  bed.waitForWindow({"tw editor", "XTerm", xterm.pid()});

  TScriptHeader header;
  header.description = "Log in to the editor";
  header.command = "/usr/bin/xterm";
  header.hotkey = "Ctrl+Alt+F5";
  header.enableschd = true;
  header.runmode = 2;
  header.schdcount = 3;
  TScriptForm form(header, *desktop);
  form.move(520, 60);
  form.show();
  const auto shown = [&](QWidget& window) {
    return waitUntil([&] {
      QApplication::processEvents();
      const auto facts = bed.probe().facts(window.winId());
      return window.windowHandle() && window.windowHandle()->isExposed() && facts && facts->viewable;
    });
  };
  ASSERT_TRUE(shown(form));
  form.activateWindow();
  form.EditTitle->setFocus();
  ASSERT_TRUE(waitUntil([&] {
    QApplication::processEvents();
    return form.EnumWindowInfo->isVisible();
  })) << "the picker shows while the title edit has the focus";
  testbed::screenshot(bed, form.winId(), "script-properties", TW_ARTIFACTS_DIR);

  const QPoint from = form.EnumWindowInfo->mapToGlobal(form.EnumWindowInfo->rect().center());
  auto& drag = bed.launch({"xdotool", "mousemove", std::to_string(from.x()), std::to_string(from.y()), "mousedown",
                           "1", "mousemove", "200", "150", "mouseup", "1"});
  ASSERT_TRUE(waitUntil([&] {
    QApplication::processEvents();
    return !drag.running() && form.EditTitle->text() == "tw editor";
  })) << form.EditTitle->text().toStdString();

  form.PageControl->setCurrentIndex(1);
  ASSERT_TRUE(waitUntil([&] {
    QApplication::processEvents();
    return form.CheckSchedule->isVisible();
  }));
  const testbed::Picture schedule = testbed::screenshot(bed, form.winId(), "script-schedule", TW_ARTIFACTS_DIR);
  EXPECT_GT(schedule.share([](int r, int g, int b) { return r < 80 && g < 80 && b < 80; }), 0.005)
      << "the schedule tab's text is drawn";
}

}  // namespace
}  // namespace tw
