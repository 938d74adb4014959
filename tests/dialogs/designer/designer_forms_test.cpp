// The designer's property and tab order forms on the offscreen platform, driven with clicks and keys: what
// they show, what "&Ok" stores, and that a refused value keeps the form open with nothing stored.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "designer_test_support.h"
#include "dialogs/designer/qt/form_component_properties.h"
#include "dialogs/designer/qt/form_tab_order.h"
#include "support/qt_application.h"
#include "support/qt_window_watcher.h"

namespace tw {
namespace {

using test::DesignerFixture;
using test::DialogWith;

const std::vector<std::string> kControls = DialogWith({
    "B1,0,0,60,20,0,\"\",0,N,0,0,0,\"&Go\"",
    "C1,0,30,60,20,0,\"\",0,N,1,0,0,\"check\"",
    "E1,0,60,60,20,1,\"\",0,N,0,0,50,\"text\"",
    "L1,0,90,60,20,0,\"\",0,N,1,0,0,\"label\"",
    "M1,0,120,60,40,0,\"\",0,N,0,1,200,\"one&nl&two\"",
    "R1,100,0,60,20,0,\"\",0,N,1,0,0,\"first\"",
    "R2,100,30,60,20,0,\"\",0,N,0,0,0,\"second\"",
    "H1,100,60,40,40,0,\"\",2,3,255,0,0,\"\"",
    "I1,100,110,32,32,0,\"\",0,0,5,1,0,0,\"\"",
});

struct FormsTest : ::testing::Test {
  FormsTest() { test::Application(); }

