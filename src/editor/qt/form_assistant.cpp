#include "editor/qt/form_assistant.h"

#include <QButtonGroup>
#include <QEventLoop>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "commands/tarnwick_basic.h"
#include "commands/window_search.h"
#include "editor/qt/form_console.h"
#include "port/pointer_grab.h"
#include "recorder/qt/enum_window_info.h"
#include "recorder/qt/qt_events.h"
#include "recorder/qt/window_rect_finder.h"

namespace tw {

namespace {

using editor::AssistantPage;
using editor::AssistantStep;

std::string Utf8(const QString& text) { return text.toUtf8().toStdString(); }
QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// How long the terminal may take to come to the front before the overlay covers it anyway.
constexpr int kTerminalShowsTries = 100;
constexpr int kTerminalShowsStepMilliseconds = 20;

// The terminal is the topmost window over its own area: the window manager raised it and our windows above it
// are gone. Asking the display server is a round trip, so the requests before it have been carried out.
bool TerminalInFront(port::WindowService& windows, port::PointerGrab& pointer, port::WindowId terminal) {
  const auto area = pointer.clientArea(terminal);
  if (!area) return false;
  const auto shown = windows.windowsAt({{area->left + area->width / 2, area->top + area->height / 2}});
  return !shown.empty() && shown.front() == windows.topLevelOf(terminal);
}

}  // namespace

TFormAssistant::TFormAssistant(TTarnwickBasic& library, editor::AssistantMode mode, QWidget* parent)
    : QDialog(parent), library_(library), desktop_(library.Desktop), flow_(mode) {
  setObjectName("FormAssistant");
  setWindowTitle("Assistant");
  setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  pages_ = new QStackedWidget;
  pageWidgets_[AssistantPage::WindowFinder] = WindowFinderPage();
  pageWidgets_[AssistantPage::DosFormat] =
      ChoicePage(" Format... ", {"Format for &WAITDOS", "Format for &GRAB"}, 0, Format);
  pageWidgets_[AssistantPage::MouseCommand] = ChoicePage(
      " Command ", {"MOUSECLICK", "MOUSECLICKREL", "MOUSECLICKABS", "MOUSEMOVE", "MOUSEUPDOWN"}, -1, MouseCommands);
  pageWidgets_[AssistantPage::Confirm] = ConfirmPage();
  pageWidgets_[AssistantPage::FindWhat] =
      ChoicePage(" Looking for... ", {"Text on Windows application.", "Text on DOS application."}, 0, LookingFor);
  for (const auto& [page, widget] : pageWidgets_) pages_->addWidget(widget);

  ButtNext = new QPushButton;
  ButtCancel = new QPushButton("&Cancel");
  for (QPushButton* button : {ButtNext, ButtCancel}) button->setAutoDefault(false);
  connect(ButtNext, &QPushButton::clicked, this, &TFormAssistant::Next);
  connect(ButtCancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ButtNext);
  buttons->addWidget(ButtCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_, 1);
  layout->addLayout(buttons);

  connect(LookingFor, &QButtonGroup::idClicked, this, [this](int id) { flow_.LookOnTerminal(id == 1); });
  connect(Format, &QButtonGroup::idClicked, this, [this](int id) { flow_.FormatAsGrab(id == 1); });
  connect(MouseCommands, &QButtonGroup::idClicked, this,
          [this](int id) { flow_.ChooseMouseCommand(static_cast<editor::MouseCommand>(id)); });
  ShowPage();
}

QWidget* TFormAssistant::WindowFinderPage() {
  const auto [page, pointer] = MakeWindowFinderPage(desktop_, "Drag the pointer to the destination window");
  EnumWindowInfo = pointer;
  LablTitle = pointer->TitleLabel;
  LablClass = pointer->ClassLabel;
  connect(EnumWindowInfo, &TEnumWindowInfo::Released, this, &TFormAssistant::WindowPicked);
  return page;
}

QWidget* TFormAssistant::ChoicePage(const QString& title, const QStringList& choices, int checked,
                                    QButtonGroup*& group) {
  auto* page = new QWidget;
  auto* box = new QGroupBox(title);
  auto* boxLayout = new QVBoxLayout(box);
  group = new QButtonGroup(this);
  for (int id = 0; id < choices.size(); ++id) {
    auto* choice = new QRadioButton(choices[id]);
    choice->setChecked(id == checked);
    group->addButton(choice, id);
    boxLayout->addWidget(choice);
  }
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(box);
  layout->addStretch();
  return page;
}

QWidget* TFormAssistant::ConfirmPage() {
  auto* page = new QWidget;
  EditCommand = new QPlainTextEdit;
  EditCommand->setObjectName("EditCommand");
  auto* label = new QLabel("Command to insert:");
  label->setBuddy(EditCommand);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(label);
  layout->addWidget(EditCommand, 1);
  return page;
}

bool TFormAssistant::Execute() {
  // A window picked before does not count for this run.
  flow_.ForgetWindow();
  LablTitle->setText("None");
  LablClass->setText("None");
  EventSourceWatch watch(this);
  // An event loop of its own rather than exec(): the dialog hides while the user points at other windows, and
  // hiding would end exec(). Not modal either: the overlays it opens are windows of this program that must get
  // the mouse and keys.
  setResult(QDialog::Rejected);
  show();
  raise();
  activateWindow();
  QEventLoop loop;
  loop_ = &loop;
  loop.exec();
  loop_ = nullptr;
  return result() == QDialog::Accepted;
}

void TFormAssistant::done(int result) {
  QDialog::done(result);
  if (loop_) loop_->quit();
}

std::string TFormAssistant::CommandText() const {
  return Utf8(EditCommand->toPlainText().trimmed().replace('\n', "\r\n"));
}

void TFormAssistant::ShowPage() {
  // The box shows plain line breaks; the command gets its CR LF back in CommandText().
  if (flow_.Page() == AssistantPage::Confirm)
    EditCommand->setPlainText(FromUtf8(flow_.Command()).replace("\r\n", "\n"));
  pages_->setCurrentWidget(pageWidgets_.at(flow_.Page()));
  ButtNext->setText(flow_.Page() == AssistantPage::Confirm ? "&Done" : "&Next >>");
}

void TFormAssistant::WindowPicked() {
  const port::WindowId handle = EnumWindowInfo->FoundHandle();
  // A terminal counts when its screen can be read: the reader knows it.
  const bool terminal = handle != port::kNoWindow && desktop_.terminalText().screen(handle).has_value();
  flow_.WindowPicked({Utf8(EnumWindowInfo->FoundTitle()), Utf8(EnumWindowInfo->FoundClass()), handle, terminal});
}

void TFormAssistant::Next() { Carry(flow_.Next()); }

void TFormAssistant::Carry(AssistantStep step) {
  switch (step) {
    case AssistantStep::Stay: return;
    case AssistantStep::ShowPage: ShowPage(); return;
    case AssistantStep::PickChildWindow: {
      TWindowRectFinder finder(desktop_);
      finder.Caption = "Locate the mouse click position";
      TWindowInfo info;
      const bool found = finder.FindWindowRect(info);
      Carry(flow_.ChildWindowPicked(found ? std::optional(info) : std::nullopt));
      return;
    }
    case AssistantStep::PickPoint: {
      TWindowRectFinder finder(desktop_);
      finder.Caption = QString::fromStdString(flow_.PointPrompt());
      port::Point point;
      const bool located = finder.LocateClickPosition(flow_.PointWindow(), point);
      Carry(flow_.PointPicked(located ? std::optional(point) : std::nullopt));
      return;
    }
    case AssistantStep::CaptureScreen: Carry(CaptureScreen()); return;
    case AssistantStep::NoApplication:
      QMessageBox::critical(this, windowTitle(), "Cannot Find Application.");
      ShowPage();
      return;
    case AssistantStep::Done: accept(); return;
  }
}

AssistantStep TFormAssistant::CaptureScreen() {
  std::string problem;
  const auto pointer = port::openPointerGrab(problem);
  if (!pointer) {
    QMessageBox::critical(this, windowTitle(), QString::fromStdString("Cannot capture the text: " + problem + "."));
    return flow_.ScreenCaptured({});
  }
  const port::WindowId terminal = flow_.Picked().handle;
  ForceForeground(desktop_.windows(), terminal, [](int milliseconds) {
    WaitProcessingEvents(milliseconds);
    return true;
  });
  hide();
  for (int tries = 0; tries < kTerminalShowsTries && !TerminalInFront(desktop_.windows(), *pointer, terminal); ++tries)
    WaitProcessingEvents(kTerminalShowsStepMilliseconds);
  TFormConsole console(library_, *pointer, terminal);
  console.Execute();
  show();
  raise();
  activateWindow();
  return flow_.ScreenCaptured(console.Captured());
}

}  // namespace tw
