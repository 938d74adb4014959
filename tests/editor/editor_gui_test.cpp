// The editor window on Qt's offscreen platform with a real interpreter, the fake desktop and a recording
// host: the pause as a nested event loop, the line markers, the refusals and the text component's edits.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "dialogs/designer/qt/design_surface.h"
#include "editor/dialog_editor.h"
#include "editor/qt/form_codes.h"
#include "editor/qt/form_find_replace.h"
#include "editor/qt/form_script_editor.h"
#include "editor/qt/script_lexer.h"
#include "editor/script_styler.h"
#include "port/fake/fake_desktop.h"
#include "support/qt_application.h"
#include "support/qt_window_watcher.h"
#include "support/recording_host.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using editor::EditorAction;
using test::When;

// Answers the next message box with its default button, keeping its text.
void AnswerNextMessageBox(QString& text) {
  When([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
       [&text] {
         auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
         text = box->text();
         box->accept();
       });
}

// Answers the next message box with the button.
void AnswerNextMessageBox(QMessageBox::StandardButton answer) {
  When([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
       [answer] { qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->button(answer)->click(); });
}

class EditorWindow : public ::testing::Test {
 protected:
  EditorWindow() {
    test::Application();
    std::string pattern = (fs::temp_directory_path() / "tw-editor-gui-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
    window = std::make_unique<TFormScriptEditor>(
        host, desktop,
        ScriptEditorPlaces{folder + "/tarnwick.ini", folder, folder, folder + "/Helpers"});
  }
  ~EditorWindow() override {
    window.reset();
    TBasicInterpreter::StopRequested = false;
    fs::remove_all(folder);
  }
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(folder + "/" + name, std::ios::binary) << text;
    return folder + "/" + name;
  }
  TFormCodes& Open(const std::string& name, const std::string& text) {
    window->OpenEditor(Write(name, text));
    return *window->ActiveForm();
  }
  static bool Has(const TFormCodes& form, int line, int marker) {
    return (form.ScriptContent->markersAtLine(line) & (1u << marker)) != 0;
  }

  test::RecordingHost host;
  port::fake::FakeDesktop desktop;
  std::string folder;
  std::unique_ptr<TFormScriptEditor> window;
};

TEST_F(EditorWindow, StepPausesInANestedLoopWithTheLineSilverAndContinueEndsTheRun) {
  TFormCodes& form = Open("main.tws", "print 1\nprint 2\nprint 3\n");
  form.ScriptContent->setCursorPosition(2, 0);
  window->Action(EditorAction::AddBreakPoint)->trigger();
  bool sawPause = false;
  When([&] { return window->Core().Paused(); }, [&] {
    sawPause = true;
    EXPECT_TRUE(Has(form, 0, TFormCodes::kCurrentMarker));
    EXPECT_TRUE(Has(form, 2, TFormCodes::kBreakpointMarker));
    EXPECT_EQ(window->windowTitle(), "Tarnwick Script Editor - [Running]");
    EXPECT_EQ(window->StatusText(0), "Running");
    EXPECT_TRUE(form.ScriptContent->isReadOnly());
    EXPECT_FALSE(window->Action(EditorAction::TestRun)->isEnabled());
    EXPECT_TRUE(window->Action(EditorAction::Cancel)->isEnabled());
    EXPECT_TRUE(host.Prints.empty());
    When([&] { return window->Core().Paused() && form.Page.currentLine == 2; }, [&] {
      // The current line on a breakpoint is silver, not red.
      EXPECT_TRUE(Has(form, 2, TFormCodes::kCurrentMarker));
      EXPECT_FALSE(Has(form, 2, TFormCodes::kBreakpointMarker));
      EXPECT_EQ(host.Prints, (std::vector<std::string>{"1", "2"}));
      window->Action(EditorAction::Continue)->trigger();
    });
    window->Action(EditorAction::Continue)->trigger();
  });
  window->Action(EditorAction::Step)->trigger();
  EXPECT_TRUE(sawPause);
  EXPECT_EQ(host.Prints, (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_FALSE(window->Core().RunActive());
  EXPECT_EQ(window->windowTitle(), "Tarnwick Script Editor");
  EXPECT_EQ(window->StatusText(0), "Ready");
  EXPECT_FALSE(Has(form, 0, TFormCodes::kCurrentMarker));
  EXPECT_FALSE(Has(form, 2, TFormCodes::kCurrentMarker));
  EXPECT_TRUE(Has(form, 2, TFormCodes::kBreakpointMarker));
  EXPECT_FALSE(form.ScriptContent->isReadOnly());
}

TEST_F(EditorWindow, ClosingWhilePausedIsRefusedWithTheWarning) {
  TFormCodes& form = Open("main.tws", "print 1\nprint 2\n");
  form.ScriptContent->setCursorPosition(1, 0);
  window->Action(EditorAction::AddBreakPoint)->trigger();
  QString warning;
  bool stillOpen = false;
  When([&] { return window->Core().Paused(); }, [&] {
    AnswerNextMessageBox(warning);
    window->close();
    stillOpen = window->isVisible();
    window->Action(EditorAction::Continue)->trigger();
  });
  window->Action(EditorAction::TestRun)->trigger();
  EXPECT_EQ(warning, "Cannot Exit: Script is currently running!");
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(host.Prints, (std::vector<std::string>{"1", "2"}));
  EXPECT_TRUE(window->Debugger() != nullptr);
}

TEST_F(EditorWindow, QuittingTheApplicationWhilePausedStopsTheRunFirst) {
  Open("main.tws", "print 1\nprint 2\nprint 3\n");
  When([&] { return window->Core().Paused(); }, [] { QCoreApplication::quit(); });
  QTimer::singleShot(0, [&] { window->Action(EditorAction::Step)->trigger(); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(host.Prints.empty());
  EXPECT_FALSE(window->Core().RunActive());
}

TEST_F(EditorWindow, BreakpointsKeepTheirLineNumbersThroughEdits) {
  TFormCodes& form = Open("main.tws", "print 1\nprint 2\nprint 3\nprint 4\n");
  form.ScriptContent->setCursorPosition(2, 0);
  window->Action(EditorAction::AddBreakPoint)->trigger();
  form.ScriptContent->insertAt("x = 1\n", 0, 0);
  EXPECT_TRUE(Has(form, 2, TFormCodes::kBreakpointMarker));
  EXPECT_FALSE(Has(form, 3, TFormCodes::kBreakpointMarker));
  EXPECT_EQ(form.Page.breakpoints, std::vector<int>{2});
}

// Styles the page as far as the end, from where styling stopped, as scrolling through it would.
void StyleToEnd(QsciScintilla& edit) {
  edit.SendScintilla(QsciScintillaBase::SCI_COLOURISE,
                     static_cast<unsigned long>(edit.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED)), -1L);
}

editor::TokenStyle StyleAt(QsciScintilla& edit, int line, int index) {
  return static_cast<editor::TokenStyle>(edit.SendScintilla(
      QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(edit.positionFromLineIndex(line, index))));
}

TEST_F(EditorWindow, AnEditRestylesOnlyAsFarAsItChangesTheLinesAfterIt) {
  using editor::TokenStyle;
  std::string script;
  for (int n = 0; n < 3000; ++n) script += "print \"line\", 1.5E3 ' count\n";
  TFormCodes& form = Open("large.tws", script);
  QsciScintilla& edit = *form.ScriptContent;
  auto* lexer = qobject_cast<ScriptLexer*>(edit.lexer());
  ASSERT_NE(lexer, nullptr);
  StyleToEnd(edit);
  const std::vector<TokenStyle> lastLine = {StyleAt(edit, 2999, 0), StyleAt(edit, 2999, 6), StyleAt(edit, 2999, 14),
                                            StyleAt(edit, 2999, 22)};
  EXPECT_EQ(lastLine, (std::vector<TokenStyle>{TokenStyle::Keyword, TokenStyle::String, TokenStyle::Number,
                                               TokenStyle::Comment}));

  // A character typed in the middle.
  long long before = lexer->StyledLines();
  edit.setCursorPosition(1500, 3);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
  QApplication::sendEvent(&edit, &press);
  ASSERT_EQ(edit.text(1500).left(6), "prixnt");
  StyleToEnd(edit);
  EXPECT_LT(lexer->StyledLines() - before, 100);
  EXPECT_EQ(StyleAt(edit, 1500, 0), TokenStyle::Identifier);
  EXPECT_EQ(StyleAt(edit, 1501, 0), TokenStyle::Keyword);

  // A block opened in the middle reaches to the end; closed again, the end is code once more.
  edit.insertAt("text\n", 1000, 0);
  StyleToEnd(edit);
  EXPECT_EQ(StyleAt(edit, 3000, 0), TokenStyle::Block);
  EXPECT_EQ(StyleAt(edit, 1500, 0), TokenStyle::Block);
  before = lexer->StyledLines();
  edit.insertAt("endtext\n", 1002, 0);
  StyleToEnd(edit);
  EXPECT_EQ(StyleAt(edit, 1001, 0), TokenStyle::Block);
  EXPECT_EQ(StyleAt(edit, 1002, 0), TokenStyle::Keyword);
  EXPECT_EQ(StyleAt(edit, 3001, 0), TokenStyle::Keyword);
  EXPECT_EQ(StyleAt(edit, 3001, 22), TokenStyle::Comment);
}

TEST_F(EditorWindow, TrailingBlanksGoOnlyFromLinesTheUserEdits) {
  TFormCodes& form = Open("notes.txt", "alpha  \nbeta  \ngamma\n");
  QsciScintilla& edit = *form.ScriptContent;
  edit.setCursorPosition(0, 5);
  edit.insert("!");
  QApplication::processEvents();
  edit.setCursorPosition(2, 0);
  QApplication::processEvents();  // the component tells of caret moves when it updates its view
  EXPECT_EQ(edit.text(), "alpha!\nbeta  \ngamma\n");
}

TEST_F(EditorWindow, ReplaceAllIsOneUndoStep) {
  TFormCodes& form = Open("main.tws", "x = 1\nprint x\nx = x + 1\n");
  window->Action(EditorAction::FindReplace)->trigger();
  TFormFindReplace& find = *window->FindDialog();
  find.EditFind->setText("x");
  find.EditReplace->setText("total");
  find.ChBxWholeWord->setChecked(true);
  EXPECT_EQ(find.ReplaceAll(), 4);
  EXPECT_EQ(form.ScriptContent->text(), "total = 1\nprint total\ntotal = total + 1");
  form.ScriptContent->undo();
  EXPECT_EQ(form.ScriptContent->text(), "x = 1\nprint x\nx = x + 1");
  // The editor cannot close while the dialog is open.
  window->close();
  EXPECT_TRUE(window->isVisible());
  find.close();
}

TEST_F(EditorWindow, TheDialogEditorReplacesAnIndentedBlockInOneUndoStep) {
  const QString script = "x = 1\n  dialog \"T\"\n  [Ea: ]\n  [Bok:^OK]\n  enddialog\nprint x\n";
  TFormCodes& form = Open("main.tws", script.toStdString());
  const QString before = form.ScriptContent->text();
  form.ScriptContent->setCursorPosition(1, 6);
  struct Saving : editor::DialogDesigner {
    std::vector<std::string> opened;
    bool ConfirmConversion(const std::string&) override { return true; }
    std::optional<std::vector<std::string>> Design(const std::vector<std::string>& definition, int) override {
      opened = definition;
      return definition;  // saved without edits
    }
  } designer;
  ASSERT_TRUE(editor::EditDialogBlock(*window, *window->Core().ActivePage(), host, designer));
  ASSERT_FALSE(designer.opened.empty());
  EXPECT_TRUE(QString::fromStdString(designer.opened.front()).startsWith("WINDOW"));  // the layout was converted

  const QStringList lines = form.ScriptContent->text().split('\n');
  ASSERT_EQ(lines.size(), before.split('\n').size() - 2 + static_cast<int>(designer.opened.size()));
  EXPECT_EQ(lines[0], "x = 1");
  EXPECT_EQ(lines[1], "  dialog \"T\"");
  for (std::size_t i = 0; i < designer.opened.size(); ++i)
    EXPECT_EQ(lines[static_cast<int>(i) + 2].toStdString(), "  " + designer.opened[i]);
  EXPECT_EQ(lines[static_cast<int>(designer.opened.size()) + 2], "  enddialog");
  EXPECT_EQ(lines[static_cast<int>(designer.opened.size()) + 3], "print x");

  form.ScriptContent->undo();
  EXPECT_EQ(form.ScriptContent->text(), before);
}

TEST_F(EditorWindow, TheDialogEditorActionLeavesTheScriptAloneUnlessSaved) {
  const std::string script =
      "x = 1\r\n\tdialog \"T\"\r\n\tWINDOW,100,80,300,160,0,\"Tahoma\",9,N,\"T\"\r\n\tWINDOW1,0.00,clBtnFace\r\n"
      "\tL1,10,10,100,20,0,\"Tahoma\",9,N,0,0,0,\"enddialog\"\r\n"
      "\tB1,150,100,60,25,0,\"Tahoma\",9,N,0,0,0,\"OK\"\r\n\tenddialog\r\nprint x\r\n";
  TFormCodes& form = Open("main.tws", script);
  const QString before = form.ScriptContent->text();
  // Each surface: the button deleted, then the closing question answered in turn.
  std::vector<QMessageBox::StandardButton> answers;
  test::WindowWatcher<DesignSurface> designer([&answers](DesignSurface& surface) {
    QWidget* button = surface.Widgets().back();
    When([] { return QApplication::activePopupWidget() != nullptr; },
         [] {
           for (QAction* action : QApplication::activePopupWidget()->findChildren<QAction*>())
             if (action->text() == "Delete") action->trigger();
           QApplication::activePopupWidget()->close();
         });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), button->mapToGlobal(QPointF(1, 1)), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    for (const QMessageBox::StandardButton answer : answers) {
      AnswerNextMessageBox(answer);
      surface.close();
      if (answer == QMessageBox::Cancel) {
        EXPECT_TRUE(surface.isVisible());
      }
    }
  });

  for (const auto& leaving : {std::vector{QMessageBox::No}, std::vector{QMessageBox::Cancel, QMessageBox::No}}) {
    answers = leaving;
    form.ScriptContent->setCursorPosition(1, 3);
    window->Action(EditorAction::DialogEditor)->trigger();
    EXPECT_EQ(form.ScriptContent->text(), before);
  }

  // Saved: the block without the button, every line indented as the head, the label saying "enddialog" kept.
  answers = {QMessageBox::Cancel, QMessageBox::Yes};
  form.ScriptContent->setCursorPosition(1, 3);
  window->Action(EditorAction::DialogEditor)->trigger();
  const QStringList lines = form.ScriptContent->text().split('\n');
  ASSERT_EQ(lines.size(), 7);
  EXPECT_EQ(lines[1], "\tdialog \"T\"");
  EXPECT_EQ(lines[2], "\tWINDOW,100,80,300,160,0,\"Tahoma\",9,N,\"T\"");
  EXPECT_EQ(lines[4], "\tL1,10,10,100,20,0,\"Tahoma\",9,N,0,0,0,\"enddialog\"");
  EXPECT_EQ(lines[5], "\tenddialog");
  EXPECT_EQ(lines[6], "print x");
}

TEST_F(EditorWindow, OpeningTheSameFileTwiceActivatesItsPage) {
  Open("a.tws", "print 1\n");
  Open("b.tws", "print 2\n");
  window->OpenEditor(folder + "/a.tws");
  EXPECT_EQ(window->PageControl->count(), 2);
  EXPECT_EQ(window->PageControl->tabText(window->PageControl->currentIndex()), "a.tws");
}

TEST_F(EditorWindow, TheNextEditorOpensWhereTheLastWasClosed) {
  Open("a.tws", "print 1\n");
  window->move(31, 42);
  window->resize(640, 480);
  window->close();
  ASSERT_FALSE(window->isVisible());
  window = std::make_unique<TFormScriptEditor>(
      host, desktop, ScriptEditorPlaces{folder + "/tarnwick.ini", folder, folder, folder + "/Helpers"});
  window->OpenEditor("");
  EXPECT_EQ(window->size(), QSize(640, 480));
  EXPECT_EQ(window->pos(), QPoint(31, 42));
}

// The page paints its line numbers itself. They must look as the component's own number margin would draw
// them: at the top, in the middle and at the end, after the script gains a digit, zoomed in and out. The margin
// widens with the script and the zoom.
TEST(PageLineNumbers, LookAsTheComponentDrawsThemAndTheMarginWidensWithTheScript) {
  test::Application();
  QString text;
  for (int n = 1; n <= 9999; ++n) text += QString("line %1\n").arg(n);
  text.chop(1);
  editor::EditorPage page;
  TFormCodes form(page);
  form.LoadText(text);
  QsciScintilla& edit = *form.ScriptContent;
  QsciScintilla reference;
  reference.setMarginType(0, QsciScintilla::NumberMargin);
  reference.setMarginWidth(1, edit.marginWidth(1));
  reference.setText(text);
  for (QWidget* widget : {static_cast<QWidget*>(&form), static_cast<QWidget*>(&reference)}) {
    widget->resize(400, 300);
    widget->show();
  }
  const auto numbers = [](QsciScintilla& component, int firstLine) {
    component.setFirstVisibleLine(firstLine);
    const QImage shot = component.viewport()->grab().toImage();
    return shot.copy(0, 0, component.marginWidth(0), shot.height());
  };
  const auto expectAsTheComponentDraws = [&] {
    reference.setMarginWidth(0, edit.marginWidth(0));
    for (const int firstLine : {0, 5000, edit.lines() - 1}) {
      SCOPED_TRACE(testing::Message() << edit.lines() << " lines, from line " << firstLine);
      const QImage mine = numbers(edit, firstLine);
      const QImage theirs = numbers(reference, firstLine);
      int differing = 0;
      int ink = 0;  // pixels unlike the margin's background: the numbers
      for (int y = 0; y < mine.height(); ++y)
        for (int x = 0; x < mine.width(); ++x) {
          differing += mine.pixel(x, y) != theirs.pixel(x, y);
          ink += theirs.pixel(x, y) != theirs.pixel(0, 0);
        }
      EXPECT_EQ(differing, 0);
      EXPECT_GT(ink, 100);
    }
  };
  expectAsTheComponentDraws();

  // A fifth digit: the margin widens and keeps room on both sides of the widest number.
  const int narrow = edit.marginWidth(0);
  edit.append("\nline 10000");
  reference.append("\nline 10000");
  EXPECT_GT(edit.marginWidth(0), narrow);
  EXPECT_GE(edit.marginWidth(0),
            edit.SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH, QsciScintillaBase::STYLE_LINENUMBER, "10000") + 6);
  expectAsTheComponentDraws();

  // Zoomed (Ctrl++, Ctrl+-, Ctrl+wheel), the numbers follow the text's size and the margin follows them.
  const int unzoomed = edit.marginWidth(0);
  for (const int zoom : {4, -3}) {
    SCOPED_TRACE(testing::Message() << "zoom " << zoom);
    edit.zoomTo(zoom);
    reference.zoomTo(zoom);
    EXPECT_EQ(edit.marginWidth(0) > unzoomed, zoom > 0);
    expectAsTheComponentDraws();
  }
}

}  // namespace
}  // namespace tw
