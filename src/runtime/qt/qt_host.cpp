#include "runtime/qt/qt_host.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <algorithm>

#include "port/event_sources.h"

#include "dialogs/qt/dialog_form.h"

namespace tw {

namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

struct MessageLook {
  QMessageBox::Icon icon;
  const char* title;
};

MessageLook LookOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning: return {QMessageBox::Warning, "Warning"};
    case MessageKind::Error: return {QMessageBox::Critical, "Error"};
    case MessageKind::Confirmation: return {QMessageBox::Question, "Confirm"};
    case MessageKind::Information: break;
  }
  return {QMessageBox::Information, "Information"};
}

void ShowErrorMessage(const QString& text) {
  QMessageBox box(QMessageBox::Critical, "Error", text, QMessageBox::Ok);
  RunDialog(box);
}

// One pattern list as the picker wants it: "*.txt;*.log" becomes "*.txt *.log", "*.*" every file.
QString Patterns(QString patterns) {
  QStringList out;
  for (QString pattern : patterns.split(QRegularExpression("[;,\\s]+"), Qt::SkipEmptyParts))
    out << (pattern == "*.*" ? QString("*") : pattern);
  return out.join(' ');
}

}  // namespace

QStringList FileDialogFilters(const QString& filter) {
  QStringList filters;
  const QStringList parts = filter.split('|');
  if (parts.size() >= 2) {
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
      filters << parts[i].trimmed() + " (" + Patterns(parts[i + 1]) + ")";
  } else if (!filter.trimmed().isEmpty()) {
    const QString patterns = Patterns(filter);
    filters << (patterns == "*" ? QString("All files (*)") : patterns + " (" + patterns + ")");
  }
  if (filters.isEmpty()) filters << "All files (*)";
  return filters;
}

QtHost::QtHost(port::WindowService* windows) : windows_(windows) {
  // While the program is idle (a window waits for an answer) the services' traffic is served as it arrives.
  for (const int descriptor : port::EventDescriptors()) {
    auto notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [descriptor, raw = notifier.get()] {
      port::ServeEventSources();
      const std::vector<int> now = port::EventDescriptors();
      if (std::find(now.begin(), now.end(), descriptor) == now.end()) raw->setEnabled(false);  // the service ended
    });
    notifiers_.push_back(std::move(notifier));
  }
}

QtHost::~QtHost() = default;

void QtHost::CancelOpenWindows() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(window);
    if (dialog && dialog->isVisible() && dialog != console_.get()) dialog->reject();
  }
}

bool QtHost::ShowPrint(std::string_view text) {
  TFormBasic form;
  form.setWindowTitle("Print");
  form.SetPromptText(Text(text));
  return form.ShowPrompt();
}

std::optional<std::string> QtHost::ShowInput(std::string_view prompt, std::string_view preset) {
  TFormBasic form;
  form.setWindowTitle("Input");
  form.SetPromptMode(TFormBasic::PromptMode::Input);
  form.SetPromptText(Text(prompt));
  form.EditInput->setText(Text(preset));
  form.EditInput->selectAll();
  if (!form.ShowPrompt()) return std::nullopt;
  return form.EditInput->text().toStdString();
}

TFormBasic& QtHost::EnsureConsole() {
  if (!console_) {
    console_ = std::make_unique<TFormBasic>();
    console_->SetPromptMode(TFormBasic::PromptMode::Console);
  }
  return *console_;
}

void QtHost::OpenConsole() {
  TFormBasic& console = EnsureConsole();
  console.ClearConsole();
  console.show();
  console.raise();
}

void QtHost::CloseConsole() { console_.reset(); }

void QtHost::AddConsoleLine(std::string_view text) {
  // A sub may switch to the console after its caller closed it: the window comes back, the text stays.
  TFormBasic& console = EnsureConsole();
  console.AddConsoleLine(Text(text));
  if (!console.isVisible()) console.show();
}

bool QtHost::ShowMessage(std::string_view text, MessageKind kind, MessageButtons buttons) {
  const MessageLook look = LookOf(kind);
  QMessageBox box(look.icon, look.title, Text(text));
  QPushButton* yes = nullptr;
  if (buttons == MessageButtons::YesNo) {
    yes = box.addButton(QMessageBox::Yes);
    box.setEscapeButton(box.addButton(QMessageBox::No));
  } else {
    yes = box.addButton(QMessageBox::Ok);
    box.setEscapeButton(box.addButton(QMessageBox::Cancel));
  }
  box.setDefaultButton(yes);
  RunDialog(box);
  return box.clickedButton() == yes;
}

void QtHost::ShowErrorBox(std::string_view text) { ShowErrorMessage(Text(text)); }

void QtHost::ShowNotice(std::string_view caption, std::string_view text) {
  QMessageBox box(QMessageBox::Warning, Text(caption), Text(text), QMessageBox::Ok);
  RunDialog(box);
}

void QtHost::ShowScriptError(std::string_view text, bool toConsole) {
  if (toConsole) {
    AddConsoleLine(text);
    return;
  }
  ShowErrorMessage(Text(text));
}

std::optional<std::string> QtHost::PickDirectory(std::string_view initial, std::string_view caption) {
  QFileDialog dialog(nullptr, Text(caption), Text(initial));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  if (RunDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

std::optional<std::string> QtHost::PickFile(std::string_view filter, std::string_view file,
                                            std::string_view folder) {
  QFileDialog dialog(nullptr, "Select a File", Text(folder));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setNameFilters(FileDialogFilters(Text(filter)));
  // A filter of one extension is also the extension added to a name typed without one.
  static const QRegularExpression single("^\\*\\.(\\w+)$");
  if (auto match = single.match(Text(filter).trimmed()); match.hasMatch()) dialog.setDefaultSuffix(match.captured(1));
  const QString preset = Text(file);
  if (!preset.isEmpty() && !preset.contains('*') && !preset.contains('?')) dialog.selectFile(preset);
  if (RunDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

bool QtHost::ShowTimedPrompt(std::string_view text, int seconds) {
  TFormBasic form;
  form.SetPromptMode(TFormBasic::PromptMode::Timed);
  form.SetCountdown(seconds);
  form.SetPromptText(Text(text));
  return form.ShowPrompt();
}

void QtHost::ShowDialog(TEnhanceFormDialog& dialog) {
  DialogForm form(dialog, windows_);
  RunDialog(form);
}

void QtHost::PumpEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  port::ServeEventSources();
  if (OnPump) OnPump();
}

void QtHost::SetBusyCursor(bool busy) {
  if (busy == busyCursor_) return;
  busyCursor_ = busy;
  // The pointer of a program that is starting: an arrow with an hourglass, so the windows stay usable.
  if (busy)
    QApplication::setOverrideCursor(Qt::BusyCursor);
  else
    QApplication::restoreOverrideCursor();
}

void QtHost::SetWindowsEnabled(bool enabled) {
  if (!enabled) {
    if (disabledDepth_++ > 0) return;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      // The program's windows are its dialogs; the tray icon and its menu stay usable, so that a wait
      // can be cancelled.
      if (!qobject_cast<QDialog*>(window) || !window->isVisible() || !window->isEnabled()) continue;
      window->setEnabled(false);
      disabled_.emplace_back(window);
    }
    return;
  }
  if (disabledDepth_ == 0 || --disabledDepth_ > 0) return;
  for (const QPointer<QWidget>& window : disabled_)
    if (window) window->setEnabled(true);
  disabled_.clear();
}

}  // namespace tw
