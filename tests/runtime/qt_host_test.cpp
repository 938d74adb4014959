// brindle's Qt windows, driven on the offscreen platform: the prompt and console window, message boxes,
// pickers, and scripts running against the Qt host.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "commands/tarnwick_basic.h"
#include "port/fake/fake_desktop.h"
#include "runtime/qt/form_basic.h"
#include "runtime/qt/qt_host.h"
#include "support/qt_window_watcher.h"

namespace tw {
namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "qt_host_tests";
  static char* argv[] = {name, nullptr};
  static QApplication application(argc, argv);
  return application;
}

using test::WindowWatcher;

// Answers every prompt window (not the console) from a queue and notes what each one showed.
struct PromptAnswer {
  bool ok = true;
  std::optional<QString> input;
};

struct SeenPrompt {
  QString title, text, preset, time;
  bool inputShown, timeShown;
};

class PromptResponder {
 public:
  std::deque<PromptAnswer> answers;
  std::vector<SeenPrompt> seen;

  PromptResponder()
      : watcher_([this](TFormBasic& form) {
          if (form.Mode() == TFormBasic::PromptMode::Console) return;
          seen.push_back({form.windowTitle(), form.MemoPrompt->toPlainText(), form.EditInput->text(),
                          form.LablTime->text(), form.EditInput->isVisible(), form.LablTime->isVisible()});
          if (answers.empty()) return;  // left to the countdown
          const PromptAnswer answer = answers.front();
          answers.pop_front();
          if (answer.input) form.EditInput->setText(*answer.input);
          (answer.ok ? form.ButtOk : form.ButtCancel)->click();
        }) {}

 private:
  WindowWatcher<TFormBasic> watcher_;
};

class QtHostTest : public ::testing::Test {
 protected:
  QtHostTest() : interpreter(host, desktop) { Application(); }

  void Run(const std::string& script) {
    interpreter.SetScriptText(script, "test.tws");
    interpreter.Run(0);
  }

  QStringList ConsoleLinesShown() const {
    QStringList lines;
    if (!host.Console()) return lines;
    for (QTextBlock block = host.Console()->MemoConsole->document()->begin(); block.isValid(); block = block.next())
      lines << block.text();
    return lines;
  }

  QtHost host;
  port::fake::FakeDesktop desktop;
  TTarnwickBasic interpreter;
};

TEST_F(QtHostTest, TheCountdownShowsTheSecondsLeftAndConfirmsByItselfAtZero) {
  std::vector<QString> labels;
  WindowWatcher<TFormBasic> watcher([&](TFormBasic& form) {
    labels.push_back(form.LablTime->text());
    auto* sampler = new QTimer(&form);
    QObject::connect(sampler, &QTimer::timeout, [&labels, &form] {
      if (labels.back() != form.LablTime->text()) labels.push_back(form.LablTime->text());
    });
    sampler->start(20);
    EXPECT_TRUE(form.LablTime->isVisible());
    EXPECT_FALSE(form.EditInput->isVisible());
    EXPECT_EQ(form.windowTitle(), "Print");
  });
  EXPECT_TRUE(host.ShowTimedPrompt("Go on?", 2));
  ASSERT_GE(labels.size(), 2u);
  EXPECT_EQ(labels[0], "Time: 2 sec(s)");
  EXPECT_EQ(labels[1], "Time: 1 sec(s)");
}

TEST_F(QtHostTest, OkAndCancelSetLastPromptOkAndCancelEndsTheRunUnlessEndOnCancelIsZero) {
  struct Case {
    const char* command;
    const char* before;
    bool ok;
    bool goesOn;
  } cases[] = {
      {"prompt \"Go?\", 30", "", true, true},
      {"prompt \"Go?\", 30", "", false, false},
      {"prompt \"Go?\", 30", "_endoncancel = 0", false, true},
      {"print \"Go?\"", "", true, true},
      {"print \"Go?\"", "", false, false},
      {"print \"Go?\"", "_endoncancel = 0", false, true},
  };
  for (const Case& c : cases) {
    PromptResponder responder;
    responder.answers = {{c.ok, {}}, {true, {}}};
    Run(std::string(c.before) + "\n" + c.command + "\nprint \"after\"\n");
    SCOPED_TRACE(std::string(c.command) + " / " + c.before + (c.ok ? " / OK" : " / Cancel"));
    ASSERT_GE(responder.seen.size(), 1u);
    EXPECT_EQ(responder.seen[0].text, "Go?");
    EXPECT_EQ(responder.seen[0].title, "Print");
    if (c.goesOn) {
      ASSERT_EQ(responder.seen.size(), 2u);
      EXPECT_EQ(responder.seen[1].text, "after");
    } else {
      EXPECT_EQ(responder.seen.size(), 1u);
    }
    // The run's own last prompt is "after" when it goes on, which was confirmed.
    EXPECT_EQ(interpreter.LastPromptOK, c.ok || c.goesOn);
  }
}

