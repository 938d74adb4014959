#include "catalogue/qt/script_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <span>

#include "catalogue/qt/hot_key_edit.h"
#include "files/system_folders.h"
#include "interpreter/locale/datetime.h"
#include "recorder/qt/enum_window_info.h"

namespace tw {

namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string Utf8(const QString& text) { return text.toUtf8().toStdString(); }

QDate DateOf(double value) {
  if (!isDateTimeInRange(value)) return QDate::currentDate();
  const CivilDateTime civil = decodeDateTime(std::floor(value));
  return QDate(civil.year, civil.month, civil.day);
}

QTime TimeOf(double fraction) {
  const int seconds = static_cast<int>(std::floor(fraction * 86400.0 + 0.0005));
  return QTime(0, 0).addSecs(std::clamp(seconds, 0, 86399));
}

double DateValue(const QDate& date) { return encodeDateTime({.year = date.year(), .month = date.month(), .day = date.day()}); }
double TimeValue(const QTime& time) { return time.msecsSinceStartOfDay() / 1000 / 86400.0; }

// The "Application" filter of the command's browse dialog: folders and executable files.
class ExecutablesOnly : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;
  void SetActive(bool active) {
    active_ = active;
    invalidateFilter();
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    if (!active_) return true;
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files) return true;
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    return info.isDir() || (info.isFile() && info.isExecutable());
  }

 private:
  bool active_ = true;
};

const QString kApplicationFilter = "Application (*)";
const QString kAllFilesFilter = "All Files (*)";

void AddItems(QComboBox* box, std::span<const std::string_view> items) {
  for (std::string_view item : items) box->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
}

}  // namespace

TScriptForm::TScriptForm(const TScriptHeader& header, port::Desktop& desktop, QWidget* parent)
    : QDialog(parent), edited_(header) {
  setObjectName("ScriptForm");
  setWindowTitle("Script Properties");
  PageControl = new QTabWidget;
  PageControl->addTab(MakePropertiesTab(desktop), "Properties");
  PageControl->addTab(MakeScheduleTab(), "Schedule");

  auto* buttons = new QDialogButtonBox;
  ButtOK = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
  ButtCancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
  ButtOK->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &TScriptForm::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TScriptForm::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl);
  layout->addWidget(buttons);

  Fill(FillScriptForm(header));
  EnumWindowInfo->hide();
  // The window picker stands beside the title edit while that has the focus.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now == EditTitle)
      EnumWindowInfo->show();
    else if (now && now->window() == this && !EnumWindowInfo->Dragging())
      EnumWindowInfo->hide();
  });
}

