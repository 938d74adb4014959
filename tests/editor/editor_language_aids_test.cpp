// The editor's language aids on Qt's offscreen platform: Ctrl+J completes the word before the caret, the
// Commands/Functions menu inserts templates, and the guide panel follows the caret after its wait; its shown
// state and height live in the settings file.

#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>

#include "editor/qt/form_codes.h"
#include "editor/qt/form_script_editor.h"
#include "editor/qt/guide_panel.h"
#include "interpreter/interpreter.h"
#include "port/fake/fake_desktop.h"
#include "support/qt_application.h"
#include "support/recording_host.h"
#include "support/scoped_environment.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

constexpr const char* kList =
    "[Tarnwick Script]\n"
    "comment=Tarnwick Script|heading\n"
    "[msgbox]\n"
    "comment=Shows a message box|msgbox(TEXT [, TYPE])\n"
    "|msgbox(\"$0\")\n"
    "[while]\n"
    "comment=Repeats lines|while CONDITION\n"
    "|while $0\n"
    "|endwhile\n"
    "[getmousepos]\n"
    "comment=Where the pointer is|getmousepos(X, Y)\n"
    "|getmousepos($0)\n";

class LanguageAids : public ::testing::Test {
 protected:
  LanguageAids() {
    test::Application();
    std::string pattern = (fs::temp_directory_path() / "tw-editor-aids-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
    fs::create_directories(folder + "/data/tarnwick");
    std::ofstream(folder + "/data/tarnwick/TWS.ACP") << kList;
    data.emplace("XDG_DATA_HOME", folder + "/data");
    OpenWindow();
  }
  ~LanguageAids() override {
    window.reset();
    fs::remove_all(folder);
  }
  void OpenWindow() {
    window = std::make_unique<TFormScriptEditor>(
        host, desktop, ScriptEditorPlaces{folder + "/tarnwick.ini", folder, folder, folder + "/Helpers"});
    const std::string script = folder + "/main.tws";
    if (!fs::exists(script)) std::ofstream(script) << "";
    window->OpenEditor(script);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  QsciScintilla& Page() { return *window->ActiveForm()->ScriptContent; }
  // The page's text with "^" at the caret.
  std::string TextWithCaret() {
    int line = 0;
    int index = 0;
    Page().getCursorPosition(&line, &index);
    const long position = Page().positionFromLineIndex(line, index);
    std::string text = Page().text().toStdString();
    text.insert(static_cast<std::size_t>(position), "^");
    return text;
  }
  void Type(const std::string& text) {
    Page().setText(QString::fromStdString(text));
    Page().setCursorPosition(Page().lines() - 1, static_cast<int>(Page().text(Page().lines() - 1).size()));
  }
  QString Guide() const { return window->GuidePanel->toPlainText(); }

  std::optional<test::ScopedEnvironment> data;
  test::RecordingHost host;
  port::fake::FakeDesktop desktop;
  std::string folder;
  std::unique_ptr<TFormScriptEditor> window;
};

TEST_F(LanguageAids, CtrlJCompletesTheWordBeforeTheCaretInOneUndoStepAndLeavesAnUnknownOne) {
  const struct {
    const char* typed;
    const char* completed;
  } cases[] = {
      {"msgbox", "msgbox(\"^\")"},
      {"  x = win.MsgBox", "  x = win.msgbox(\"^\")"},
      {"print 1\n  while", "print 1\n  while ^\n  endwhile"},
      {"sen", "sen^"},
      {"msgbox ", "msgbox ^"},
  };
  for (const auto& c : cases) {
    Type(c.typed);
    QTest::keyClick(&Page(), Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(TextWithCaret(), c.completed) << c.typed;
    Page().undo();
    EXPECT_EQ(Page().text().toStdString(), c.typed) << c.typed;
  }
}

TEST_F(LanguageAids, AMenuItemInsertsItsTemplateAndMousePosGivesGetMousePos) {
  Type("x = ");
  QMenu* mouse = nullptr;
  for (QAction* group : window->MenuCommands->actions())
    if (group->text() == "Mouse Functions") mouse = group->menu();
  ASSERT_NE(mouse, nullptr);
  QAction* mousePos = nullptr;
  for (QAction* item : mouse->actions())
    if (item->text() == "MOUSEPOS") mousePos = item;
  ASSERT_NE(mousePos, nullptr);
  mousePos->trigger();
  EXPECT_EQ(TextWithCaret(), "x = getmousepos(^)");
}

TEST_F(LanguageAids, TheGuideFollowsTheCaretAfterItsWait) {
  EXPECT_FALSE(window->GuidePanel->isVisible());
  window->ActionShowTips->trigger();
  ASSERT_TRUE(window->GuidePanel->isVisible());
  Type("x = msgbox(1)");
  Page().setCursorPosition(0, 6);
  QTest::keyClick(&Page(), Qt::Key_Right);
  EXPECT_TRUE(Guide().startsWith("Keyboard Tarnwicks:")) << "the guide waits for the timer";
  EXPECT_TRUE(QTest::qWaitFor([&] { return Guide().startsWith("Shows a message box"); }, 5000))
      << Guide().toStdString();
  EXPECT_EQ(Guide(), "Shows a message box\nmsgbox(TEXT [, TYPE])");
  EXPECT_EQ(window->GuidePanel->Guide().CurrentWord(), "msgbox");
  EXPECT_TRUE(window->GuidePanel->toHtml().contains("#000080"));

  QTest::keyClick(&Page(), Qt::Key_Home);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Guide().startsWith("Keyboard Tarnwicks:"); }, 5000))
      << Guide().toStdString();
  EXPECT_EQ(
      Guide(),
      "Keyboard Tarnwicks:\nCTRL+J=Auto Complete\nCTRL+SHIFT+(0 to 9)=Place Bookmark\nCTRL+(0 to 9)=Goto Bookmark");
  EXPECT_EQ(window->GuidePanel->Guide().CurrentWord(), "x");
}

TEST_F(LanguageAids, TheGuidesShownStateAndHeightAreKeptForTheNextEditor) {
  window->resize(800, 600);
  window->ActionShowTips->trigger();
  auto* split = window->findChild<QSplitter*>("PagesAndGuide");
  ASSERT_NE(split, nullptr);
  const int total = split->sizes().at(0) + split->sizes().at(1);
  split->setSizes({total - 150, 150});
  const int height = window->GuidePanel->height();
  window->close();
  OpenWindow();
  EXPECT_TRUE(window->GuidePanel->isVisible());
  EXPECT_TRUE(window->ActionShowTips->isChecked());
  EXPECT_EQ(window->GuidePanel->height(), height);

  window->ActionShowTips->trigger();
  window->close();
  OpenWindow();
  EXPECT_FALSE(window->GuidePanel->isVisible());
  EXPECT_FALSE(window->ActionShowTips->isChecked());
}

}  // namespace
}  // namespace tw