TEST_F(QtHostTest, PromptCancelLeavesLastPromptOkAtZero) {
  PromptResponder responder;
  responder.answers = {{false, {}}};
  Run("_endoncancel = 0\nprompt \"Go?\", 30\n");
  EXPECT_FALSE(interpreter.LastPromptOK);
}

TEST_F(QtHostTest, InputIsPresetWithTheVariableAndStoresTheTrimmedEntry) {
  PromptResponder responder;
  responder.answers = {{true, QString("  Grace Hopper \t")}, {true, {}}, {false, QString("ignored")}, {true, {}}};
  Run("n = \"Ada\"\ninput \"Your name?\", n\nprint \"[\" + n + \"]\"\n"
      "_endoncancel = 0\ninput \"Again?\", n\nprint \"[\" + n + \"]\"\n");
  ASSERT_EQ(responder.seen.size(), 4u);
  EXPECT_EQ(responder.seen[0].title, "Input");
  EXPECT_EQ(responder.seen[0].text, "Your name?");
  EXPECT_EQ(responder.seen[0].preset, "Ada");
  EXPECT_TRUE(responder.seen[0].inputShown);
  EXPECT_FALSE(responder.seen[0].timeShown);
  EXPECT_EQ(responder.seen[1].text, "[Grace Hopper]");
  EXPECT_EQ(responder.seen[2].preset, "Grace Hopper");
  EXPECT_EQ(responder.seen[3].text, "[Grace Hopper]");  // Cancel keeps the value
}

TEST_F(QtHostTest, TheConsoleKeepsTheLast201Lines) {
  host.OpenConsole();
  for (int i = 0; i < 250; ++i) host.AddConsoleLine("line " + std::to_string(i));
  QStringList lines = ConsoleLinesShown();
  ASSERT_EQ(lines.size(), 201);
  EXPECT_EQ(lines.front(), "line 49");
  EXPECT_EQ(lines.back(), "line 249");

  std::string many;
  for (int i = 0; i < 300; ++i) many += "row " + std::to_string(i) + "\n";
  many += "last";
  host.AddConsoleLine(many);
  lines = ConsoleLinesShown();
  ASSERT_EQ(lines.size(), 201);
  EXPECT_EQ(lines.front(), "row 100");
  EXPECT_EQ(lines.back(), "last");
}

TEST_F(QtHostTest, OutputTwoTwiceClearsTheConsoleAndOutputOneClosesIt) {
  Run("output(2)\nprint \"a\"\nprint \"b\"\noutput(2)\nprint \"c\"\nprompt \"wait\", 0\n");
  ASSERT_NE(host.Console(), nullptr);
  EXPECT_TRUE(host.Console()->isVisible());
  EXPECT_TRUE(host.Console()->windowFlags().testFlag(Qt::Tool));
  EXPECT_EQ(ConsoleLinesShown(), (QStringList{"c", "wait - 0 sec(s)"}));
  // The console survives the run; output(1) closes it.
  Run("output(1)\n");
  EXPECT_EQ(host.Console(), nullptr);
}

TEST_F(QtHostTest, AScriptErrorInConsoleModeGoesToTheConsole) {
  Run("output(2)\nx = mid(\"abc\", \"q\", 1)\n");
  EXPECT_EQ(ConsoleLinesShown(), (QStringList{"[test.tws] Error: Invalid Value on line: 2"}));
}

TEST_F(QtHostTest, TheProgramsWindowsAreDisabledWhileAScriptWaits) {
  std::vector<bool> enabledDuringWait;
  host.OnPump = [&] {
    if (host.Console()) enabledDuringWait.push_back(host.Console()->isEnabled());
  };
  Run("output(2)\npause 0.2\n");
  host.OnPump = nullptr;
  ASSERT_FALSE(enabledDuringWait.empty());
  EXPECT_FALSE(enabledDuringWait.back());
  EXPECT_TRUE(host.Console()->isEnabled());
}

