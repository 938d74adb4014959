#pragma once
// TOptionForm: the options dialog of File > Setup... over the "Preferences" of the settings file.

#include <QDialog>
#include <functional>
#include <string>

#include "catalogue/catalogue_settings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tw {

class TOptionForm : public QDialog {
  Q_OBJECT

 public:
  explicit TOptionForm(const Preferences& preferences, QWidget* parent = nullptr);

  // The preferences as the dialog shows them; the debug log as it was given.
  Preferences Values() const;
  // "&View Log..." hands the log file's name here.
  std::function<void(const std::string& file)> OnViewLog;

  QLineEdit* EditLogFile;
  QToolButton* ButtBrowseLog;
  QCheckBox* ChBxLogSchedule;
  QPushButton* ButtViewLog;
  QCheckBox* ChBxShowMain;
  QPushButton* ButtOk;
  QPushButton* ButtCancel;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FollowLogSchedule();
  void BrowseLog();

  Preferences preferences_;
};

}  // namespace tw
