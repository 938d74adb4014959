// tarnwick's small dialogs and its runs on the offscreen platform: options, script path, tips, and a script
// run from the list, with the tray's state and Exit in the middle of a run.

#include <gtest/gtest.h>

#include <QApplication>
#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>

#include "catalogue/qt/form_path.h"
#include "catalogue/qt/form_popup.h"
#include "catalogue/qt/form_tips.h"
#include "catalogue/qt/main_form.h"
#include "catalogue/qt/option_form.h"
#include "catalogue/qt/script_list_model.h"
#include "interpreter/scratch_folder.h"
#include "port/fake/fake_desktop.h"
#include "port/fake/fake_hotkeys.h"
#include "support/qt_application.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

// Calls `act` with the dialog of that type once it is the modal window; for dialogs opened with exec().
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

class SmallDialogs : public test::ScratchFolderTest {
 protected:
  void SetUp() override {
    test::Application();
    ScratchFolderTest::SetUp();
    files_ = FilesOf({At("config/tarnwick.ini"), At("data/"), false});
    fs::create_directories(files_.defaultScriptPath);
    fs::create_directories(At("config"));
  }
  IniFile Stored() const { return IniFile::Load(files_.settingsFile); }

  TarnwickFiles files_;
  port::fake::FakeDesktop desktop_;
  port::fake::FakeHotKeys hotkeys_;
};

TEST_F(SmallDialogs, OptionsWriteTheFourPreferencesAndLeaveTheDebugLogAsItWas) {
  Write(files_.settingsFile, "[Preferences]\nDebugLog=1\nLogSchedule=0\nLogFileName=/var/log/mine.txt\nLoadEditor=1\n");
  TMainForm form(files_, desktop_, &hotkeys_);
  bool editableWhileOff = true;
  WhenShown<TOptionForm>([&](TOptionForm& options) {
    editableWhileOff = options.EditLogFile->isEnabled();
    EXPECT_EQ(options.EditLogFile->text(), "/var/log/mine.txt");
    options.ButtViewLog->click();
    options.ChBxShowMain->setChecked(false);
    options.ButtOk->click();
  });
  form.ShowOptions();
  EXPECT_FALSE(editableWhileOff);
  EXPECT_EQ(desktop_.fakeProcesses().opens(), std::vector<std::string>{"/var/log/mine.txt"});
  // Logging off: the name is written back as it was.
  EXPECT_EQ(Stored().Text(), "[Preferences]\nDebugLog=1\nLogSchedule=0\nLogFileName=/var/log/mine.txt\nLoadEditor=0\n");

  WhenShown<TOptionForm>([&](TOptionForm& options) {
    QTest::mouseClick(options.ChBxLogSchedule, Qt::LeftButton);
    EXPECT_TRUE(options.EditLogFile->isEnabled());
    options.EditLogFile->setText(QString::fromStdString(At("schedule.txt")));
    options.ButtOk->click();
  });
  form.ShowOptions();
  EXPECT_EQ(Stored().Text(),
            "[Preferences]\nDebugLog=1\nLogSchedule=1\nLogFileName=" + At("schedule.txt") + "\nLoadEditor=0\n");
  EXPECT_TRUE(form.CurrentPreferences().logSchedule);

  WhenShown<TOptionForm>([](TOptionForm& options) {
    options.ChBxLogSchedule->setChecked(false);
    options.ButtCancel->click();
  });
  form.ShowOptions();
  EXPECT_TRUE(Stored().ReadBool("Preferences", "LogSchedule", false)) << "Cancel writes nothing";
}

TEST_F(SmallDialogs, ANewScriptPathIsWrittenAtOnceAndItsFoldersAreShown) {
  fs::create_directories(At("elsewhere/Letters"));
  Write(At("elsewhere/Letters/a.tws"), "#description: A letter\n#hotkey: Ctrl+Alt+L\n");
  TMainForm form(files_, desktop_, &hotkeys_);
  WhenShown<TFormPath>([&](TFormPath& dialog) {
    EXPECT_EQ(dialog.EditPath->text().toStdString(), files_.defaultScriptPath);
    dialog.EditPath->setText(QString::fromStdString("  " + At("elsewhere") + " "));
    dialog.ButtOk->click();
  });
  form.ChangeScriptPath();
  EXPECT_EQ(Stored().ReadString("Settings", "ScriptPath", ""), At("elsewhere/"));
  ASSERT_TRUE(form.catalogue().Tree());
  ASSERT_EQ(form.catalogue().Tree()->children.size(), 1u);
  EXPECT_EQ(form.HotKeys().Count(), 1) << "the quick-access menu and the hotkeys follow";
  EXPECT_EQ(hotkeys_.grabbed().size(), 1u);
}

