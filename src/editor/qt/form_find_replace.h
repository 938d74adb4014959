#pragma once
// Find and replace on the editor's active page: match case, whole word, Find Next, Replace, Replace All (one
// undo step).

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QsciScintilla;

namespace tw {

class TFormFindReplace : public QDialog {
  Q_OBJECT

 public:
  // `target` gives the text component to search, or null when there is none.
  TFormFindReplace(std::function<QsciScintilla*()> target, QWidget* parent);

  bool FindNext();
  bool ReplaceOne();
  int ReplaceAll();

  QLineEdit* EditFind = nullptr;
  QLineEdit* EditReplace = nullptr;
  QCheckBox* ChBxMatchCase = nullptr;
  QCheckBox* ChBxWholeWord = nullptr;

 private:
  std::function<QsciScintilla*()> target_;
};

}  // namespace tw