QWidget* TScriptForm::MakePropertiesTab(port::Desktop& desktop) {
  auto* page = new QWidget;
  EditDescription = new QPlainTextEdit;
  EditDescription->setTabChangesFocus(true);
  EditDescription->setFixedHeight(EditDescription->fontMetrics().lineSpacing() * 3 + 12);
  EditDescription->installEventFilter(this);
  connect(EditDescription, &QPlainTextEdit::textChanged, this, &TScriptForm::KeepDescriptionOnOneLine);

  EditCommand = new QLineEdit;
  ButtCommand = new QToolButton;
  ButtCommand->setText("...");
  connect(ButtCommand, &QToolButton::clicked, this, &TScriptForm::BrowseCommand);
  auto* command = new QHBoxLayout;
  command->addWidget(EditCommand);
  command->addWidget(ButtCommand);

  EditPath = new QLineEdit;
  EditPath->installEventFilter(this);
  ButtPath = new QToolButton;
  ButtPath->setText("...");
  connect(ButtPath, &QToolButton::clicked, this, &TScriptForm::BrowsePath);
  auto* path = new QHBoxLayout;
  path->addWidget(EditPath);
  path->addWidget(ButtPath);

  EditTitle = new QLineEdit;
  EditTitle->setToolTip("Title of Window to send script to\n(Required)\nHint: Use Hand Pointer to retrieve the window title");
  EnumWindowInfo = new TEnumWindowInfo(desktop);
  EnumWindowInfo->setToolTip("Drag this pointer to any window to obtain its title.");
  connect(EnumWindowInfo, &TEnumWindowInfo::Released, this, [this] {
    if (const auto title = PickedTitle(Utf8(EnumWindowInfo->FoundTitle()))) EditTitle->setText(Text(*title));
    EditTitle->setFocus();
  });
  auto* title = new QHBoxLayout;
  title->addWidget(EditTitle);
  title->addWidget(EnumWindowInfo);

  ComboAppType = new QComboBox;
  AddItems(ComboAppType, kApplicationTypes);
  EditHotKey = new HotKeyEdit;
  CheckAutoClose = new QCheckBox("Auto Close");
  CheckAutoClose->setToolTip("Auto close application upon exit");
  SpinTimeout = new QSpinBox;
  SpinTimeout->setRange(kTimeoutLeast, kTimeoutMost);
  SpinTimeout->setSuffix(" Seconds");
  auto* timeoutLabel = new QLabel("Wait Timeout:");

  auto* form = new QFormLayout(page);
  form->addRow("Description:", EditDescription);
  form->addRow("Command:", command);
  form->addRow("Path:", path);
  form->addRow("Window Title:", title);
  form->addRow("Application Type:", ComboAppType);
  form->addRow("Hot Key:", EditHotKey);
  form->addRow(QString(), CheckAutoClose);
  form->addRow(timeoutLabel, SpinTimeout);
  // It carries the header's timeout, which nothing acts on.
  timeoutLabel->hide();
  SpinTimeout->hide();
  return page;
}

QWidget* TScriptForm::MakeScheduleTab() {
  auto* page = new QWidget;
  CheckSchedule = new QCheckBox("Enable Scheduling");

  GroupInterval = new QGroupBox(" Interval ");
  RadioOnce = new QRadioButton("Only Once");
  RadioEvery = new QRadioButton("Every");
  SpinCount = new QSpinBox;
  SpinCount->setRange(kScheduleCountLeast, kScheduleCountMost);
  ComboUnit = new QComboBox;
  AddItems(ComboUnit, kScheduleUnits);
  auto* every = new QHBoxLayout;
  every->addWidget(RadioEvery);
  every->addWidget(SpinCount);
  every->addWidget(ComboUnit);
  every->addStretch();
  auto* interval = new QVBoxLayout(GroupInterval);
  interval->addWidget(RadioOnce);
  interval->addLayout(every);

  GroupStart = new QGroupBox("Start At ");
  DateStart = new QDateEdit;
  DateStart->setCalendarPopup(true);
  TimeStart = new QTimeEdit;
  TimeStart->setDisplayFormat("HH:mm:ss");
  auto* start = new QFormLayout(GroupStart);
  start->addRow("Date", DateStart);
  start->addRow("Time", TimeStart);

  connect(CheckSchedule, &QCheckBox::toggled, GroupInterval, &QWidget::setEnabled);
  connect(CheckSchedule, &QCheckBox::toggled, GroupStart, &QWidget::setEnabled);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(CheckSchedule);
  layout->addWidget(GroupInterval);
  layout->addWidget(GroupStart);
  layout->addStretch();
  return page;
}

void TScriptForm::Fill(const ScriptFormValues& values) {
  EditDescription->setPlainText(Text(values.description));
  EditCommand->setText(Text(values.command));
  EditPath->setText(Text(values.path));
  EditTitle->setText(Text(values.title));
  ComboAppType->setCurrentIndex(values.appType.value_or(-1));
  EditHotKey->SetCombination(values.hotKey);
  CheckAutoClose->setChecked(values.autoClose);
  SpinTimeout->setValue(values.timeout);
  CheckSchedule->setChecked(values.enableSchedule);
  GroupInterval->setEnabled(values.enableSchedule);
  GroupStart->setEnabled(values.enableSchedule);
  // Neither radio button is checked for a run mode other than 1 and 2.
  RadioOnce->setAutoExclusive(false);
  RadioEvery->setAutoExclusive(false);
  RadioOnce->setChecked(values.onlyOnce);
  RadioEvery->setChecked(values.every);
  RadioOnce->setAutoExclusive(true);
  RadioEvery->setAutoExclusive(true);
  SpinCount->setValue(values.scheduleCount);
  ComboUnit->setCurrentIndex(values.scheduleUnit.value_or(-1));
  DateStart->setDate(DateOf(values.startDate));
  TimeStart->setTime(TimeOf(values.startTime));
}

