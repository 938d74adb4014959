// Script dialogs on the Qt host, driven on the offscreen platform: what a script reads back after a button,
// the keyboard, the close box, a timeout or a countdown closed its dialog; controls preset from variables;
// positions remembered in the settings file.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands/tarnwick_basic.h"
#include "dialogs/qt/dialog_form.h"
#include "port/fake/fake_desktop.h"
#include "runtime/qt/qt_host.h"
#include "support/qt_application.h"
#include "support/qt_window_watcher.h"
#include "support/scoped_environment.h"

namespace tw {
namespace {

template <class W>
W& Child(DialogForm& form, const char* name) {
  W* widget = form.findChild<W*>(name);
  if (!widget) throw std::runtime_error(std::string("no control ") + name);
  return *widget;
}

// An enhanced dialog with an edit box, a check box, a list box and two buttons, at 100,80 unless its
// position mode says otherwise.
std::string EnhancedDialog(const std::string& caption = "Answer", int positionMode = 0,
                           const std::string& timeout = "0") {
  return "dialog\n"
         "WINDOW,100,80,300,160," + std::to_string(positionMode) + ",\"Tahoma\",9,N,\"" + caption + "\"\n"
         "WINDOW1," + timeout + "\n"
         "EUSER,10,10,120,22,1,\"\",9,N,0,0,0,\"\"\n"
         "CAGREE,10,40,120,20,0,\"\",9,N,0,0,0,\"Agree\"\n"
         "EZIP,10,64,120,22,0,\"\",9,N,0,0,0,\"\"\n"
         "SLIST,150,10,120,60,0,\"\",9,N,0,0,0,\"one;two;\"\n"
         "BOK,150,100,60,25,0,\"\",9,N,0,0,0,\"&OK\"\n"
         "BCANCEL,220,100,60,25,0,\"\",9,N,0,0,0,\"Cancel\"\n"
         "enddialog\n"
         "ok = dialogvar(\"bok\")\n"
         "cancel = dialogvar(\"bcancel\")\n"
         "user = dialogvar(\"euser\")\n"
         "list = dialogvar(\"slist\")\n";
}

class DialogFormTest : public ::testing::Test {
 protected:
  DialogFormTest() : interpreter(host, desktop) {
    test::Application();
    interpreter.OnDialogFailure = [this] { failed = true; };
  }

  // Runs the script while `act` plays the user on each dialog that opens.
  // Runs the script while `act` plays the user on each dialog that opens. What the script leaves in the
  // variables the results name outlives the run.
  void Run(const std::string& script, std::function<void(DialogForm&)> act) {
    results.Clear();
    for (const char* name : {"ok", "cancel", "user", "list", "timer"}) results.Add(name, ScriptValue(""), false);
    interpreter.SetGlobals(&results);
    test::WindowWatcher<DialogForm> user(std::move(act));
    interpreter.SetScriptText(script, "test.tws");
    interpreter.Run(0);
  }
  std::string Var(const char* name) { return results.Find(name)->Value.ToText(); }

