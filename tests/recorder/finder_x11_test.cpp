// The window finders on a real X server, with and without a window manager, driven by xdotool as a user's
// mouse and keyboard would: what the pointer finds is what xprop and xwininfo say about the window shown
// there; the overlay frames a titled window and gives clicks relative to a window's frame; Esc gives nothing
// and brings the program's windows back.

#include <gtest/gtest.h>

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <regex>
#include <string>

#include "qt_on_bed.h"
#include "recorder/qt/enum_window_info.h"
#include "recorder/qt/form_recording.h"
#include "recorder/qt/window_rect_finder.h"
#include "screenshot.h"
#include "test_bed.h"
#include "waiting.h"
#include "x11_desktop_on.h"

namespace tw {
namespace {

using testbed::Choreography;
using testbed::TestBed;
using testbed::waitUntil;

std::string Hex(unsigned long id) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", id);
  return text;
}

class Finders : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    bed_ = std::make_unique<TestBed>(testbed::TestBedOptions{.windowManager = GetParam()});
    qt_ = std::make_unique<testbed::QtOnBed>(*bed_);
    desktop_ = testbed::OpenDesktopOn(*bed_);
  }
  void TearDown() override {
    desktop_.reset();
    qt_.reset();
    bed_.reset();
  }

  unsigned long Xterm(const std::string& title, const std::string& geometry) {
    auto& process = bed_->launch({"xterm", "-T", title, "-geometry", geometry});
    return bed_->waitForWindow({title, "XTerm", process.pid()});
  }

  // What a program prints.
  std::string Output(const std::vector<std::string>& argv) {
    static int count = 0;
    const auto file = bed_->dir() / ("output-" + std::to_string(++count) + ".txt");
    EXPECT_EQ(bed_->launch(argv, {{}, file, -1}).waitForExit(testbed::kPatience), 0) << argv.front();
    return testbed::readFile(file);
  }

  // The number after `label` in xwininfo's report of the window.
  int WindowInfo(unsigned long window, const std::string& label) {
    const std::string text = Output({"xwininfo", "-id", Hex(window)});
    std::smatch match;
    if (!std::regex_search(text, match, std::regex(label + ":\\s*(-?\\d+)"))) return -99999;
    return std::stoi(match[1]);
  }

  // The window manager's frame around a window, as xwininfo shows the window tree: the ancestor just below the
  // root (the window itself without a window manager).
  unsigned long FrameOf(unsigned long window) {
    for (;;) {
      const std::string tree = Output({"xwininfo", "-tree", "-id", Hex(window)});
      std::smatch root, parent;
      if (!std::regex_search(tree, root, std::regex("Root window id: (0x[0-9a-f]+)")) ||
          !std::regex_search(tree, parent, std::regex("Parent window id: (0x[0-9a-f]+)")))
        return window;
      if (parent[1] == root[1]) return window;
      window = std::stoul(parent[1], nullptr, 16);
    }
  }

  // xdotool runs while Qt's events go on (the windows under test are this process's own).
  void Xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    auto& process = bed_->launch(argv);
    ASSERT_TRUE(waitUntil([&] {
      QApplication::processEvents();
      return !process.running();
    }));
  }

  void ShowAndWait(QWidget& window) {
    window.show();
    ASSERT_TRUE(waitUntil([&] {
      QApplication::processEvents();
      return window.windowHandle() && window.windowHandle()->isExposed() &&
             bed_->probe().facts(window.winId()).has_value() && bed_->probe().facts(window.winId())->viewable;
    }));
  }

  bool Viewable(unsigned long window) {
    const auto facts = bed_->probe().facts(window);
    return facts && facts->viewable;
  }

  std::unique_ptr<TestBed> bed_;
  std::unique_ptr<testbed::QtOnBed> qt_;
  std::unique_ptr<port::x11::X11Desktop> desktop_;
};

