#include "recorder/qt/form_recording.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "commands/window_search.h"
#include "recorder/qt/application_minimiser.h"
#include "recorder/qt/enum_window_info.h"
#include "recorder/qt/qt_events.h"

namespace tw {

namespace {

std::string Utf8(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace

TFormRecording::TFormRecording(port::Desktop& desktop, QWidget* parent)
    : QDialog(parent), desktop_(desktop), recorder_(desktop) {
  setObjectName("FormRecording");
  setWindowTitle("Keystrokes Recorder");
  // On top of the window the user types into, and never taking its keyboard.
  setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  watch_ = new EventSourceWatch(this);

  const WindowFinderPage pick =
      MakeWindowFinderPage(desktop_, "<- Drag Focus Finder to the intended Window. Press \"Next\" to continue.");
  EnumWindowInfo = pick.Pointer;
  LablTitle = EnumWindowInfo->TitleLabel;
  LablClass = EnumWindowInfo->ClassLabel;

  auto* record = new QWidget;
  LablRecording = new QLabel("Recording Keystrokes...");
  LablRecording->setAlignment(Qt::AlignCenter);
  QFont redBold = LablRecording->font();
  redBold.setBold(true);
  redBold.setPointSize(redBold.pointSize() + 2);
  LablRecording->setFont(redBold);
  LablRecording->setStyleSheet("color: red");
  auto* recordLayout = new QVBoxLayout(record);
  recordLayout->addWidget(LablRecording);

  Steps = new QStackedWidget;
  Steps->addWidget(pick.Page);
  Steps->addWidget(record);

  ButtNext = new QPushButton("Next");
  ButtStop = new QPushButton("&Stop");
  ButtCancel = new QPushButton("Cancel");
  for (QPushButton* button : {ButtNext, ButtStop, ButtCancel}) button->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ButtNext);
  buttons->addWidget(ButtStop);
  buttons->addWidget(ButtCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Steps);
  layout->addLayout(buttons);

  connect(EnumWindowInfo, &TEnumWindowInfo::Released, this, &TFormRecording::Picked);
  connect(ButtNext, &QPushButton::clicked, this, &TFormRecording::Next);
  connect(ButtStop, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtCancel, &QPushButton::clicked, this, &QDialog::reject);

  recorder_.OnError = [this](const std::string& text) {
    QMessageBox::critical(this, "Error", QString::fromStdString(text));
  };
  // Told while the recording is being served: the box shows once that is done.
  recorder_.OnWarning = [this](const std::string& text) {
    QTimer::singleShot(0, this, [this, text] { QMessageBox::warning(this, "Warning", QString::fromStdString(text)); });
  };
}

TFormRecording::~TFormRecording() { recorder_.StopRecording(); }

RecordingTarget TFormRecording::Target() const { return {Utf8(LablTitle->text()), Utf8(LablClass->text())}; }

void TFormRecording::Picked() {
  if (!EnumWindowInfo->FoundTitle().isEmpty() || !EnumWindowInfo->FoundClass().isEmpty())
    picked_ = EnumWindowInfo->FoundHandle();
}

void TFormRecording::Next() {
  Steps->setCurrentIndex(1);
  ButtNext->hide();
  ButtStop->show();
  if (picked_ != port::kNoWindow) {
    ForceForeground(desktop_.windows(), picked_, [](int milliseconds) {
      WaitProcessingEvents(milliseconds);
      return true;
    });
  }
  recorder_.StartRecording();
  watch_->Watch();
}

bool TFormRecording::Execute() {
  picked_ = port::kNoWindow;
  recorded_.clear();
  LablTitle->clear();
  LablClass->clear();
  Steps->setCurrentIndex(0);
  ButtNext->show();
  ButtStop->hide();
  int result = QDialog::Rejected;
  {
    ApplicationMinimiser minimiser(desktop_.windows(), this);
    struct StopRecording {
      TFormRecording& form;
      ~StopRecording() {
        form.recorded_ = form.recorder_.RecordedText();
        form.recorder_.StopRecording();
        form.watch_->Watch();
      }
    } stop{*this};
    result = exec();
  }
  return result == QDialog::Accepted;
}

std::optional<std::string> RecordKeystrokesScript(port::Desktop& desktop, int caretColumn, QWidget* parent) {
  TFormRecording form(desktop, parent);
  if (!form.Execute() || form.RecordedText().empty()) return std::nullopt;
  return RecordingScriptText(form.RecordedText(), form.Target(), caretColumn);
}

}  // namespace tw