ScriptFormValues TScriptForm::Values() const {
  ScriptFormValues values;
  values.description = Utf8(EditDescription->toPlainText());
  values.command = Utf8(EditCommand->text());
  values.path = Utf8(EditPath->text());
  values.title = Utf8(EditTitle->text());
  if (ComboAppType->currentIndex() >= 0) values.appType = ComboAppType->currentIndex();
  values.hotKey = EditHotKey->Combination();
  values.autoClose = CheckAutoClose->isChecked();
  values.timeout = SpinTimeout->value();
  values.enableSchedule = CheckSchedule->isChecked();
  values.onlyOnce = RadioOnce->isChecked();
  values.every = RadioEvery->isChecked();
  values.scheduleCount = SpinCount->value();
  if (ComboUnit->currentIndex() >= 0) values.scheduleUnit = ComboUnit->currentIndex();
  values.startDate = DateValue(DateStart->date());
  values.startTime = TimeValue(TimeStart->time());
  return values;
}

void TScriptForm::accept() {
  TScriptHeader stored = edited_;
  if (const auto problem = StoreScriptForm(Values(), stored)) {
    QMessageBox::critical(this, "Error", Text(*problem));
    return;
  }
  edited_ = stored;
  QDialog::accept();
}

bool TScriptForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == EditDescription && event->type() == QEvent::FocusOut) {
    const std::string kept = DescriptionWhenLeft(Utf8(EditDescription->toPlainText()), edited_.description);
    if (Text(kept) != EditDescription->toPlainText()) EditDescription->setPlainText(Text(kept));
  } else if (watched == EditPath && event->type() == QEvent::FocusIn) {
    EditPath->setText(Text(PathWhenEntered(Utf8(EditPath->text()), Utf8(EditCommand->text()))));
  }
  return QDialog::eventFilter(watched, event);
}

void TScriptForm::KeepDescriptionOnOneLine() {
  const QString text = EditDescription->toPlainText();
  QString kept = Text(OnOneLine(Utf8(text))).left(kDescriptionLimit);
  if (kept == text) return;
  const int caret = std::min(EditDescription->textCursor().position(), static_cast<int>(kept.size()));
  const QSignalBlocker quiet(EditDescription);
  EditDescription->setPlainText(kept);
  QTextCursor cursor = EditDescription->textCursor();
  cursor.setPosition(caret);
  EditDescription->setTextCursor(cursor);
}

void TScriptForm::BrowseCommand() {
  const QString command = EditCommand->text().trimmed();
  QFileDialog dialog(this);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDirectory(command.isEmpty() ? QDir::currentPath() : QFileInfo(command).absolutePath());
  auto* executables = new ExecutablesOnly(&dialog);
  dialog.setProxyModel(executables);
  dialog.setNameFilters({kApplicationFilter, kAllFilesFilter});
  connect(&dialog, &QFileDialog::filterSelected, executables,
          [executables](const QString& filter) { executables->SetActive(filter == kApplicationFilter); });
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    EditCommand->setText(dialog.selectedFiles().first());
}

void TScriptForm::BrowsePath() {
  const QString folder = QFileDialog::getExistingDirectory(this, "Path", QDir::currentPath());
  if (!folder.isEmpty()) EditPath->setText(folder);
}

bool EditScriptHeader(TScriptHeader& header, port::Desktop& desktop, QWidget* parent) {
  TScriptForm form(header, desktop, parent);
  if (form.exec() != QDialog::Accepted || form.Header() == header) return false;
  header = form.Header();
  return true;
}

}  // namespace tw
