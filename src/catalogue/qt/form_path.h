#pragma once
// TFormPath: the script path dialog of File > Change Script Path...

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace tw {

class TFormPath : public QDialog {
  Q_OBJECT

 public:
  TFormPath(const std::string& scriptPath, QWidget* parent = nullptr);

  // The folder chosen, trimmed; nothing when the dialog was cancelled or left empty.
  std::optional<std::string> Chosen() const;

  QLineEdit* EditPath;
  QToolButton* ButtBrowse;
  QPushButton* ButtOk;
  QPushButton* ButtCancel;

 private:
  void Browse();
};

}  // namespace tw