TEST_F(QtHostTest, MessageBoxesShowTheKindsIconAndTitleAndOneOfTwoButtonSets) {
  struct Case {
    MessageKind kind;
    QMessageBox::Icon icon;
    const char* title;
  } kinds[] = {{MessageKind::Warning, QMessageBox::Warning, "Warning"},
               {MessageKind::Error, QMessageBox::Critical, "Error"},
               {MessageKind::Information, QMessageBox::Information, "Information"},
               {MessageKind::Confirmation, QMessageBox::Question, "Confirm"}};
  for (const Case& c : kinds) {
    for (MessageButtons buttons : {MessageButtons::OkCancel, MessageButtons::YesNo}) {
      const bool yesNo = buttons == MessageButtons::YesNo;
      for (bool choosePositive : {true, false}) {
        SCOPED_TRACE(std::string(c.title) + (yesNo ? " yes/no " : " ok/cancel ") + (choosePositive ? "+" : "-"));
        WindowWatcher<QMessageBox> watcher([&](QMessageBox& box) {
          EXPECT_EQ(box.icon(), c.icon);
          EXPECT_EQ(box.windowTitle(), c.title);
          EXPECT_EQ(box.text(), "Proceed?");
          QAbstractButton* positive = box.button(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
          QAbstractButton* negative = box.button(yesNo ? QMessageBox::No : QMessageBox::Cancel);
          ASSERT_TRUE(positive && negative);
          EXPECT_EQ(box.buttons().size(), 2);
          EXPECT_EQ(box.defaultButton(), positive);
          (choosePositive ? positive : negative)->click();
        });
        EXPECT_EQ(host.ShowMessage("Proceed?", c.kind, buttons), choosePositive);
      }
    }
  }
}

TEST_F(QtHostTest, TheFolderAndFilePickersAreTitledAndPresetAndGiveTheChoice) {
  const QString home = QDir::homePath();
  {
  WindowWatcher<QFileDialog> folderPicker([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Pick a folder");
    EXPECT_EQ(dialog.directory().absolutePath(), QDir(home).absolutePath());
    EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
    dialog.selectFile(QDir::tempPath());
    QMetaObject::invokeMethod(&dialog, "accept");
  });
  EXPECT_EQ(host.PickDirectory(home.toStdString(), "Pick a folder"), QDir::tempPath().toStdString());
  }

  int shown = 0;
  WindowWatcher<QFileDialog> filePicker([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Select a File");
    ++shown;
    EXPECT_EQ(dialog.nameFilters(), QStringList{"*.tws (*.tws)"});
    EXPECT_EQ(dialog.defaultSuffix(), "tws");
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    dialog.reject();
  });
  EXPECT_EQ(host.PickFile("*.tws", "*.tws", home.toStdString()), std::nullopt);
  EXPECT_EQ(shown, 1);
}

TEST(QtHostConversations, AWindowWaitingForAnAnswerStillServesTheBus) {
  Application();
  port::fake::FakeConversationNetwork network;
  port::fake::FakeDesktop server, client;
  server.fakeConversations().useNetwork(network, 100);
  server.conversations().join("brindle");
  client.fakeConversations().useNetwork(network, 200);
  client.conversations().join("peer");
  TDdeServerConv topic(server.conversations());
  topic.Name = "orders";
  topic.AddItem("status").SetText("ready");
  QtHost host;  // watches the bus from here on

  // While the message box waits for the user, another process connects and requests; its answer closes the box.
  std::string answer;
  port::PendingHandle connecting, requesting;
  WindowWatcher<QMessageBox> watcher([&](QMessageBox& box) {
    QTimer::singleShot(60'000, &box, &QDialog::reject);  // no answer: the test fails instead of hanging
    connecting = client.conversations().connect(
        "org.tarnwick.Conversation.brindle.p100", "orders", [&](const port::ConversationReply& connected) {
          requesting = client.conversations().request(connected.conversation, "status",
                                                      [&](const port::ConversationReply& reply) {
                                                        answer = reply.text;
                                                        box.accept();
                                                      });
        });
  });
  host.ShowMessage("Waiting", MessageKind::Information, MessageButtons::OkCancel);
  EXPECT_EQ(answer, "ready\r\n");
}

TEST(FileDialogFilters, ReadsTheFilterTextScriptsWrite) {
  EXPECT_EQ(FileDialogFilters("*.*"), QStringList{"All files (*)"});
  EXPECT_EQ(FileDialogFilters("*.txt;*.log"), QStringList{"*.txt *.log (*.txt *.log)"});
  EXPECT_EQ(FileDialogFilters("Scripts|*.tws;*.twc|All|*.*"), (QStringList{"Scripts (*.tws *.twc)", "All (*)"}));
  EXPECT_EQ(FileDialogFilters(""), QStringList{"All files (*)"});
}

TEST_F(QtHostTest, CancellingOpenWindowsAnswersAnOpenPromptWithCancel) {
  WindowWatcher<TFormBasic> watcher([&](TFormBasic&) { host.CancelOpenWindows(); });
  EXPECT_FALSE(host.ShowTimedPrompt("Go on?", 30));
}

TEST_F(QtHostTest, ALongPromptWidensAndHeightensTheWindow) {
  std::vector<QSize> sizes;
  WindowWatcher<TFormBasic> watcher([&](TFormBasic& shown) {
    sizes.push_back(shown.size());
    shown.ButtOk->click();
  });
  host.ShowPrint("short");
  host.ShowPrint(std::string(120, 'W') + std::string(12, '\n') + "end");
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_EQ(sizes[0], QSize(PromptWindowSize::kDesignedWidth, PromptWindowSize::kDesignedHeight));
  EXPECT_GT(sizes[1].width(), sizes[0].width());
  EXPECT_GT(sizes[1].height(), sizes[0].height());
  EXPECT_LE(sizes[1].width(), PromptWindowSize::kMaxWidth);
}

}  // namespace
}  // namespace tw
