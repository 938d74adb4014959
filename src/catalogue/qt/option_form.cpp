#include "catalogue/qt/option_form.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "runtime/qt/qt_host.h"

namespace tw {

TOptionForm::TOptionForm(const Preferences& preferences, QWidget* parent)
    : QDialog(parent), preferences_(preferences) {
  setObjectName("OptionForm");
  setWindowTitle("Properties");
  auto* label = new QLabel("Log File Name");
  EditLogFile = new QLineEdit(QString::fromStdString(preferences.logFileName));
  EditLogFile->setObjectName("EditLogFile");
  EditLogFile->setMinimumWidth(320);
  label->setBuddy(EditLogFile);
  ButtBrowseLog = new QToolButton;
  ButtBrowseLog->setObjectName("ButtBrowseLog");
  ButtBrowseLog->setText("...");
  ChBxLogSchedule = new QCheckBox("Log Schedule");
  ChBxLogSchedule->setObjectName("ChBxLogSchedule");
  ChBxLogSchedule->setChecked(preferences.logSchedule);
  ButtViewLog = new QPushButton("&View Log...");
  ButtViewLog->setObjectName("ButtViewLog");
  ChBxShowMain = new QCheckBox("&Show Main Window on startup");
  ChBxShowMain->setObjectName("ChBxShowMain");
  ChBxShowMain->setChecked(preferences.loadEditor);
  ButtOk = new QPushButton("&OK");
  ButtOk->setObjectName("ButtOk");
  ButtOk->setDefault(true);
  ButtCancel = new QPushButton("&Cancel");
  ButtCancel->setObjectName("ButtCancel");

  connect(ChBxLogSchedule, &QCheckBox::toggled, this, &TOptionForm::FollowLogSchedule);
  connect(ButtBrowseLog, &QToolButton::clicked, this, &TOptionForm::BrowseLog);
  connect(ButtViewLog, &QPushButton::clicked, this, [this] {
    if (OnViewLog) OnViewLog(EditLogFile->text().trimmed().toStdString());
  });
  connect(ButtOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* file = new QHBoxLayout;
  file->addWidget(EditLogFile, 1);
  file->addWidget(ButtBrowseLog);
  auto* log = new QHBoxLayout;
  log->addWidget(ChBxLogSchedule);
  log->addStretch();
  log->addWidget(ButtViewLog);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ButtOk);
  buttons->addWidget(ButtCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addLayout(file);
  layout->addLayout(log);
  layout->addSpacing(6);
  layout->addWidget(ChBxShowMain);
  layout->addSpacing(10);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  FollowLogSchedule();
}

Preferences TOptionForm::Values() const {
  Preferences values = preferences_;
  values.logSchedule = ChBxLogSchedule->isChecked();
  values.logFileName = EditLogFile->text().trimmed().toStdString();
  values.loadEditor = ChBxShowMain->isChecked();
  return values;
}

void TOptionForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FollowLogSchedule();
}

void TOptionForm::FollowLogSchedule() {
  // The name stays as it is while logging is off; it is only not editable then.
  const bool logging = ChBxLogSchedule->isChecked();
  EditLogFile->setEnabled(logging);
  ButtBrowseLog->setEnabled(logging);
}

void TOptionForm::BrowseLog() {
  QFileDialog dialog(this, "Log File Name", EditLogFile->text().trimmed());
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setNameFilters(FileDialogFilters("TXT files (*.txt)|*.txt|All files (*.*)|*.*"));
  if (!EditLogFile->text().trimmed().isEmpty()) dialog.selectFile(EditLogFile->text().trimmed());
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    EditLogFile->setText(dialog.selectedFiles().front());
}

}  // namespace tw
