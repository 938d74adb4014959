#pragma once
// The property form of the dialog designer ("Component Properties"): one of four pages, chosen by what is
// edited - a control's common fields, the dialog itself, an image or a shape. The values come from and go back
// through designer/design_properties.h; a value it refuses at "&Ok" is shown and the form stays open.

#include <QDialog>
#include <cstddef>
#include <optional>

#include "dialogs/designer/design_properties.h"
#include "dialogs/enhance_form_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace tw {

class TFormComponentProperties : public QDialog {
  Q_OBJECT

 public:
  // Edits the control at `control` of the dialog, or the dialog itself when there is none. "&Ok" stores the
  // values in the dialog object; the caller repaints.
  TFormComponentProperties(TEnhanceFormDialog& dialog, std::optional<std::size_t> control, QWidget* parent = nullptr);

  void accept() override;

  QTabWidget* PageControl = nullptr;
  // Components
  QLabel* LabelNamePrefix = nullptr;
  QLineEdit* EditName = nullptr;
  QCheckBox* CheckFocused = nullptr;
  QPlainTextEdit* EditText = nullptr;
  QCheckBox* CheckChecked = nullptr;
  QCheckBox* CheckWordWrap = nullptr;
  QComboBox* ComboAlign = nullptr;
  QCheckBox* CheckPassword = nullptr;
  QLineEdit* EditMaxLength = nullptr;
  QPushButton* ButtFont = nullptr;
  // Dialog
  QLineEdit* EditTitle = nullptr;
  QPushButton* ButtDialogFont = nullptr;
  QComboBox* ComboTimeout = nullptr;
  QPushButton* ButtFormColor = nullptr;
  QComboBox* ComboPosition = nullptr;
  // Image
  QLineEdit* EditImageFile = nullptr;
  QListWidget* ListImages = nullptr;
  QCheckBox* CheckStretch = nullptr;
  // Shape
  QComboBox* ComboShape = nullptr;
  QPushButton* ButtPenColor = nullptr;
  QComboBox* ComboPenWidth = nullptr;

  QPushButton* ButtOk = nullptr;
  QPushButton* ButtCancel = nullptr;

 private:
  QWidget* MakeComponentsPage();
  QWidget* MakeDialogPage();
  QWidget* MakeImagePage();
  QWidget* MakeShapePage();
  void FillControl();
  void FillDialog();
  ControlProperties ControlValues() const;
  DialogProperties DialogValues() const;
  void ShowWordWrap(bool wrap);
  void KeepMaxLengthWhole();
  void ChooseTextFont();
  void ChooseDialogFont();
  void ChooseFormColour();
  void ChoosePenColour();

  TEnhanceFormDialog& dialog_;
  std::optional<std::size_t> control_;
  // The values as opened; fonts and colours change here when the user picks them, so a font that was not
  // picked again goes back exactly as it came.
  ControlProperties controlValues_;
  DialogProperties dialogValues_;
};

}  // namespace tw
