// tarnwick's main window on the offscreen platform: sorting by the column headers, settings read on
// showing and written on hiding, drags onto the folder tree, the actions of later versions, and the schedule
// started, ticked by its timer and stopped.

#include "catalogue/qt/main_form.h"
#include "files/file_text.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <cstdio>
#include <filesystem>

#include "catalogue/qt/folder_tree_widget.h"
#include "catalogue/qt/script_list_model.h"
#include "interpreter/scratch_folder.h"
#include "port/fake/fake_desktop.h"
#include "port/fake/fake_hotkeys.h"
#include "support/qt_application.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

class MainFormTest : public test::ScratchFolderTest {
 protected:
  void SetUp() override {
    test::Application();
    ScratchFolderTest::SetUp();
    files_ = FilesOf({At("config/tarnwick.ini"), At("data/"), false});
    fs::create_directories(files_.defaultScriptPath);
  }

  void Script(const std::string& path, const std::string& description) {
    fs::create_directories(fs::path(files_.defaultScriptPath + path).parent_path());
    Write(files_.defaultScriptPath + path, "#description: " + description + "\r\nprint 1\r\n");
  }
  void Settings(const std::string& lines) {
    fs::create_directories(At("config"));
    Write(files_.settingsFile, "[Settings]\n" + lines);
  }
  IniFile Stored() const { return IniFile::Load(files_.settingsFile); }

  static std::vector<std::string> Column(TMainForm& form, int column) {
    std::vector<std::string> out;
    for (int row = 0; row < form.Scripts->rowCount(); ++row)
      out.push_back(form.Scripts->index(row, column).data().toString().toStdString());
    return out;
  }
  static void ClickHeader(TMainForm& form, int column) {
    QHeaderView* header = form.ScriptReport->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  }

  TarnwickFiles files_;
  port::fake::FakeDesktop desktop_;
  port::fake::FakeHotKeys hotkeys_;
};

TEST_F(MainFormTest, HeaderClicksSortTheList) {
  Script("a.tws", "Zed");
  Script("b.tws", "alpha");
  Script("c.tws", "Mid");
  TMainForm form(files_, desktop_, &hotkeys_);
  form.show();
  EXPECT_EQ(Column(form, ScriptListModel::kDescription), (std::vector<std::string>{"alpha", "Mid", "Zed"}));
  const std::pair<int, std::vector<std::string>> clicks[] = {
      {ScriptListModel::kScriptName, {"a.tws", "b.tws", "c.tws"}},
      {ScriptListModel::kHotKey, {"a.tws", "b.tws", "c.tws"}},  // keeps the order
      {ScriptListModel::kDescription, {"b.tws", "c.tws", "a.tws"}},
      {ScriptListModel::kScriptLocation, {"a.tws", "b.tws", "c.tws"}},
  };
  for (const auto& [column, names] : clicks) {
    ClickHeader(form, column);
    EXPECT_EQ(Column(form, ScriptListModel::kScriptName), names) << column;
  }
  EXPECT_EQ(form.ScriptReport->header()->sortIndicatorSection(), ScriptListModel::kScriptLocation);
  form.hide();
  EXPECT_EQ(Stored().ReadInteger("Settings", "Sort", -1), kSortByLocation);
}

TEST_F(MainFormTest, SettingsAreReadOnShowingAndWrittenOnHiding) {
  Script("A/x.tws", "Second by name");
  Script("A/y.tws", "First by name");
  Script("z.tws", "At the root");
  Settings("Col0=123\nCol1=90\nSort=0\nItemSel=1\nActiveFolder=A\nViewStyle=Icon\nIconViewDown=1\nListViewDown=0\n"
           "Width=700\nHeight=400\nFromElsewhere=kept\n");
  TMainForm form(files_, desktop_, &hotkeys_);
  form.show();
  EXPECT_EQ(form.ScriptReport->header()->sectionSize(0), 123);
  EXPECT_EQ(form.ScriptReport->header()->sectionSize(1), 90);
  EXPECT_EQ(form.size(), QSize(700, 400));
  EXPECT_EQ(form.ScriptList->currentWidget(), form.ScriptIcons);
  EXPECT_TRUE(form.ActnIconView->isChecked());
  EXPECT_EQ(form.TreeFolders->currentItem()->text(0), "A");
  EXPECT_EQ(Column(form, ScriptListModel::kScriptName), (std::vector<std::string>{"x.tws", "y.tws"}));
  EXPECT_EQ(form.ScriptReport->currentIndex().row(), 1);

  form.ScriptReport->header()->resizeSection(0, 150);
  form.ScriptReport->setCurrentIndex(form.Scripts->index(0, 0));
  form.ActnListView->trigger();
  form.hide();
  const IniFile stored = Stored();
  EXPECT_EQ(stored.ReadInteger("Settings", "Col0", 0), 150);
  EXPECT_EQ(stored.ReadInteger("Settings", "ItemSel", -1), 0);
  EXPECT_EQ(stored.ReadString("Settings", "ViewStyle", ""), "Report");
  EXPECT_EQ(stored.ReadString("Settings", "ActiveFolder", ""), "A");
  EXPECT_EQ(stored.ReadString("Settings", "ScriptPath", ""), files_.defaultScriptPath);
  EXPECT_EQ(stored.ReadString("Settings", "FromElsewhere", ""), "kept");

  // Changed behind the hidden window's back: the next showing takes it.
  IniFile::Update(files_.settingsFile, [](IniFile& ini) {
    ini.WriteInteger("Settings", "Col0", 111);
    ini.WriteString("Settings", "ActiveFolder", "");
  });
  form.show();
  EXPECT_EQ(form.ScriptReport->header()->sectionSize(0), 111);
  EXPECT_EQ(form.TreeFolders->currentItem(), form.TreeFolders->ItemFor(""));
  EXPECT_EQ(Column(form, ScriptListModel::kScriptName), std::vector<std::string>{"z.tws"});
}