  QtHost host;
  port::fake::FakeDesktop desktop;
  TTarnwickBasic interpreter;
  VariableTable results;
  bool failed = false;
};

// How the dialog ends decides the buttons' values; a button never takes a variable's value, so a script that
// read "bok" before still sees 0 after the close box.
TEST_F(DialogFormTest, ButtonsTheKeyboardAndTheCloseBoxDecideTheButtonsValues) {
  struct Case {
    const char* name;
    std::function<void(DialogForm&)> act;
    const char* ok;
    const char* cancel;
  };
  const Case cases[] = {
      {"cancel clicked", [](DialogForm& f) { Child<QPushButton>(f, "BCANCEL").click(); }, "0", "1"},
      {"close box", [](DialogForm& f) { f.close(); }, "0", "0"},
      {"escape", [](DialogForm& f) { QTest::keyClick(&Child<QLineEdit>(f, "EUSER"), Qt::Key_Escape); }, "0", "0"},
      {"space on the focused button",
       [](DialogForm& f) {
         Child<QPushButton>(f, "BOK").setFocus();
         QTest::keyClick(&Child<QPushButton>(f, "BOK"), Qt::Key_Space);
       },
       "1", "0"},
      {"alt and the accelerator", [](DialogForm& f) { QTest::keyClick(&f, Qt::Key_O, Qt::AltModifier); }, "1", "0"},
  };
  for (const Case& c : cases) {
    Run("bok = 1\nbcancel = 1\n" + EnhancedDialog(), c.act);
    EXPECT_EQ(Var("ok"), c.ok) << c.name;
    EXPECT_EQ(Var("cancel"), c.cancel) << c.name;
  }
}

// Enter presses the default button of a text layout (the one marked "^"), whichever control has the focus;
// without a default button Enter closes nothing.
TEST_F(DialogFormTest, EnterPressesOnlyTheDefaultButton) {
  const std::string layout =
      "dialog\n"
      "  Name: [Euser:^ ]\n"
      "  [Bok:^OK,Bcancel:Cancel]\n"
      "enddialog\n"
      "ok = dialogvar(\"bok\")\ncancel = dialogvar(\"bcancel\")\nuser = dialogvar(\"euser\")\n";
  Run(layout, [](DialogForm& f) {
    QTest::keyClicks(&Child<QLineEdit>(f, "Euser"), "Ada");
    Child<QPushButton>(f, "Bcancel").setFocus();
    QTest::keyClick(&Child<QPushButton>(f, "Bcancel"), Qt::Key_Return);
  });
  EXPECT_EQ(Var("ok"), "1");
  EXPECT_EQ(Var("cancel"), "0");
  EXPECT_EQ(Var("user"), "Ada");

  bool stillOpen = false;
  Run(EnhancedDialog(), [&stillOpen](DialogForm& f) {
    QTest::keyClick(&Child<QLineEdit>(f, "EUSER"), Qt::Key_Return);
    stillOpen = f.isVisible();
    Child<QPushButton>(f, "BCANCEL").click();
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(Var("cancel"), "1");
}

// Controls named like the script's variables open with their values; a value a control cannot take (a check
// box and a word) leaves that control alone and the later ones still take theirs.
TEST_F(DialogFormTest, ControlsOpenWithTheScriptsVariablesAndTheUsersEntriesComeBack) {
  QString shownUser, shownZip, shownFirstItem;
  bool shownChecked = true;
  Run("euser = \"abc\"\ncagree = \"maybe\"\nezip = \"12345\"\nslist = \"x\"\n" + EnhancedDialog(),
      [&](DialogForm& f) {
        shownUser = Child<QLineEdit>(f, "EUSER").text();
        shownChecked = Child<QCheckBox>(f, "CAGREE").isChecked();
        shownZip = Child<QLineEdit>(f, "EZIP").text();
        shownFirstItem = Child<QListWidget>(f, "SLIST").item(0)->text();
        QTest::keyClick(&Child<QLineEdit>(f, "EUSER"), Qt::Key_End);
        QTest::keyClicks(&Child<QLineEdit>(f, "EUSER"), "def");
        Child<QListWidget>(f, "SLIST").setCurrentRow(1);
        Child<QPushButton>(f, "BOK").click();
      });
  EXPECT_EQ(shownUser, "abc");
  EXPECT_FALSE(shownChecked);
  EXPECT_EQ(shownZip, "12345");
  EXPECT_EQ(shownFirstItem, "x");
  EXPECT_EQ(Var("user"), "abcdef");
  EXPECT_EQ(Var("list"), "two");
  EXPECT_EQ(Var("ok"), "1");
}

// The WINDOW1 timeout and a text layout's countdown close the dialog by themselves; only the countdown's
// timer says so.
TEST_F(DialogFormTest, TheTimeoutAndTheCountdownCloseTheDialog) {
  Run(EnhancedDialog("Answer", 0, "0.2"), [](DialogForm&) {});
  EXPECT_EQ(Var("ok"), "0");
  EXPECT_EQ(Var("cancel"), "0");

  std::vector<QString> labels;
  Run("dialog\n  Closing in [Ttimer:2] s\n  [Bok:OK]\nenddialog\n"
      "timer = dialogvar(\"ttimer\")\nok = dialogvar(\"bok\")\n",
      [&labels](DialogForm& f) {
        auto* label = f.findChild<QLabel*>("TimerLabel");
        ASSERT_NE(label, nullptr);
        labels.push_back(label->text());
        auto* sampler = new QTimer(&f);
        QObject::connect(sampler, &QTimer::timeout, [&labels, label] {
          if (labels.back() != label->text()) labels.push_back(label->text());
        });
        sampler->start(20);
      });
  EXPECT_EQ(Var("timer"), "1");
  EXPECT_EQ(Var("ok"), "0");
  ASSERT_GE(labels.size(), 2u);
  EXPECT_TRUE(labels[0].contains('2')) << labels[0].toStdString();
  EXPECT_TRUE(labels[1].contains('1')) << labels[1].toStdString();
}

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Position mode 2 keeps where the dialog was closed under its caption in the settings file, beside whatever
// else the file holds, and opens there next time; a caption that would break the file is encoded, and a
// position on no screen is not used.
TEST_F(DialogFormTest, PositionModeTwoRemembersWhereTheDialogWasClosed) {
  const std::filesystem::path config = std::filesystem::path(::testing::TempDir()) / "dialog_positions";
  std::filesystem::remove_all(config);
  std::filesystem::create_directories(config / "tarnwick");
  const test::ScopedEnvironment home("XDG_CONFIG_HOME", config.string());
  const std::filesystem::path ini = config / "tarnwick" / "dialog_form_tests.ini";
  std::ofstream(ini) << "; kept\n[Other]\nkey=value\n[DialogPosition]\nGone_X=99999\nGone_Y=99999\n";

  QPoint opened;
  const auto moveAndClose = [&opened](DialogForm& f) {
    opened = f.pos();
    f.move(40, 30);
    Child<QPushButton>(f, "BOK").click();
  };
  Run(EnhancedDialog("Setup", 2), moveAndClose);
  const QPoint centred = opened;
  EXPECT_NE(centred, QPoint(40, 30));
  EXPECT_EQ(FileText(ini),
            "; kept\n[Other]\nkey=value\n[DialogPosition]\nGone_X=99999\nGone_Y=99999\nSetup_X=40\nSetup_Y=30\n");
  Run(EnhancedDialog("Setup", 2), moveAndClose);
  EXPECT_EQ(opened, QPoint(40, 30));

  Run(EnhancedDialog("Gone", 2), moveAndClose);
  EXPECT_EQ(opened, centred);

  Run(EnhancedDialog("[a=b", 2), moveAndClose);
  EXPECT_NE(FileText(ini).find("\n%5Ba%3Db_X=40\n%5Ba%3Db_Y=30\n"), std::string::npos) << FileText(ini);
  EXPECT_FALSE(failed);
}

}  // namespace
}  // namespace tw
