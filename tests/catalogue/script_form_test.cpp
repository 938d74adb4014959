// The script properties dialog on the offscreen platform: the hotkey capture by real key events, the
// schedule groups, the description edit, OK refused without a drop-down selection, and the changed flag.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "catalogue/hotkey_text.h"
#include "catalogue/qt/hot_key_edit.h"
#include "catalogue/qt/script_form.h"
#include "port/fake/fake_desktop.h"
#include "support/qt_application.h"

namespace tw {
namespace {

// Calls `act` once a modal window of that type shows; for windows opened with exec().
template <class Dialog>
void WhenShown(std::function<void(Dialog&)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
      poll->stop();
      poll->deleteLater();
      act(*dialog);
    }
  });
  poll->start(10);
}

class ScriptForm : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Application();
    header_.title = "Notes";
    header_.path = "/srv/";  // a blank path is filled in on OK, which is a change
    header_.description = "Daily notes";
    header_.schddatetime = 46000.5;
  }
  port::fake::FakeDesktop desktop_;
  TScriptHeader header_;
};

TEST_F(ScriptForm, TheHotKeyCaptureTakesCombinationsWithAModifierOtherThanShiftAlone) {
  TScriptForm form(header_, desktop_);
  HotKeyEdit& edit = *form.EditHotKey;
  struct Press {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* shown;
  };
  const Press presses[] = {
      {Qt::Key_F5, Qt::ControlModifier | Qt::AltModifier, "Ctrl+Alt+F5"},
      {Qt::Key_A, Qt::NoModifier, "Ctrl+Alt+F5"},  // refused: the control keeps what it had
      {Qt::Key_A, Qt::ShiftModifier, "Ctrl+Alt+F5"},
      {Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier, "Shift+Ctrl+A"},
      {Qt::Key_Home, Qt::AltModifier, "Alt+Home"},
      {Qt::Key_Backspace, Qt::NoModifier, ""},
      {Qt::Key_Tab, Qt::ControlModifier, "Ctrl+Tab"},
      {Qt::Key_P, Qt::ControlModifier, "Ctrl+P"},  // a shortcut elsewhere is captured here
  };
  for (const Press& press : presses) {
    QTest::keyClick(&edit, press.key, press.modifiers);
    EXPECT_EQ(edit.text().toStdString(), press.shown) << press.key;
    EXPECT_EQ(ParseHotKey(edit.text().toStdString()), edit.Combination()) << press.shown;
  }
}

TEST_F(ScriptForm, TheScheduleGroupsFollowTheirCheckBox) {
  TScriptForm form(header_, desktop_);
  EXPECT_FALSE(form.GroupInterval->isEnabled());
  EXPECT_FALSE(form.GroupStart->isEnabled());
  form.CheckSchedule->click();
  EXPECT_TRUE(form.GroupInterval->isEnabled());
  EXPECT_TRUE(form.GroupStart->isEnabled());
  form.CheckSchedule->click();
  EXPECT_FALSE(form.GroupInterval->isEnabled());
}

TEST_F(ScriptForm, TheDescriptionStaysOneLineOfAtMost200Characters) {
  TScriptForm form(header_, desktop_);
  form.EditDescription->setPlainText("first\nsecond\r\nthird");
  EXPECT_EQ(form.EditDescription->toPlainText(), "first second third");
  form.EditDescription->setPlainText(QString(250, 'x'));
  EXPECT_EQ(form.EditDescription->toPlainText().size(), 200);
}

TEST_F(ScriptForm, OKWithoutAnApplicationTypeSaysSoAndStaysOpen) {
  header_.apptype = "OS/2";
  TScriptForm form(header_, desktop_);
  EXPECT_EQ(form.ComboAppType->currentIndex(), -1);
  QString told;
  WhenShown<QMessageBox>([&](QMessageBox& box) {
    told = box.text();
    box.accept();
    EXPECT_TRUE(form.isVisible()) << "the dialog stays open";
    form.ComboAppType->setCurrentIndex(1);
    form.ButtOK->click();
  });
  QTimer::singleShot(0, form.ButtOK, &QPushButton::click);
  EXPECT_EQ(form.exec(), QDialog::Accepted);
  EXPECT_EQ(told, "Choose an Application Type.");
  EXPECT_EQ(form.Header().apptype, "DOS");
}

TEST_F(ScriptForm, EditScriptHeaderTellsWhetherAFieldChanged) {
  TScriptHeader header = header_;
  WhenShown<TScriptForm>([](TScriptForm& form) { form.ButtOK->click(); });
  EXPECT_FALSE(EditScriptHeader(header, desktop_));
  EXPECT_EQ(header, header_);

  WhenShown<TScriptForm>([](TScriptForm& form) {
    form.EditTitle->setText("Other");
    form.ButtCancel->click();
  });
  EXPECT_FALSE(EditScriptHeader(header, desktop_));
  EXPECT_EQ(header, header_);

  WhenShown<TScriptForm>([](TScriptForm& form) {
    form.EditTitle->setText("Other");
    QTest::keyClick(form.EditHotKey, Qt::Key_F5, Qt::ControlModifier | Qt::AltModifier);
    form.ButtOK->click();
  });
  EXPECT_TRUE(EditScriptHeader(header, desktop_));
  EXPECT_EQ(header.title, "Other");
  EXPECT_EQ(header.hotkey, "Ctrl+Alt+F5");
}

}  // namespace
}  // namespace tw