TEST_P(Finders, ThePointerFindsTheWindowShownWhereItIsLetGo) {
  const unsigned long below = Xterm("tw below", "10x2+150+150");
  const unsigned long target = Xterm("tw target", "80x24+100+100");
  QDialog holder;
  holder.setWindowTitle("tw holder");
  auto* pointer = new TEnumWindowInfo(*desktop_, &holder);
  auto* title = new QLabel;
  auto* windowClass = new QLabel;
  pointer->TitleLabel = title;
  pointer->ClassLabel = windowClass;
  auto* layout = new QHBoxLayout(&holder);
  layout->addWidget(pointer);
  layout->addWidget(title);
  layout->addWidget(windowClass);
  holder.setGeometry(800, 600, 300, 80);
  ShowAndWait(holder);
  int releases = 0;
  QObject::connect(pointer, &TEnumWindowInfo::Released, [&] { ++releases; });

  const auto drag = [&](int x, int y) {
    const QPoint from = pointer->mapToGlobal(pointer->rect().center());
    const int before = releases;
    Xdotool({"mousemove", std::to_string(from.x()), std::to_string(from.y()), "mousedown", "1", "mousemove",
             std::to_string(x), std::to_string(y), "mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] {
      QApplication::processEvents();
      return releases > before;
    }));
  };

  // Over the small xterm's middle the large one is shown: the small one is never found.
  const auto belowFrame = desktop_->windows().frameRect(below);
  ASSERT_TRUE(belowFrame);
  drag(belowFrame->centre().x, belowFrame->centre().y);
  EXPECT_EQ(pointer->FoundHandle(), target);
  const std::string properties = Output({"xprop", "-id", Hex(target), "WM_NAME", "WM_CLASS"});
  EXPECT_NE(properties.find("WM_NAME(STRING) = \"" + pointer->FoundTitle().toStdString() + "\""), std::string::npos)
      << properties;
  EXPECT_NE(properties.find(", \"" + pointer->FoundClass().toStdString() + "\""), std::string::npos) << properties;
  EXPECT_EQ(pointer->FoundTitle(), "tw target");
  EXPECT_EQ(title->text(), "tw target");
  EXPECT_EQ(windowClass->text(), "XTerm");
  EXPECT_NE(Output({"xwininfo", "-name", "tw target"}).find("Window id: " + Hex(pointer->FoundHandle())),
            std::string::npos);

  // Over the holding dialog nothing is found.
  drag(holder.geometry().right() - 10, holder.geometry().bottom() - 10);
  EXPECT_EQ(pointer->FoundHandle(), port::kNoWindow);
  EXPECT_EQ(pointer->FoundTitle(), "");
  EXPECT_EQ(title->text(), "");
  EXPECT_FALSE(pointer->pixmap().isNull()) << "the picture is back";

  // With WantChild the innermost window: the one xterm draws its text in.
  TEnumWindowInfo::WantChild = true;
  drag(belowFrame->centre().x, belowFrame->centre().y);
  EXPECT_NE(pointer->FoundHandle(), target);
  EXPECT_NE(pointer->FoundHandle(), port::kNoWindow);
  EXPECT_NE(Output({"xwininfo", "-children", "-id", Hex(target)}).find(Hex(pointer->FoundHandle())),
            std::string::npos);
  TEnumWindowInfo::WantChild = false;
}

TEST_P(Finders, TheOverlayFramesTheTitledWindowUnderTheMouse) {
  Xterm("tw target", "80x24+100+100");
  const auto inner = desktop_->windows().windowsAt({.where = {300, 250}, .innermost = true});
  ASSERT_EQ(inner.size(), 2u);
  Xdotool({"set_window", "--name", "tw text", Hex(inner[1])});
  QMainWindow application;
  application.setWindowTitle("tw application");
  application.setGeometry(700, 500, 300, 200);
  ShowAndWait(application);

  TWindowRectFinder finder(*desktop_);
  finder.Caption = "Locate the mouse click position";
  testbed::Picture shot;
  Choreography steps(
      {[&] { return finder.FinderHandle() != port::kNoWindow && Viewable(finder.FinderHandle()); },
       [&] {
         bed_->launch({"xdotool", "mousemove", "300", "250"});
         return true;
       },
       [&] { return finder.Highlight() && finder.Highlight()->title == "tw text"; },
       [&] {
         shot = testbed::screenshot(*bed_, finder.FinderHandle(),
                                    GetParam() ? "finder-overlay" : "finder-overlay-bare", TW_ARTIFACTS_DIR);
         bed_->launch({"xdotool", "click", "1"});
         return true;
       }},
      [&] { bed_->launch({"xdotool", "key", "Escape"}); });
  TWindowInfo info;
  const bool found = finder.FindWindowRect(info);
  ASSERT_FALSE(steps.failed()) << "step " << *steps.failed();
  ASSERT_TRUE(found);
  EXPECT_EQ(info, (TWindowInfo{"tw target", "tw text", WindowInfo(inner[1], "Absolute upper-left X"),
                               WindowInfo(inner[1], "Absolute upper-left Y"), WindowInfo(inner[1], "Width"),
                               WindowInfo(inner[1], "Height")}));
  EXPECT_GT(shot.share([](int r, int g, int b) { return r > 200 && g > 200 && b < 60; }), 0.001) << "the yellow frame";
  EXPECT_GT(shot.share([](int r, int g, int b) { return r < 30 && g < 30 && b > 130; }), 0.0005) << "the caption";
  EXPECT_TRUE(waitUntil([&] {
    QApplication::processEvents();
    return Viewable(application.winId()) && (!GetParam() || bed_->probe().wmState(application.winId()) == 1);
  })) << "the application is back";
}

