// tarnwick's main window handing over to the script editor, on the offscreen platform with the fake desktop:
// Add... and Edit... open the editor; while it is open the schedule is off, the window and the tray icon are
// hidden, the hotkeys are off and nothing runs; its end gives all of it back and lists the folder again.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>

#include "catalogue/qt/folder_tree_widget.h"
#include "catalogue/qt/main_form.h"
#include "catalogue/qt/script_list_model.h"
#include "editor/qt/form_script_editor.h"
#include "editor/qt/main_form_editor.h"
#include "interpreter/scratch_folder.h"
#include "port/fake/fake_desktop.h"
#include "port/fake/fake_hotkeys.h"
#include "support/qt_application.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

// Serves events until `condition` holds; false when it never did (a generous limit keeps a fault from
// hanging the suite).
bool ServeUntil(const std::function<bool()>& condition) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// Answers the next message box with its default button, keeping its text.
void AnswerNextMessageBox(QString& text) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, &text] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    timer->stop();
    timer->deleteLater();
    text = box->text();
    box->accept();
  });
  timer->start();
}

class HandOver : public test::ScratchFolderTest {
 protected:
  void SetUp() override {
    test::Application();
    ScratchFolderTest::SetUp();
    files_ = FilesOf({At("config/tarnwick.ini"), At("data/"), false});
    fs::create_directories(files_.defaultScriptPath + "Office");
    fs::create_directories(At("config"));
    Put("Office/letter.tws", "#description: Letter\r\n#hotkey: Ctrl+Alt+L\r\n", "print 1\r\n");
    form_ = std::make_unique<TMainForm>(files_, desktop_, &hotkeys_);
    ConnectScriptEditor(*form_);
    form_->show();
    form_->TreeFolders->setCurrentItem(form_->TreeFolders->ItemFor("Office"));
  }
  void TearDown() override {
    form_.reset();
    TBasicInterpreter::StopRequested = false;
    ScratchFolderTest::TearDown();
  }

  std::string Put(const std::string& path, const std::string& header, const std::string& body) {
    Write(files_.defaultScriptPath + path, header + body);
    return files_.defaultScriptPath + path;
  }
  void SelectFirstScript() { form_->ScriptReport->setCurrentIndex(form_->Scripts->index(0, 0)); }
  TFormScriptEditor* Editor() const { return qobject_cast<TFormScriptEditor*>(form_->ScriptEditor()); }
  // What the editor's presence takes away, all at once: true while every part of it holds.
  bool HandedOver() const {
    return !form_->isVisible() && !form_->Tray->TrayIcon->isVisible() && !form_->HotKeys().Active() &&
           hotkeys_.grabbed().empty() && !form_->Schedule().On();
  }
  bool GivenBack() const {
    return form_->isVisible() && form_->Tray->TrayIcon->isVisible() && form_->HotKeys().Active() &&
           !hotkeys_.grabbed().empty();
  }
  std::vector<std::string> Listed() const {
    std::vector<std::string> names;
    for (int row = 0; row < form_->Scripts->rowCount(); ++row)
      names.push_back(form_->Scripts->index(row, ScriptListModel::kScriptName).data().toString().toStdString());
    return names;
  }

  TarnwickFiles files_;
  port::fake::FakeDesktop desktop_;
  port::fake::FakeHotKeys hotkeys_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(HandOver, EditOpensTheScriptAndWhileTheEditorIsOpenNothingRunsTillItsEndGivesEverythingBack) {
  const std::string marker = At("ran.txt");
  const std::string job = Put("Office/job.tws", "#description: Job\r\n",
                              "x = savetofile(\"ran\", \"" + marker + "\")\r\n");
  form_->ActnRefreshFolders->trigger();
  form_->StartSchedule();
  ASSERT_TRUE(form_->Schedule().On());
  ASSERT_EQ(Listed(), (std::vector<std::string>{"job.tws", "letter.tws"}));
  SelectFirstScript();
  ASSERT_TRUE(GivenBack());

  form_->ActionEdit->trigger();
  TFormScriptEditor* editor = Editor();
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->isVisible());
  ASSERT_NE(editor->Core().ActivePage(), nullptr);
  EXPECT_EQ(editor->Core().ActivePage()->file, job);
  EXPECT_EQ(editor->Core().Pages().size(), 1u);
  EXPECT_TRUE(HandedOver());