TEST_F(SmallDialogs, TipsGoBackAndForthAndAuthorsNeedThePassword) {
  Write(At("Tips.txt"), "[Header]\ntipno=\nnotes=\n[1]\ntipno=One\nnotes=first\\nline two\n[2]\ntipno=Two\nnotes=x\n"
                        "[3]\ntipno=Three\nnotes=y\n");
  std::vector<int> saved;
  TFormTips tips(TipsFile::Load(At("Tips.txt")), true, [&](const TipsFile& file) {
    file.Save(At("Tips.txt"));
    saved.push_back(file.Count());
  });
  tips.ShowTip(0);
  EXPECT_EQ(tips.LablNotes->text(), "first\nline two");
  EXPECT_EQ(tips.LablPosition->text(), "1 of 3");
  EXPECT_FALSE(tips.ButtBack->isEnabled());
  tips.ButtNext->click();
  tips.ButtNext->click();
  EXPECT_EQ(tips.LablHeading->text(), "Three");
  EXPECT_EQ(tips.LablPosition->text(), "3 of 3");
  EXPECT_FALSE(tips.ButtNext->isEnabled());
  EXPECT_TRUE(tips.ButtBack->isEnabled());

  std::string answer = "tipsters";
  tips.AskPassword = [&] { return std::optional<std::string>(answer); };
  QTest::mouseDClick(tips.LablPosition, Qt::LeftButton);
  EXPECT_TRUE(tips.PanelAuthor->isHidden()) << "a wrong password";
  answer = kTipsAuthorPassword;
  QTest::mouseDClick(tips.LablPosition, Qt::LeftButton);
  ASSERT_FALSE(tips.PanelAuthor->isHidden());
  EXPECT_FALSE(tips.ButtOk->isEnabled());
  EXPECT_FALSE(tips.ChBxShowTips->isEnabled());
  tips.ButtAdd->click();
  tips.EditHeading->setText("Four");
  tips.EditNotes->setPlainText("new\nlines");
  tips.ButtSave->click();
  EXPECT_EQ(tips.LablPosition->text(), "4 of 4");
  EXPECT_EQ(TipsFile::Load(At("Tips.txt")).At(3), (Tip{"Four", "new\nlines"}));
  QTest::mouseClick(tips.LablPosition, Qt::LeftButton);
  EXPECT_TRUE(tips.PanelAuthor->isHidden());
  EXPECT_TRUE(tips.ButtOk->isEnabled());
  EXPECT_EQ(saved, std::vector<int>{4});
}

TEST_F(SmallDialogs, StartUpTipsShowOnlyWhenSwitchedOnAndThereAreTips) {
  const std::string tipsFile = At("data/Tips.txt");
  int shown = 0;
  const auto count = [&] {
    WhenShown<TFormTips>([&](TFormTips& tips) {
      ++shown;
      tips.ChBxShowTips->setChecked(false);
      tips.ButtOk->click();
    });
  };
  // An empty file, and one without tips: nothing, and no error.
  Write(tipsFile, "");
  count();
  ShowStartupTips(files_.settingsFile, tipsFile, nullptr);
  Write(tipsFile, "[Header]\ntipno=\nnotes=\n");
  ShowStartupTips(files_.settingsFile, tipsFile, nullptr);
  QTest::qWait(50);
  EXPECT_EQ(shown, 0);

  Write(tipsFile, "[Header]\ntipno=\nnotes=\n[a]\ntipno=A\nnotes=a\n");
  ShowStartupTips(files_.settingsFile, tipsFile, nullptr);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(Stored().ReadBool("Tips", "ShowTips", true));
  count();
  ShowStartupTips(files_.settingsFile, tipsFile, nullptr);
  QTest::qWait(50);
  EXPECT_EQ(shown, 1) << "switched off";
}

TEST_F(SmallDialogs, TheTrayIconLooksDifferentInEachStateAtEverySize) {
  QAction exit("Exit");
  TFormPopup tray(&exit);
  for (const int size : {16, 22, 32, 48}) {
    SCOPED_TRACE(size);
    std::vector<QImage> looks;
    for (const TrayState state : {TrayState::Idle, TrayState::Running, TrayState::Schedule}) {
      tray.SetTrayState(state);
      looks.push_back(tray.TrayIcon->icon().pixmap(size, size).toImage());
      EXPECT_FALSE(looks.back().isNull());
    }
    EXPECT_NE(looks[0], looks[1]);
    EXPECT_NE(looks[0], looks[2]);
    EXPECT_NE(looks[1], looks[2]);
  }
}

TEST_F(SmallDialogs, TheListRunsTheSelectedScriptAndExitInARunEndsTheProgramAfterIt) {
  Write(files_.defaultScriptPath + "job.tws", "#description: Job\nx = savetofile(\"ran\", \"" + At("ran.txt") + "\")\n");
  Write(files_.defaultScriptPath + "wait.tws",
        "#description: Wait\npause 60\nx = savetofile(\"on\", \"" + At("went-on.txt") + "\")\n");
  TMainForm form(files_, desktop_, &hotkeys_);
  form.show();
  std::vector<std::string> during;
  form.Runner().OnScriptStart = [&](const std::string&) {
    during.push_back(std::string(form.isVisible() ? "shown" : "hidden") + " " +
                     (form.Tray->State() == TrayState::Running ? "running" : "idle"));
  };
  form.ScriptReport->setCurrentIndex(form.Scripts->index(0, 0));  // Job, by description
  form.ActionRun->trigger();
  EXPECT_EQ(Read(At("ran.txt")), "ran\r\n");
  EXPECT_EQ(during, std::vector<std::string>{"hidden running"});
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.Tray->State(), TrayState::Idle);

  // Exit while the second script waits: it stops, and the program's loop ends once the run has returned.
  form.Runner().OnScriptStart = [&](const std::string&) { QTimer::singleShot(0, [&] { form.ActnExit->trigger(); }); };
  QTimer::singleShot(0, [&] { form.RunScriptFile(files_.defaultScriptPath + "wait.tws"); });
  QTimer::singleShot(60000, [] { QApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(fs::exists(At("went-on.txt")));
  EXPECT_FALSE(form.Runner().Active());
}

}  // namespace
}  // namespace tw