TEST_P(Finders, ClicksAreTakenWhereTheyHappenAndEscGivesNothing) {
  const unsigned long target = Xterm("tw target", "80x24+100+100");
  QMainWindow application;
  application.setWindowTitle("tw application");
  application.setGeometry(700, 500, 300, 200);
  ShowAndWait(application);
  // The pointer is put in place before the overlay opens: the click comes without any move.
  Xdotool({"mousemove", "333", "222"});

  TWindowRectFinder finder(*desktop_);
  const auto overlayUp = [&] { return finder.FinderHandle() != port::kNoWindow && Viewable(finder.FinderHandle()); };
  const auto escape = [&] { bed_->launch({"xdotool", "key", "Escape"}); };
  const auto press = [&](std::vector<std::string> argv) {
    return [&, argv] {
      bed_->launch(argv);
      return true;
    };
  };
  port::Point point{-1, -1};
  {
    Choreography steps({overlayUp, press({"xdotool", "click", "1"})}, escape);
    ASSERT_TRUE(finder.LocateClickPosition(target, point));
  }
  const unsigned long frame = FrameOf(target);
  EXPECT_EQ(point, (port::Point{333 - WindowInfo(frame, "Absolute upper-left X"),
                                222 - WindowInfo(frame, "Absolute upper-left Y")}));
  {
    Choreography steps({overlayUp, press({"xdotool", "click", "1"})}, escape);
    ASSERT_TRUE(finder.LocateClickPosition(port::kNoWindow, point));
  }
  EXPECT_EQ(point, (port::Point{333, 222})) << "without a window, on the screen";

  // Esc: nothing, and the application comes back.
  {
    Choreography steps({overlayUp, press({"xdotool", "key", "Escape"})}, escape);
    EXPECT_FALSE(finder.LocateClickPosition(target, point));
  }
  EXPECT_EQ(point, (port::Point{333, 222})) << "unchanged";
  TWindowInfo info{"old", "old", 1, 2, 3, 4};
  {
    Choreography steps({overlayUp, press({"xdotool", "key", "Escape"})}, escape);
    EXPECT_FALSE(finder.FindWindowRect(info));
  }
  EXPECT_EQ(info, TWindowInfo{});
  EXPECT_TRUE(waitUntil([&] {
    QApplication::processEvents();
    return Viewable(application.winId()) && (!GetParam() || bed_->probe().wmState(application.winId()) == 1);
  })) << "the application is back";
}

// The recorder's wizard over an xterm: step 1 with the window picked by its pointer, step 2 while it records,
// both kept as screenshots; what is typed meanwhile becomes the script lines for that window.
TEST_P(Finders, TheWizardPicksTheWindowThenRecords) {
  Xterm("tw target", "80x24+100+100");
  TFormRecording form(*desktop_);
  const auto next = [&] {
    // Next brings the picked window to the front while Qt's events go on: not from inside a step.
    QTimer::singleShot(0, form.ButtNext, &QPushButton::click);
    return true;
  };
  Choreography steps(
      {[&] { return form.isVisible() && Viewable(form.winId()); },
       [&] {
         const QPoint from = form.EnumWindowInfo->mapToGlobal(form.EnumWindowInfo->rect().center());
         bed_->launch({"xdotool", "mousemove", std::to_string(from.x()), std::to_string(from.y()), "mousedown", "1",
                       "mousemove", "300", "250", "mouseup", "1"});
         return true;
       },
       [&] { return form.LablTitle->text() == "tw target" && !form.EnumWindowInfo->Dragging(); },
       [&] {
         testbed::screenshot(*bed_, form.winId(), GetParam() ? "recorder-wizard-pick" : "recorder-wizard-pick-bare",
                             TW_ARTIFACTS_DIR);
         return true;
       },
       next, [&] { return form.Recorder().Recording(); },
       [&] {
         bed_->launch({"xdotool", "type", "hi"});
         return true;
       },
       [&] { return form.Recorder().RecordedText() == "hi"; },
       [&] {
         testbed::screenshot(*bed_, form.winId(),
                             GetParam() ? "recorder-wizard-record" : "recorder-wizard-record-bare", TW_ARTIFACTS_DIR);
         form.ButtStop->click();
         return true;
       }},
      [&] { form.reject(); });
  ASSERT_TRUE(form.Execute());
  ASSERT_FALSE(steps.failed()) << "step " << *steps.failed();
  EXPECT_EQ(RecordingScriptText(form.RecordedText(), form.Target(), 1),
            "IF FOCUS(\"tw target\", 5) = True THEN\r\nSEND \"hi\"\r\nENDIF\r\n");
}

INSTANTIATE_TEST_SUITE_P(WindowFinders, Finders, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) { return param.param ? "openbox" : "bare"; });

}  // namespace
}  // namespace tw