  // Every way in is shut: a request from another program, the run path itself, a second start of the program.
  form_->ReceiveRunRequest(job);
  EXPECT_FALSE(form_->RunScriptFile(job));
  QApplication::processEvents();
  form_->ShowAndActivate();
  EXPECT_FALSE(form_->isVisible()) << "the editor comes to the front instead";
  EXPECT_TRUE(editor->isVisible());
  // The editor's own test run, on the file it opened, does run.
  editor->Action(editor::EditorAction::TestRun)->trigger();
  EXPECT_TRUE(ServeUntil([&] { return Exists(marker); }));
  fs::remove(marker);
  EXPECT_TRUE(HandedOver());

  // A script saved meanwhile (as the editor's Save as would) is listed when the window comes back.
  Put("Office/added.tws", "#description: Added\r\n", "x = 1\r\n");
  editor->close();
  ASSERT_TRUE(ServeUntil([&] { return form_->ScriptEditor() == nullptr; }));
  EXPECT_TRUE(GivenBack());
  EXPECT_FALSE(form_->Schedule().On()) << "stopped by the editor, not started again";
  EXPECT_EQ(form_->Tray->State(), TrayState::Idle);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"added.tws", "job.tws", "letter.tws"}));
  QApplication::processEvents();
  EXPECT_FALSE(Exists(marker)) << "the request dropped while the editor was open never ran";
  EXPECT_TRUE(form_->RunScriptFile(job));
}

TEST_F(HandOver, AddOpensANewScriptWhoseDialogsStartInTheSelectedFolder) {
  form_->ActionAdd->trigger();
  TFormScriptEditor* editor = Editor();
  ASSERT_NE(editor, nullptr);
  ASSERT_EQ(editor->Core().Pages().size(), 1u);
  EXPECT_TRUE(editor->Core().ActivePage()->Untitled());
  EXPECT_EQ(editor->Core().ScriptsFolder(), files_.defaultScriptPath + "Office/");
  EXPECT_TRUE(HandedOver());
  editor->close();
  ASSERT_TRUE(ServeUntil([&] { return form_->ScriptEditor() == nullptr; }));
  EXPECT_TRUE(GivenBack());
}

// The main window's tray icon is gone while the editor is open, so the editor's Cancel (F11, its own tray
// icon) is the way to stop a run that was going when it opened.
TEST_F(HandOver, AnEditorOpenedDuringARunHoldsItsOwnRunsSaysWhyAndItsCancelStopsThatRun) {
  const std::string finished = At("finished.txt");
  const std::string loop = "n = 0\r\nwhile n < 600\r\n  pause 0.05\r\n  n = n + 1\r\nendwhile\r\n";
  const std::string wait =
      Put("Office/wait.tws", "#description: Wait\r\n", loop + "x = savetofile(\"done\", \"" + finished + "\")\r\n");
  const std::string probe = At("probe.txt");
  const std::string other = Put("other.tws", "", "x = savetofile(\"ran\", \"" + probe + "\")\r\n");
  bool checked = false;
  QString message;
  QTimer::singleShot(0, form_.get(), [&] {
    // The tray's "Edit Tasks" shows the window during the run; Edit... from there.
    form_->Tray->MnuEditTasks->trigger();
    SelectFirstScript();
    form_->ActionEdit->trigger();
    TFormScriptEditor* editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(form_->isVisible());
    editor->Core().OpenFile(other);
    AnswerNextMessageBox(message);
    editor->Action(editor::EditorAction::TestRun)->trigger();
    EXPECT_EQ(message.toStdString(), editor::kOtherRunActive);
    EXPECT_FALSE(editor->Core().RunActive());
    EXPECT_FALSE(Exists(probe)) << "the editor waits for the main program's run";
    EXPECT_TRUE(editor->Action(editor::EditorAction::Cancel)->isEnabled());
    checked = true;
    editor->Action(editor::EditorAction::Cancel)->trigger();
  });
  ASSERT_TRUE(form_->RunScriptFile(wait));
  ASSERT_TRUE(checked);
  EXPECT_FALSE(Exists(finished)) << "the run was stopped before its last line";
  ASSERT_NE(Editor(), nullptr);
  EXPECT_TRUE(HandedOver()) << "the run's end leaves what the editor holds";
  EXPECT_TRUE(ServeUntil([&] { return !Editor()->Action(editor::EditorAction::Cancel)->isEnabled(); }))
      << "the editor heard of the run's end";
  Editor()->Action(editor::EditorAction::TestRun)->trigger();
  EXPECT_TRUE(Exists(probe)) << "and runs its own again";
  Editor()->close();
  ASSERT_TRUE(ServeUntil([&] { return form_->ScriptEditor() == nullptr; }));
  EXPECT_TRUE(GivenBack());
}

}  // namespace
}  // namespace tw
