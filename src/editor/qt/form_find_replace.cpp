#include "editor/qt/form_find_replace.h"

#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

TFormFindReplace::TFormFindReplace(std::function<QsciScintilla*()> target, QWidget* parent)
    : QDialog(parent), target_(std::move(target)) {
  setObjectName("TFormFindReplace");
  setWindowTitle("Find / Replace");
  EditFind = new QLineEdit(this);
  EditReplace = new QLineEdit(this);
  ChBxMatchCase = new QCheckBox("Match &case", this);
  ChBxWholeWord = new QCheckBox("&Whole word", this);
  auto* form = new QFormLayout;
  form->addRow("&Find:", EditFind);
  form->addRow("&Replace with:", EditReplace);
  form->addRow(ChBxMatchCase);
  form->addRow(ChBxWholeWord);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* next = buttons->addButton("Find &Next", QDialogButtonBox::ActionRole);
  QPushButton* one = buttons->addButton("R&eplace", QDialogButtonBox::ActionRole);
  QPushButton* all = buttons->addButton("Replace &All", QDialogButtonBox::ActionRole);
  buttons->addButton(QDialogButtonBox::Close);
  next->setDefault(true);
  connect(next, &QPushButton::clicked, this, &TFormFindReplace::FindNext);
  connect(one, &QPushButton::clicked, this, &TFormFindReplace::ReplaceOne);
  connect(all, &QPushButton::clicked, this, &TFormFindReplace::ReplaceAll);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

bool TFormFindReplace::FindNext() {
  QsciScintilla* edit = target_();
  if (!edit || EditFind->text().isEmpty()) return false;
  return edit->findFirst(EditFind->text(), false, ChBxMatchCase->isChecked(), ChBxWholeWord->isChecked(), true);
}

bool TFormFindReplace::ReplaceOne() {
  QsciScintilla* edit = target_();
  if (!edit || edit->isReadOnly() || EditFind->text().isEmpty()) return false;
  const Qt::CaseSensitivity sensitivity = ChBxMatchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
  if (edit->hasSelectedText() && edit->selectedText().compare(EditFind->text(), sensitivity) == 0)
    edit->replace(EditReplace->text());
  return FindNext();
}

int TFormFindReplace::ReplaceAll() {
  QsciScintilla* edit = target_();
  if (!edit || edit->isReadOnly() || EditFind->text().isEmpty()) return 0;
  int count = 0;
  edit->beginUndoAction();
  bool found = edit->findFirst(EditFind->text(), false, ChBxMatchCase->isChecked(), ChBxWholeWord->isChecked(),
                               false, true, 0, 0);
  while (found) {
    edit->replace(EditReplace->text());
    ++count;
    found = edit->findNext();
  }
  edit->endUndoAction();
  return count;
}

}  // namespace tw