TEST_F(MainFormTest, AScriptDraggedOntoAFolderMovesThereAndForeignDragsAreRefused) {
  Script("job.tws", "Job");
  fs::create_directories(files_.defaultScriptPath + "Dest");
  TMainForm form(files_, desktop_, &hotkeys_);
  form.show();
  QTreeWidgetItem* dest = form.TreeFolders->ItemFor("Dest");
  ASSERT_NE(dest, nullptr);
  QWidget* target = form.TreeFolders->viewport();
  const QPoint at = form.TreeFolders->visualItemRect(dest).center();

  // Returns whether the tree took the drag.
  const auto drag = [&](const QMimeData& data) {
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    QApplication::processEvents();
    return enter.isAccepted() && drop.isAccepted();
  };

  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(QString::fromStdString(files_.defaultScriptPath + "job.tws"))});
  EXPECT_FALSE(drag(files));
  QMimeData forged;
  forged.setData(ScriptListModel::kDragType, "0123abcd 0");
  EXPECT_FALSE(drag(forged));
  EXPECT_TRUE(fs::exists(files_.defaultScriptPath + "job.tws"));

  std::unique_ptr<QMimeData> ours(form.Scripts->mimeData({form.Scripts->index(0, 0)}));
  EXPECT_TRUE(drag(*ours));
  EXPECT_TRUE(fs::exists(files_.defaultScriptPath + "Dest/job.tws"));
  EXPECT_FALSE(fs::exists(files_.defaultScriptPath + "job.tws"));
  EXPECT_EQ(form.Scripts->rowCount(), 0);
}

TEST_F(MainFormTest, ActionsOfLaterVersionsSaySo) {
  Script("job.tws", "Job");
  TMainForm form(files_, desktop_, &hotkeys_);
  form.show();
  std::vector<std::string> shown;
  const auto answerNextBox = [&] {
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown.push_back(box->text().toStdString());
        box->accept();
      }
    });
  };
  form.ScriptReport->setCurrentIndex(QModelIndex());
  answerNextBox();
  form.ActionEdit->trigger();
  form.ScriptReport->setCurrentIndex(form.Scripts->index(0, 0));
  answerNextBox();
  form.ActionEdit->trigger();
  EXPECT_EQ(shown, (std::vector<std::string>{"Must select a script.",
                                             "\"Edit\" is not available in this version of tarnwick."}));
}

TEST_F(MainFormTest, TheScheduleTakesEveryFolderAndShowsItsStateAndStartInTheLogs) {
  Script("top.tws", "Top");
  fs::create_directories(files_.defaultScriptPath + "Sub");
  Write(files_.defaultScriptPath + "Sub/every.tws",
        "#description: Every\r\n#enableschd: y\r\n#runmode: 2\r\n#schddwm: Day\r\n#schddatetime: 01/02/20 "
        "03:04\r\nprint 1\r\n");
  fs::create_directories(At("config"));
  Write(files_.settingsFile, "[Preferences]\nLogSchedule=1\nDebugLog=1\nLogFileName=" + At("log.txt") + "\n");
  TMainForm form(files_, desktop_, &hotkeys_);
  form.ActnStartSchedule->trigger();
  ASSERT_TRUE(form.Schedule().On());
  ASSERT_EQ(form.Schedule().Entries().size(), 1u);
  EXPECT_EQ(form.Schedule().Entries()[0].scriptFile, files_.defaultScriptPath + "Sub/every.tws");
  EXPECT_EQ(form.Tray->State(), TrayState::Schedule);
  EXPECT_TRUE(form.Tray->MnuStartSchedule->isChecked());
  EXPECT_EQ(Column(form, 0), std::vector<std::string>{"Top"}) << "the list keeps the active folder";
  EXPECT_TRUE(ReadWholeFile(At("log.txt")).value_or("").starts_with("*** Schedule Start at "));
  EXPECT_NE(ReadWholeFile(files_.scheduleDebugLog).value_or("").find("Name=every.tws"), std::string::npos);

  form.Tray->MnuStopSchedule->trigger();
  EXPECT_FALSE(form.Schedule().On());
  EXPECT_EQ(form.Tray->State(), TrayState::Idle);
  EXPECT_TRUE(form.Tray->MnuStopSchedule->isChecked());
}

