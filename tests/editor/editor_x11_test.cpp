// The editor window of the test process on a real X server with openbox, driven by xdotool: F9 runs a script
// to its breakpoint, F8 completes it, F11 cancels; a test run's keys go to an xterm, not to the editor; the guide
// panel under a highlighted script tells what the word at the caret is; F1 opens the help window on that word.

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QTextBrowser>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor/qt/form_codes.h"
#include "editor/qt/form_debugger.h"
#include "editor/qt/form_help.h"
#include "editor/qt/form_script_editor.h"
#include "editor/qt/guide_panel.h"
#include "interpreter/ini_file.h"
#include "qt_on_bed.h"
#include "runtime/qt/qt_host.h"
#include "screenshot.h"
#include "support/scoped_environment.h"
#include "test_bed.h"
#include "waiting.h"
#include "x11_desktop_on.h"

namespace tw {
namespace {

using editor::EditorAction;
using testbed::Choreography;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class EditorOnX11 : public ::testing::Test {
 protected:
  EditorOnX11()
      : bed(testbed::TestBedOptions{.windowManager = true}),
        qt(bed),
        desktop(testbed::OpenDesktopOn(bed)),
        host(&desktop->windows()) {
    folder = bed.dir().path().string();
  }

  std::unique_ptr<TFormScriptEditor> OpenEditor(const std::string& script) {
    auto window = std::make_unique<TFormScriptEditor>(
        host, *desktop, ScriptEditorPlaces{folder + "/tarnwick.ini", folder, folder, folder + "/Helpers"});
    window->move(40, 40);
    window->OpenEditor(script);
    return window;
  }
  // The window is on the screen and has the keyboard.
  bool Ready(TFormScriptEditor& window) {
    if (!window.windowHandle() || !window.windowHandle()->isExposed()) return false;
    if (bed.probe().inputFocus() != window.winId() && bed.probe().activeWindow() != window.winId()) {
      window.activateWindow();
      window.raise();
      return false;
    }
    return true;
  }
  std::string Title(const QWidget& window) {
    const auto facts = bed.probe().facts(window.winId());
    return facts ? facts->title : "";
  }
  void Key(const char* key) { bed.launch({"xdotool", "key", key}); }

  testbed::TestBed bed;
  testbed::QtOnBed qt;
  std::unique_ptr<port::x11::X11Desktop> desktop;
  QtHost host;
  std::string folder;
};

TEST_F(EditorOnX11, F9PausesAtTheBreakpointF8CompletesAndF11LeavesTheFileShort) {
  const std::string out = folder + "/out.txt";
  std::ofstream{out};  // appending needs the file
  const std::string script = folder + "/appends.tws";
  std::ofstream(script) << "one = 1\nmark(\"line 1\")\nmark(\"line 2\")\nmark(\"line 3\")\nmark(\"line 4\")\n"
                        << "mark(\"line 5\")\nend\n"
                        << "sub mark(t)\nh = fopen(\"" << out << "\", 3)\nfputs(h, t)\nfclose(h)\nendsub\n";
  IniFile::Update(folder + "/tarnwick.ini", [](IniFile& ini) {
    ini.WriteString("WatchList", "Line0", "one");
    ini.WriteString("WatchList", "Line1", "h");
    ini.WriteString("WatchList", "Line2", "t");
  });
  auto window = OpenEditor(script);
  TFormCodes& page = *window->ActiveForm();
  page.ScriptContent->setCursorPosition(4, 0);  // mark("line 4")
  window->Action(EditorAction::AddBreakPoint)->trigger();

  std::string runningTitle;
  std::string whenPaused;
  std::string afterFirst;
  std::vector<std::string> watches;
  Choreography steps(
      {[&] { return Ready(*window); },
       [&] {
         Key("F9");
         return true;
       },
       [&] {
         if (!window->Core().Paused()) return false;
         runningTitle = Title(*window);
         whenPaused = ReadFile(out);
         const QListWidget* list = window->Debugger() ? window->Debugger()->findChild<QListWidget*>("LBxWatch")
                                                      : nullptr;
         for (int i = 0; list && i < list->count(); ++i) watches.push_back(list->item(i)->text().toStdString());
         testbed::screenshot(bed, window->winId(), "editor-paused", TW_ARTIFACTS_DIR);
         return true;
       },
       [&] { return Ready(*window); },
       [&] {
         Key("F8");
         return true;
       },
       [&] {
         if (window->Core().RunActive()) return false;
         afterFirst = ReadFile(out);
         std::ofstream{out};
         return true;
       },
       [&] { return Ready(*window); },
       [&] {
         Key("F9");
         return true;
       },
       [&] { return window->Core().Paused() && Ready(*window); },
       [&] {
         Key("F11");
         return true;
       },
       [&] {
         if (window->Core().RunActive()) return false;
         QCoreApplication::quit();
         return true;
       }},
      [&] {
        std::fprintf(stderr, "gave up: running %d paused %d title \"%s\" modal %s file \"%s\"\n",
                     window->Core().Running(), window->Core().Paused(), Title(*window).c_str(),
                     QApplication::activeModalWidget() ? "yes" : "no", ReadFile(out).c_str());
        window->Core().Cancel();
        QCoreApplication::quit();
      });
  QApplication::exec();
  ASSERT_FALSE(steps.failed()) << "step " << *steps.failed() << " ran out of time";
  EXPECT_EQ(runningTitle, "Tarnwick Script Editor - [Running]");
  EXPECT_EQ(whenPaused, "line 1\r\nline 2\r\nline 3\r\n");
  EXPECT_EQ(watches, (std::vector<std::string>{"one [n] = 1", "h [-] = ", "t [-] = "}));
  EXPECT_EQ(afterFirst, "line 1\r\nline 2\r\nline 3\r\nline 4\r\nline 5\r\n");
  EXPECT_EQ(ReadFile(out), "line 1\r\nline 2\r\nline 3\r\n");
  EXPECT_EQ(Title(*window), "Tarnwick Script Editor");
}

TEST_F(EditorOnX11, F1OnSendShowsItsPageInTheHelpWindow) {
  const std::string script = folder + "/help.tws";
  std::ofstream(script) << "x = 1\nsend \"abc\"\n";
  auto window = OpenEditor(script);
  window->SetReferenceFolder(TW_REFERENCE_HTML);
  QsciScintilla& page = *window->ActiveForm()->ScriptContent;
  page.setCursorPosition(1, 2);
  page.setFocus();
  TFormHelp* help = nullptr;
  testbed::Picture shot;
  std::string helpTitle, shownPage;
  bool listed = false;
  Choreography steps({[&] { return Ready(*window) && QApplication::focusWidget() == &page; },
                      [&] {
                        Key("F1");
                        return true;
                      },
                      [&] {
                        for (QWidget* shown : QApplication::topLevelWidgets())
                          if (!help) help = qobject_cast<TFormHelp*>(shown);
                        return help && help->windowHandle() && help->windowHandle()->isExposed() &&
                               !Title(*help).empty();
                      },
                      [&] {
                        helpTitle = Title(*help);
                        const QUrl source = help->Browser->source();
                        shownPage = (source.fileName() + "#" + source.fragment()).toStdString();
                        listed = help->ListIndex->count() == static_cast<int>(help->Index().Topics().size());
                        shot = testbed::screenshot(bed, help->winId(), "help-send", TW_ARTIFACTS_DIR);
                        help->close();
                        QCoreApplication::quit();
                        return true;
                      }},
                     [&] { QCoreApplication::quit(); });
  QApplication::exec();
  ASSERT_FALSE(steps.failed()) << "step " << *steps.failed() << " ran out of time";
  EXPECT_EQ(helpTitle, "Tarnwick Help");
  EXPECT_EQ(shownPage, "keys.html#send");
  EXPECT_TRUE(listed) << "the index lists every name";
  // The page's white and its text.
  EXPECT_GT(shot.share([](int r, int g, int b) { return r > 240 && g > 240 && b > 240; }), 0.3);
  EXPECT_GT(shot.share([](int r, int g, int b) { return r < 80 && g < 80 && b < 80; }), 0.005);
}

TEST_F(EditorOnX11, ATestRunTypesIntoAnXtermAndTheEditorComesBack) {
  const std::string typed = folder + "/typed.txt";
  bed.startXterm("typing", {"sh", "-c", "cat > " + typed});
  const std::string script = folder + "/typing.tws";
  std::ofstream(script) << "if focus(\"typing\", 5) = True then\nsend \"hello{ENTER}\"\nendif\nx = 1\n";
  auto window = OpenEditor(script);
  bool minimisedDuringRun = false;
  Choreography steps({[&] { return Ready(*window); },
                      [&] {
                        Key("F9");
                        return true;
                      },
                      [&] { return ReadFile(typed) == "hello\n" && !window->Core().RunActive(); },
                      [&] {
                        QCoreApplication::quit();
                        return true;
                      }},
                     [&] { QCoreApplication::quit(); });
  QObject::connect(window->windowHandle(), &QWindow::windowStateChanged, [&](Qt::WindowState state) {
    if (state == Qt::WindowMinimized) minimisedDuringRun = true;
  });
  QApplication::exec();
  ASSERT_FALSE(steps.failed()) << "step " << *steps.failed() << " ran out of time";
  EXPECT_TRUE(minimisedDuringRun);
  EXPECT_TRUE(testbed::waitUntil([&] {
    QApplication::processEvents();
    return !window->isMinimized() && !bed.probe().hasNetWmState(window->winId(), "_NET_WM_STATE_HIDDEN");
  }));
}

TEST_F(EditorOnX11, CancelEndsARunWaitingInAPause) {
  const std::string script = folder + "/waits.tws";
  const std::string out = folder + "/after-pause.txt";
  std::ofstream(script) << "x = 1\npause 60\nr = savetofile(\"done\", \"" << out << "\")\n";
  auto window = OpenEditor(script);
  Choreography steps({[&] { return Ready(*window); },
                      [&] {
                        Key("F9");
                        return true;
                      },
                      [&] { return window->Core().Running() && window->Core().TestInterpreter().LineIndex >= 2; },
                      [&] {
                        Key("F11");
                        return true;
                      },
                      [&] {
                        if (window->Core().RunActive()) return false;
                        QCoreApplication::quit();
                        return true;
                      }},
                     [&] {
                       window->Core().Cancel();
                       QCoreApplication::quit();
                     },
                     std::chrono::seconds(20));
  QApplication::exec();
  ASSERT_FALSE(steps.failed()) << "step " << *steps.failed() << " ran out of time";
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(EditorOnX11, TheGuidePanelUnderAHighlightedScriptTellsWhatTheWordAtTheCaretIs) {
  // The completion list the build generates, as the user's own copy.
  std::filesystem::create_directories(folder + "/data/tarnwick");
  std::filesystem::copy_file(std::string(TW_REFERENCE_DIR) + "/TWS.ACP", folder + "/data/tarnwick/TWS.ACP");
  test::ScopedEnvironment data("XDG_DATA_HOME", folder + "/data");
  IniFile::Update(folder + "/tarnwick.ini", [](IniFile& ini) {
    ini.WriteBool("ScriptEditor", "ShowTips", true);
    ini.WriteInteger("ScriptEditor", "TipsHeight", 90);
  });
  const std::string script = folder + "/greet.tws";
  std::ofstream(script) << "' greets the user\nname = \"Ada\"\nif length(name) > 0 then\n"
                        << "  answer = msgbox(\"Hello \" + name, 4)\nendif\n";
  auto window = OpenEditor(script);
  window->resize(640, 420);
  TFormCodes& page = *window->ActiveForm();
  page.ScriptContent->setCursorPosition(3, 12);  // in "msgbox"
  const QString heading = QString::fromStdString(window->Completions().Find("msgbox")->heading);
  testbed::Picture shot;
  QRect guideArea;  // in the window's pixels; the page is gone once the application quits
  QRect textArea;
  Choreography steps({[&] { return Ready(*window); },
                      [&] {
                        page.ScriptContent->setFocus();
                        return QApplication::focusWidget() == page.ScriptContent;
                      },
                      [&] {
                        Key("Right");  // a real key: its release starts the guide's wait
                        return true;
                      },
                      [&] { return window->GuidePanel->toPlainText().startsWith(heading); },
                      [&] {
                        shot = testbed::screenshot(bed, window->winId(), "editor-guide", TW_ARTIFACTS_DIR);
                        const auto areaOf = [&](const QWidget& widget) {
                          return QRect(widget.mapTo(window.get(), QPoint(0, 0)), widget.size());
                        };
                        guideArea = areaOf(*window->GuidePanel->viewport());
                        textArea = areaOf(*page.ScriptContent->viewport());
                        QCoreApplication::quit();
                        return true;
                      }},
                     [&] { QCoreApplication::quit(); });
  QApplication::exec();
  ASSERT_FALSE(steps.failed()) << "step " << *steps.failed() << " ran out of time: word \""
                               << window->GuidePanel->Guide().CurrentWord() << "\", guide \""
                               << window->GuidePanel->toPlainText().toStdString() << "\"";
  EXPECT_EQ(window->GuidePanel->Guide().CurrentWord(), "msgbox");
  const QRect whole(0, 0, shot.width, shot.height);
  ASSERT_TRUE(whole.contains(guideArea) && whole.contains(textArea)) << shot.width << "x" << shot.height;
  const auto shareIn = [&](const QRect& area, auto test) {
    return shot.shareIn(area.left(), area.top(), area.width(), area.height(), test);
  };
  EXPECT_GT(shareIn(guideArea, [](int r, int g, int b) { return r == 255 && g == 255 && b == 225; }), 0.6)
      << "the guide is pale yellow";
  EXPECT_GT(shareIn(guideArea, [](int r, int g, int b) { return r < 40 && g < 40 && b > 90 && b < 170; }), 0.002)
      << "its heading is navy";
  EXPECT_GT(shareIn(textArea, [](int r, int g, int b) { return r > 200 && g < 60 && b < 60; }), 0.0005)
      << "the comment is red";
  EXPECT_GT(shareIn(textArea, [](int r, int g, int b) { return r < 60 && g < 60 && b > 200; }), 0.0005)
      << "the strings are blue";
}

}  // namespace
}  // namespace tw
