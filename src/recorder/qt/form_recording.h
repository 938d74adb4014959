#pragma once
// The keystroke recorder's wizard ("Keystrokes Recorder"): step 1, the user drags the pointer onto the window
// the keys are meant for; step 2, everything typed anywhere is recorded until "&Stop". The wizard stays on top
// and never takes the keyboard, so the keys go where the user types. The program's other windows are minimised
// meanwhile.

#include <QDialog>
#include <optional>
#include <string>

#include "port/desktop.h"
#include "recorder/key_recorder.h"
#include "recorder/recording_script.h"

class QLabel;
class QPushButton;
class QStackedWidget;

namespace tw {

class EventSourceWatch;
class TEnumWindowInfo;

class TFormRecording : public QDialog {
  Q_OBJECT

 public:
  explicit TFormRecording(port::Desktop& desktop, QWidget* parent = nullptr);
  ~TFormRecording() override;

  // Runs the wizard: true when the user ended it with "&Stop"; RecordedText() then holds what was typed.
  bool Execute();
  const std::string& RecordedText() const { return recorded_; }
  // The window picked in step 1 (kNoWindow when none was), with its title and class as the labels show them.
  port::WindowId PickedWindow() const { return picked_; }
  RecordingTarget Target() const;
  const TKeyRecorder& Recorder() const { return recorder_; }

  TEnumWindowInfo* EnumWindowInfo = nullptr;
  QLabel* LablTitle = nullptr;
  QLabel* LablClass = nullptr;
  QLabel* LablRecording = nullptr;
  QStackedWidget* Steps = nullptr;
  QPushButton* ButtNext = nullptr;
  QPushButton* ButtStop = nullptr;
  QPushButton* ButtCancel = nullptr;

 private:
  void Picked();
  void Next();

  port::Desktop& desktop_;
  TKeyRecorder recorder_;
  EventSourceWatch* watch_ = nullptr;
  port::WindowId picked_ = port::kNoWindow;
  std::string recorded_;
};

// "Record Keystrokes...": runs the wizard and gives the script lines to insert at a caret in `caretColumn`
// (counted from 1); nothing when the user cancelled or typed nothing.
std::optional<std::string> RecordKeystrokesScript(port::Desktop& desktop, int caretColumn, QWidget* parent = nullptr);

}  // namespace tw
