#pragma once
// The script properties dialog ("Script Properties"): the header of one script on two tabs, "Properties"
// (description, program, window, type, hotkey) and "Schedule". The rules live in
// catalogue/script_properties.h; this form moves their values to and from its controls.

#include <QDialog>

#include "catalogue/script_header.h"
#include "catalogue/script_properties.h"
#include "port/desktop.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTimeEdit;
class QToolButton;

namespace tw {

class HotKeyEdit;
class TEnumWindowInfo;

class TScriptForm : public QDialog {
  Q_OBJECT

 public:
  // The form shows `header`; OK stores the controls over a copy of it, which Header() then gives.
  TScriptForm(const TScriptHeader& header, port::Desktop& desktop, QWidget* parent = nullptr);

  const TScriptHeader& Header() const { return edited_; }
  ScriptFormValues Values() const;

  void accept() override;

  QTabWidget* PageControl = nullptr;
  QPlainTextEdit* EditDescription = nullptr;
  QLineEdit* EditCommand = nullptr;
  QToolButton* ButtCommand = nullptr;
  QLineEdit* EditPath = nullptr;
  QToolButton* ButtPath = nullptr;
  QLineEdit* EditTitle = nullptr;
  TEnumWindowInfo* EnumWindowInfo = nullptr;
  QComboBox* ComboAppType = nullptr;
  HotKeyEdit* EditHotKey = nullptr;
  QCheckBox* CheckAutoClose = nullptr;
  QSpinBox* SpinTimeout = nullptr;
  QCheckBox* CheckSchedule = nullptr;
  QGroupBox* GroupInterval = nullptr;
  QRadioButton* RadioOnce = nullptr;
  QRadioButton* RadioEvery = nullptr;
  QSpinBox* SpinCount = nullptr;
  QComboBox* ComboUnit = nullptr;
  QGroupBox* GroupStart = nullptr;
  QDateEdit* DateStart = nullptr;
  QTimeEdit* TimeStart = nullptr;
  QPushButton* ButtOK = nullptr;
  QPushButton* ButtCancel = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* MakePropertiesTab(port::Desktop& desktop);
  QWidget* MakeScheduleTab();
  void Fill(const ScriptFormValues& values);
  void BrowseCommand();
  void BrowsePath();
  void KeepDescriptionOnOneLine();

  TScriptHeader edited_;
};

// Shows the dialog on a copy of `header`. True only when the user confirmed with OK and a field changed;
// `header` then holds the edited fields.
bool EditScriptHeader(TScriptHeader& header, port::Desktop& desktop, QWidget* parent = nullptr);

}  // namespace tw