  // The property form on the named control, or on the dialog for an empty name, shown.
  std::unique_ptr<TFormComponentProperties> Properties(std::string_view name) {
    EXPECT_TRUE(f.Open(kControls));
    auto form = std::make_unique<TFormComponentProperties>(
        f.dialog, name.empty() ? std::nullopt : std::optional<std::size_t>(f.Index(name)));
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return form;
  }
  static void Retype(QWidget* edit, const QString& text) {
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  std::string Line(std::string_view name) {
    for (const std::string& line : f.Saved())
      if (line.rfind(std::string(name) + ",", 0) == 0) return line;
    return "";
  }

  DesignerFixture f;
};

TEST_F(FormsTest, EachKindGetsItsPageAndItsFieldsEnabled) {
  struct Case {
    const char* name;
    const char* page;
    bool checked, wordWrap, align, password, maxLength;
  };
  for (const Case& c : {
           Case{"B1", "Components", false, false, false, false, false},
           Case{"C1", "Components", true, false, false, false, false},
           Case{"E1", "Components", false, false, false, true, true},
           Case{"L1", "Components", false, true, true, false, false},
           Case{"M1", "Components", false, true, true, false, true},
           Case{"H1", "Shape", false, false, false, false, false},
           Case{"I1", "Image", false, false, false, false, false},
           Case{"", "Dialog", false, false, false, false, false},
       }) {
    const auto form = Properties(c.name);
    EXPECT_EQ(form->windowTitle(), "Component Properties");
    EXPECT_GE(form->width(), 360);
    EXPECT_GE(form->height(), 270);
    const QTabWidget& pages = *form->PageControl;
    EXPECT_EQ(pages.tabText(pages.currentIndex()), c.page) << c.name;
    for (int i = 0; i < pages.count(); ++i) EXPECT_EQ(pages.isTabVisible(i), i == pages.currentIndex()) << c.name;
    if (std::string(c.page) != "Components") continue;
    EXPECT_EQ(form->CheckChecked->isEnabled(), c.checked) << c.name;
    EXPECT_EQ(form->CheckWordWrap->isEnabled(), c.wordWrap) << c.name;
    EXPECT_EQ(form->ComboAlign->isEnabled(), c.align) << c.name;
    EXPECT_EQ(form->CheckPassword->isEnabled(), c.password) << c.name;
    EXPECT_EQ(form->EditMaxLength->isEnabled(), c.maxLength) << c.name;
  }
}

TEST_F(FormsTest, AnEditBoxIsShownAndWhatIsTypedIsStoredAtOk) {
  const auto form = Properties("E1");
  EXPECT_EQ(form->LabelNamePrefix->text(), "E");
  EXPECT_TRUE(form->LabelNamePrefix->font().bold());
  EXPECT_EQ(form->EditName->text(), "1");
  EXPECT_TRUE(form->CheckFocused->isChecked());
  EXPECT_EQ(form->EditText->textCursor().selectedText(), "text") << "the text is selected, ready to be typed over";
  EXPECT_EQ(form->EditMaxLength->text(), "50");

  Retype(form->EditName, "USER");
  QTest::keyClicks(form->EditText, "who");
  QTest::mouseClick(form->CheckPassword, Qt::LeftButton);
  QTest::mouseClick(form->CheckFocused, Qt::LeftButton);
  Retype(form->EditMaxLength, "x");
  EXPECT_EQ(form->EditMaxLength->text(), "0") << "a text that is no whole number is replaced at once";
  QTest::keyClicks(form->EditMaxLength, "-");
  EXPECT_EQ(form->EditMaxLength->text(), "0");
  Retype(form->EditMaxLength, "12");
  QTest::mouseClick(form->ButtOk, Qt::LeftButton);

  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(Line("EUSER"), "EUSER,0,60,60,20,0,\"Tahoma\",9,N,0,1,12,\"who\"");
}

TEST_F(FormsTest, WordWrapAlignmentAndAChosenFontOfAMemo) {
  const auto form = Properties("M1");
  EXPECT_EQ(form->EditText->toPlainText(), "one\ntwo");
  EXPECT_EQ(form->EditText->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(form->EditText->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  QTest::mouseClick(form->CheckWordWrap, Qt::LeftButton);
  EXPECT_EQ(form->EditText->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(form->EditText->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QTest::keyClick(form->ComboAlign, Qt::Key_Down);
  QTest::keyClick(form->ComboAlign, Qt::Key_Down);
  EXPECT_EQ(form->ComboAlign->currentText(), "Center");

  const QString family = QFontDatabase::families().value(0);
  ASSERT_FALSE(family.isEmpty());
  test::WindowWatcher<QFontDialog> user([&](QFontDialog& dialog) {
    dialog.setCurrentFont(QFont(family, 14));
    dialog.accept();
  });
  QTest::mouseClick(form->ButtFont, Qt::LeftButton);
  EXPECT_EQ(form->EditText->font().family(), family) << "the chosen font becomes the text box's font";
  QTest::mouseClick(form->ButtOk, Qt::LeftButton);

  const DialogControl& memo = f.Control("M1");
  EXPECT_FALSE(memo.WordWrap);
  EXPECT_EQ(memo.Alignment, 2);
  EXPECT_EQ(memo.Text, "one\r\ntwo");
  ASSERT_TRUE(memo.Font.has_value());
  EXPECT_EQ(memo.Font->Name, family.toStdString());
  EXPECT_EQ(memo.Font->Size, 14);
}

TEST_F(FormsTest, ARefusedValueIsShownAndTheFormStaysOpenWithNothingStored) {
  struct Case {
    const char* control;
    QWidget* (*field)(TFormComponentProperties&);
    const char* typed;
    const char* message;
  };
  const auto name = [](TFormComponentProperties& form) -> QWidget* { return form.EditName; };
  const auto penWidth = [](TFormComponentProperties& form) -> QWidget* { return form.ComboPenWidth->lineEdit(); };
  for (const Case& c : {
           Case{"R2", name, "1", "A control named R1 already exists"},
           Case{"R2", name, "x-y", "\"Rx-y\" is not a valid control name"},
           Case{"B1", name, "", "The name of this control must begin with B and go on after it"},
           Case{"H1", penWidth, "2.5", "'2.5' is not a valid integer value"},
       }) {
    const auto form = Properties(c.control);
    const std::string before = f.Written();
    if (std::string(c.control) == "H1")
      QTest::keyClick(form->ComboShape, Qt::Key_Down);
    else
      QTest::keyClicks(form->EditText, "changed");
    Retype(c.field(*form), c.typed);

    QString shown;
    test::WindowWatcher<QMessageBox> user([&](QMessageBox& box) {
      shown = box.text();
      box.accept();
    });
    QTest::mouseClick(form->ButtOk, Qt::LeftButton);
    EXPECT_EQ(shown.toStdString(), c.message);
    EXPECT_TRUE(form->isVisible()) << c.control << " " << c.typed;
    EXPECT_EQ(f.Written(), before) << c.control << " " << c.typed;
  }
}

TEST_F(FormsTest, TheDialogPageStoresTitleTimeoutPositionAndAChosenColour) {
  const auto form = Properties("");
  EXPECT_EQ(form->EditTitle->text(), "T");
  Retype(form->EditTitle, "Order \"A\"");
  Retype(form->ComboTimeout->lineEdit(), "2.5");
  QTest::keyClick(form->ComboPosition, Qt::Key_Down);
  test::WindowWatcher<QColorDialog> user([](QColorDialog& dialog) {
    dialog.setCurrentColor(QColor(255, 0, 0));
    dialog.accept();
  });
  QTest::mouseClick(form->ButtFormColor, Qt::LeftButton);
  EXPECT_EQ(form->ButtFormColor->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
  QTest::mouseClick(form->ButtOk, Qt::LeftButton);

  EXPECT_EQ(f.dialog.Window.Caption, "Order \"A\"");
  EXPECT_EQ(f.dialog.Window.TimeoutMs, 2500);
  EXPECT_EQ(f.dialog.Window.PositionMode, 1);
  EXPECT_EQ(f.dialog.Window.Colour, 0x000000FF) << "colours are written blue, green, red";
}

TEST_F(FormsTest, CancelStoresNothing) {
  const auto form = Properties("H1");
  const std::string before = f.Written();
  QTest::keyClick(form->ComboShape, Qt::Key_Down);
  Retype(form->ComboPenWidth->lineEdit(), "8");
  QTest::mouseClick(form->ButtCancel, Qt::LeftButton);
  EXPECT_EQ(form->result(), QDialog::Rejected);
  EXPECT_EQ(f.Written(), before);
}

// The control names of the saved lines, in line order.
std::vector<std::string> SavedOrder(DesignerFixture& f) {
  std::vector<std::string> names;
  for (const std::string& line : f.Saved())
    if (line.rfind("WINDOW", 0) != 0) names.push_back(line.substr(0, line.find(',')));
  return names;
}

TEST_F(FormsTest, TheTabOrderFormMovesEntriesAndOkSavesThemAsTheLineOrder) {
  for (const bool ok : {true, false}) {
    ASSERT_TRUE(f.Open(DialogWith({
        "E1,0,0,60,20,0,\"\",0,N,0,0,0,\"name\"",
        "B1,0,30,60,20,0,\"\",0,N,0,0,0,\"Go\"",
        "M1,0,60,60,40,0,\"\",0,N,0,0,0,\"a&nl&b\"",
    })));
    TFormTabOrder form(f.dialog);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.windowTitle(), "Tab Order");
    QStringList shown;
    for (int i = 0; i < form.ListControls->count(); ++i) shown << form.ListControls->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"E1 - name", "B1", "M1 - a b"}));

    form.ListControls->setCurrentRow(2);
    QTest::mouseClick(form.ButtUp, Qt::LeftButton);
    QTest::mouseClick(form.ButtUp, Qt::LeftButton);
    QTest::mouseClick(form.ButtUp, Qt::LeftButton);  // already first
    form.ListControls->setCurrentRow(1);
    QTest::mouseClick(form.ButtDown, Qt::LeftButton);
    EXPECT_EQ(form.ListControls->currentItem()->text(), "E1 - name") << "the moved entry stays selected";
    QTest::mouseClick(ok ? form.ButtOk : form.ButtCancel, Qt::LeftButton);

    EXPECT_EQ(SavedOrder(f),
              ok ? (std::vector<std::string>{"M1", "B1", "E1"}) : (std::vector<std::string>{"E1", "B1", "M1"}));
  }
}

}  // namespace
}  // namespace tw
