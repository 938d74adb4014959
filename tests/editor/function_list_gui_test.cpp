// The Sub/Func list over the editor window on Qt's offscreen platform: going to an entry, inserting a call,
// sorting by a clicked header and the window's place in the settings file.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "editor/qt/form_codes.h"
#include "editor/qt/form_function_list.h"
#include "editor/qt/form_script_editor.h"
#include "editor/qt/sort_list_view.h"
#include "interpreter/ini_file.h"
#include "port/fake/fake_desktop.h"
#include "support/qt_application.h"
#include "support/recording_host.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using editor::EditorAction;

class FunctionListWindow : public ::testing::Test {
 protected:
  FunctionListWindow() {
    test::Application();
    std::string pattern = (fs::temp_directory_path() / "tw-function-list-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
    window = MakeEditor();
  }
  ~FunctionListWindow() override {
    window.reset();
    fs::remove_all(folder);
  }
  std::unique_ptr<TFormScriptEditor> MakeEditor() {
    return std::make_unique<TFormScriptEditor>(
        host, desktop, ScriptEditorPlaces{folder + "/tarnwick.ini", folder, folder, folder + "/Helpers"});
  }
  // Opens the page and the list over it.
  TFormFunctionList& ListOf(const std::string& text) {
    std::ofstream(folder + "/main.tws", std::ios::binary) << text;
    window->OpenEditor(folder + "/main.tws");
    window->Action(EditorAction::SubAndFuncList)->trigger();
    TFormFunctionList* list = window->FunctionList();
    EXPECT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    return *list;
  }
  QsciScintilla& Page() { return *window->ActiveForm()->ScriptContent; }
  static QTreeWidgetItem* Item(TFormFunctionList& list, const QString& text) {
    const QList<QTreeWidgetItem*> found = list.ListView->findItems(text, Qt::MatchExactly, 0);
    return found.size() == 1 ? found.front() : nullptr;
  }
  static QStringList Column(const TFormFunctionList& list, int column) {
    QStringList texts;
    for (int i = 0; i < list.ListView->topLevelItemCount(); ++i) texts << list.ListView->topLevelItem(i)->text(column);
    return texts;
  }

  test::RecordingHost host;
  port::fake::FakeDesktop desktop;
  std::string folder;
  std::unique_ptr<TFormScriptEditor> window;
};

// Text above the definition that begins like it (a call of a longer name, a comment) does not catch the goto.
TEST_F(FunctionListWindow, GotoSelectsTheDefinitionOnItsOwnLine) {
  TFormFunctionList& list = ListOf("gosub Maintain\n' sub Main is below\nx = 1\nsub Main\nendsub\n");
  EXPECT_EQ(Column(list, 0), QStringList{"sub Main()"});
  EXPECT_EQ(Column(list, 1), QStringList{"4"});
  QTreeWidgetItem* item = Item(list, "sub Main()");
  ASSERT_NE(item, nullptr);
  const QRect rect = list.ListView->visualItemRect(item);
  ASSERT_FALSE(rect.isEmpty());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  // A click, then the double click: the view goes to an entry only when the double click is on the item pressed.
  QTest::mouseClick(list.ListView->viewport(), Qt::LeftButton, {}, rect.center());
  QTest::mouseDClick(list.ListView->viewport(), Qt::LeftButton, {}, rect.center());
  int line = -1, from = -1, lineTo = -1, to = -1;
  Page().getSelection(&line, &from, &lineTo, &to);
  EXPECT_EQ(line, 3);
  EXPECT_EQ(lineTo, 3);
  EXPECT_EQ(Page().selectedText(), "sub Main");
  EXPECT_FALSE(list.isVisible());

  // Lines added above while the list was open: the definition is still found where it is now.
  window->Action(EditorAction::SubAndFuncList)->trigger();
  Page().setCursorPosition(0, 0);
  Page().insert("' one\n' two\n");
  list.ListView->setCurrentItem(Item(list, "sub Main()"));
  list.BtnGoto->click();
  Page().getSelection(&line, &from, &lineTo, &to);
  EXPECT_EQ(line, 5);
  EXPECT_EQ(Page().selectedText(), "sub Main");
}

TEST_F(FunctionListWindow, TheOpenListFollowsThePageInFront) {
  TFormFunctionList& list = ListOf("sub First\n");
  std::ofstream(folder + "/other.tws", std::ios::binary) << "x = 1\nfunc Second()\n";
  window->OpenEditor(folder + "/other.tws");
  EXPECT_EQ(Column(list, 0), QStringList{"func Second()"});
  window->PageControl->setCurrentIndex(0);
  EXPECT_EQ(Column(list, 0), QStringList{"sub First()"});
}

TEST_F(FunctionListWindow, UseInsertsTheCallAtTheCaretInPlaceOfTheSelection) {
  const std::string rest = "\nsub Main\nfunc Add(a, b)\ndone:\n";
  const struct {
    const char* entry;
    const char* inserted;
  } cases[] = {{" done:", "GOSUB  done\n"}, {"func Add(a, b)", "Add(a, b)"}, {"sub Main()", "Main()\n"}};
  TFormFunctionList& list = ListOf("x = PICK" + rest);
  for (const auto& c : cases) {
    Page().setText(QString::fromStdString("x = PICK" + rest));
    window->Action(EditorAction::SubAndFuncList)->trigger();
    Page().setSelection(0, 4, 0, 8);
    QTreeWidgetItem* item = Item(list, c.entry);
    ASSERT_NE(item, nullptr) << c.entry;
    list.ListView->setCurrentItem(item);
    list.BtnUse->click();
    EXPECT_EQ(Page().text().toStdString(), "x = " + std::string(c.inserted) + rest) << c.entry;
    EXPECT_FALSE(list.isVisible());
  }
}

// "10" sorts before "9": the numbers are texts. A second click on a header turns its order round.
TEST_F(FunctionListWindow, AClickedHeaderSortsByItsTextWithoutCase) {
  std::string page = "sub Beta\n";
  for (int n = 2; n <= 8; ++n) page += "x = 1\n";
  page += "sub alpha\nsub Gamma\n";
  TFormFunctionList& list = ListOf(page);
  ASSERT_EQ(Column(list, 1), (QStringList{"1", "9", "10"}));
  QHeaderView* header = list.ListView->header();
  const auto click = [&](int section) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
  };
  click(0);  // the sort column at first: the click turns it to descending
  EXPECT_EQ(Column(list, 0), (QStringList{"sub Gamma()", "sub Beta()", "sub alpha()"}));
  click(0);
  EXPECT_EQ(Column(list, 0), (QStringList{"sub alpha()", "sub Beta()", "sub Gamma()"}));
  click(1);
  EXPECT_EQ(Column(list, 1), (QStringList{"1", "10", "9"}));
  click(1);
  EXPECT_EQ(Column(list, 1), (QStringList{"9", "10", "1"}));
}

TEST_F(FunctionListWindow, TheListOpensWhereItWasLastClosed) {
  TFormFunctionList& list = ListOf("sub Main\n");
  list.move(55, 66);
  list.resize(300, 250);
  list.close();
  window.reset();
  const IniFile ini = IniFile::Load(folder + "/tarnwick.ini");
  EXPECT_EQ(ini.ReadInteger("FunctionList", "Width", 0), 300);
  window = MakeEditor();
  TFormFunctionList& again = ListOf("sub Main\n");
  EXPECT_EQ(again.size(), QSize(300, 250));
  EXPECT_EQ(again.pos(), QPoint(55, 66));
}

}  // namespace
}  // namespace tw