// The schedule's time as the test sets it, on a calendar without daylight saving.
class TestClock : public ScheduleClock {
 public:
  UtcMs Now() const override { return now; }
  LocalMs ToLocal(UtcMs instant) const override { return instant; }
  UtcMs ToUtc(LocalMs local) const override { return local; }
  UtcMs now = LocalMsFromCivil({2024, 6, 1, 12, 0, 0, 0});
};

TEST_F(MainFormTest, TheTimerRunsDueScriptsOnTheRunPathExactlyWhileTheScheduleIsOn) {
  // a.tws every minute from 11:59:30 (due 12:00:30); Sub/b.tws once at 12:00:20; both append to `order`.
  const std::string order = At("order.txt");
  const auto appends = [&](const std::string& mark) {
    return "x = savetofile(loadfromfile(\"" + order + "\") + \"" + mark + "\", \"" + order + "\")\r\n";
  };
  fs::create_directories(files_.defaultScriptPath + "Sub");
  Write(files_.defaultScriptPath + "a.tws", "#description: A\r\n#enableschd: y\r\n#runmode: 2\r\n#schddwm: minute\r\n"
                                            "#schddatetime: 06/01/24 11:59:30\r\n" + appends("a"));
  Write(files_.defaultScriptPath + "Sub/b.tws", "#description: B\r\n#enableschd: y\r\n#runmode: 1\r\n"
                                                "#schddatetime: 06/01/24 12:00:20\r\n" + appends("b"));
  const std::string go = At("go");
  Write(files_.defaultScriptPath + "wait.tws", "#description: Wait\r\nn = 0\r\nwhile fileexists(\"" + go +
                                                   "\") = 0 and n < 1200\r\n  pause 0.05\r\n  n = n + 1\r\nendwhile\r\n");
  fs::create_directories(At("config"));
  Write(files_.settingsFile, "[Preferences]\nLogSchedule=1\nLogFileName=" + At("log.txt") + "\n");
  TestClock clock;
  TMainForm form(files_, desktop_, &hotkeys_, &clock);
  auto* timer = form.findChild<QTimer*>("ScheduleTimer");
  ASSERT_NE(timer, nullptr);
  EXPECT_FALSE(timer->isActive());

  // Started while another run waits: once that run is over the timer runs, every ten seconds.
  bool startedDuringRun = false;
  QTimer::singleShot(0, &form, [&] {
    form.StartSchedule();
    startedDuringRun = form.Runner().Active();
    Write(go, "");
  });
  ASSERT_TRUE(form.RunScriptFile(files_.defaultScriptPath + "wait.tws"));
  ASSERT_TRUE(startedDuringRun);
  ASSERT_EQ(form.Schedule().Entries().size(), 2u);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 10000);
  EXPECT_FALSE(fs::exists(order)) << "nothing is due yet";

  // Both are due: the timer's next tick runs them in list order, each once.
  clock.now += 31'000;
  timer->setInterval(1);
  const std::string bothOnce = "a\r\nb\r\n";
  EXPECT_TRUE(QTest::qWaitFor([&] { return ReadWholeFile(order).value_or("") == bothOnce; }, 60'000));
  QCoreApplication::processEvents();  // further ticks: nothing more is due
  EXPECT_EQ(ReadWholeFile(order).value_or(""), bothOnce);
  EXPECT_TRUE(form.Schedule().Entries()[1].done);
  EXPECT_EQ(*form.Schedule().Entries()[0].nextRun, LocalMsFromCivil({2024, 6, 1, 12, 1, 30, 0}));
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(form.Tray->State(), TrayState::Schedule);
  // The runs the schedule made are logged; the one that began before the schedule is not.
  const std::string log = ReadWholeFile(At("log.txt")).value_or("");
  for (const char* name : {"a.tws", "b.tws"})
    for (const char* event : {"Start", "Finish"}) {
      char line[64];
      std::snprintf(line, sizeof line, "%-30s %s\r\n", name, event);
      EXPECT_NE(log.find(line), std::string::npos) << line << "in\n" << log;
    }
  EXPECT_EQ(log.find("wait.tws"), std::string::npos) << log;

  form.StopSchedule();
  EXPECT_FALSE(timer->isActive());
}

}  // namespace
}  // namespace tw
