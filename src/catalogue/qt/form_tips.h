#pragma once
// TFormTips: a tip of the day, with Back and Next through the tips file. Tip authors open an editor panel
// below it by double-clicking the position and giving the author password.

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "catalogue/tips_file.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace tw {

// The author password of the tips window.
inline constexpr const char* kTipsAuthorPassword = "tipster";

class TFormTips : public QDialog {
  Q_OBJECT

 public:
  // `save` writes the authors' changes; it throws std::runtime_error when it cannot.
  TFormTips(TipsFile tips, bool showAtStartup, std::function<void(const TipsFile&)> save, QWidget* parent = nullptr);

  void ShowTip(int index);
  int Current() const { return current_; }
  bool ShowAtStartup() const;
  // What the password dialog asks; replaceable so that tests can answer it.
  std::function<std::optional<std::string>()> AskPassword;

  QLabel* LablHeading;
  QLabel* LablNotes;
  QLabel* LablPosition;
  QPushButton* ButtBack;
  QPushButton* ButtNext;
  QCheckBox* ChBxShowTips;
  QPushButton* ButtOk;

  QWidget* PanelAuthor;
  QLineEdit* EditHeading;
  QPlainTextEdit* EditNotes;
  QPushButton* ButtAdd;
  QPushButton* ButtEdit;
  QPushButton* ButtDelete;
  QPushButton* ButtSave;
  QPushButton* ButtCancel;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Editing { Nothing, NewTip, CurrentTip };
  void ShowAuthorPanel(bool show);
  void StartEditing(Editing what);
  void SaveEditing();
  void DeleteCurrent();
  bool Write();
  void UpdateButtons();

  TipsFile tips_;
  std::function<void(const TipsFile&)> save_;
  int current_ = -1;
  Editing editing_ = Editing::Nothing;
};

// At the end of start-up and from Help > Tips...: shows a tip chosen at random when "ShowTips" in the
// settings file is on and the tips file has one; OK writes the check box back to "ShowTips". Authors' changes
// go to `userTipsFile`.
void ShowStartupTips(const std::string& settingsFile, const std::string& userTipsFile, QWidget* parent);

}  // namespace tw
