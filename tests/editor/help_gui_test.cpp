// The editor's help on the reference this build generated, on Qt's offscreen platform: F1 in a page, Help on
// Keyword and Help... open the help window on a page, the filtered index or the contents; back and forward.

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <filesystem>
#include <fstream>

#include "editor/qt/form_codes.h"
#include "editor/qt/form_help.h"
#include "editor/qt/form_script_editor.h"
#include "port/fake/fake_desktop.h"
#include "support/qt_application.h"
#include "support/recording_host.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using editor::EditorAction;

class EditorHelp : public ::testing::Test {
 protected:
  EditorHelp() {
    test::Application();
    std::string pattern = (fs::temp_directory_path() / "tw-editor-help-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
    window = std::make_unique<TFormScriptEditor>(
        host, desktop, ScriptEditorPlaces{folder + "/tarnwick.ini", folder, folder, folder + "/Helpers"});
    window->SetReferenceFolder(TW_REFERENCE_HTML);
    const std::string script = folder + "/main.tws";
    std::ofstream(script, std::ios::binary) << "x = 1\n  send \"abc\"\n  sen \"abc\"\n\n";
    window->OpenEditor(script);
    page = window->ActiveForm()->ScriptContent;
  }
  ~EditorHelp() override {
    if (TFormHelp* help = Shown()) help->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    window.reset();
    fs::remove_all(folder);
  }
  static TFormHelp* Shown() {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* help = qobject_cast<TFormHelp*>(widget); help && help->isVisible()) return help;
    return nullptr;
  }
  // F1 with the caret at `line`, `index` of the page, which has the keyboard.
  TFormHelp* PressF1At(int line, int index) {
    window->activateWindow();
    page->setFocus();
    page->setCursorPosition(line, index);
    EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::focusWidget() == page; }));
    QTest::keyClick(page, Qt::Key_F1);
    return Shown();
  }
  // The heading of `name`'s entry is in view.
  static bool HeadingInView(const TFormHelp& help, const QString& name) {
    const QTextDocument& document = *help.Browser->document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
      if (!block.text().startsWith(name + " ")) continue;
      const qreal y = document.documentLayout()->blockBoundingRect(block).top();
      const int top = help.Browser->verticalScrollBar()->value();
      return y >= top && y < top + help.Browser->viewport()->height();
    }
    return false;
  }
  static QString Page(const TFormHelp& help) {
    const QUrl source = help.Browser->source();
    return source.fileName() + (source.hasFragment() ? "#" + source.fragment() : QString());
  }

  test::RecordingHost host;
  port::fake::FakeDesktop desktop;
  std::string folder;
  std::unique_ptr<TFormScriptEditor> window;
  QsciScintilla* page = nullptr;
};

TEST_F(EditorHelp, F1OnAKeywordOpensItsPageAtItsEntry) {
  TFormHelp* help = PressF1At(1, 4);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(Page(*help), "keys.html#send");
  EXPECT_TRUE(QTest::qWaitFor([help] { return HeadingInView(*help, "send"); }));
  // One window per program: asked again, the same one shows.
  EXPECT_EQ(PressF1At(1, 2), help);

  // An entry far down a long page is scrolled to.
  help->Show(help->Index().Lookup("end"));
  EXPECT_EQ(Page(*help), "statements.html#end");
  EXPECT_TRUE(QTest::qWaitFor([help] { return HeadingInView(*help, "end"); }));
  EXPECT_GT(help->Browser->verticalScrollBar()->value(), 0);
}

TEST_F(EditorHelp, F1OnAnUnknownWordShowsTheIndexFilteredByIt) {
  TFormHelp* help = PressF1At(2, 3);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->EditFilter->text(), "sen");
  ASSERT_GT(help->ListIndex->count(), 0);
  QStringList listed;
  for (int i = 0; i < help->ListIndex->count(); ++i) listed << help->ListIndex->item(i)->text();
  EXPECT_TRUE(listed.contains("send"));
  for (const QString& name : listed) EXPECT_TRUE(name.contains("sen", Qt::CaseInsensitive)) << name.toStdString();
  // A name picked from the list opens its page.
  const QList<QListWidgetItem*> send = help->ListIndex->findItems("send", Qt::MatchExactly);
  ASSERT_EQ(send.size(), 1);
  emit help->ListIndex->itemActivated(send.front());
  EXPECT_EQ(Page(*help), "keys.html#send");
}

TEST_F(EditorHelp, WithNoWordAndFromHelpTheContentsOpen) {
  TFormHelp* help = PressF1At(3, 0);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(Page(*help), "index.html");

  page->setCursorPosition(1, 4);
  window->Action(EditorAction::HelpOnKeyword)->trigger();
  EXPECT_EQ(Page(*help), "keys.html#send");
  window->Action(EditorAction::Help)->trigger();
  EXPECT_EQ(Page(*help), "index.html");
}

TEST_F(EditorHelp, BackAndForwardWalkTheHistory) {
  window->Action(EditorAction::Help)->trigger();
  TFormHelp* help = Shown();
  ASSERT_NE(help, nullptr);
  EXPECT_FALSE(help->ActnBack->isEnabled());
  page->setCursorPosition(1, 4);
  window->Action(EditorAction::HelpOnKeyword)->trigger();
  ASSERT_TRUE(help->ActnBack->isEnabled());
  EXPECT_FALSE(help->ActnForward->isEnabled());

  help->ActnBack->trigger();
  EXPECT_EQ(Page(*help), "index.html");
  EXPECT_FALSE(help->ActnBack->isEnabled());
  ASSERT_TRUE(help->ActnForward->isEnabled());
  help->ActnForward->trigger();
  EXPECT_EQ(Page(*help), "keys.html#send");
  EXPECT_FALSE(help->ActnForward->isEnabled());
}

TEST(EditorHelpMissing, WithoutAReferenceTheEditorSaysWhereItLooked) {
  std::string error;
  EXPECT_EQ(TFormHelp::Open("/nonexistent/reference", error), nullptr);
  EXPECT_NE(error.find("/nonexistent/reference/names.html"), std::string::npos) << error;
}

}  // namespace
}  // namespace tw
