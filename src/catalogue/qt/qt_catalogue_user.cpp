#include "catalogue/qt/qt_catalogue_user.h"

#include <QInputDialog>
#include <QMessageBox>

namespace tw {

QString MessageText(const std::string& text) {
  return QString::fromStdString(text).replace("\r\n", "\n");
}

void QtCatalogueUser::Warning(const std::string& text) { QMessageBox::warning(parent_, "Warning", MessageText(text)); }

void QtCatalogueUser::Error(const std::string& text) { QMessageBox::critical(parent_, "Error", MessageText(text)); }

void QtCatalogueUser::Information(const std::string& text) {
  QMessageBox::information(parent_, "Information", MessageText(text));
}

bool QtCatalogueUser::Confirm(const std::string& question) {
  return QMessageBox::question(parent_, "Confirm", MessageText(question), QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

std::optional<std::string> QtCatalogueUser::Input(const std::string& caption, const std::string& prompt,
                                                  const std::string& initial) {
  bool ok = false;
  const QString text = QInputDialog::getText(parent_, QString::fromStdString(caption), MessageText(prompt),
                                             QLineEdit::Normal, QString::fromStdString(initial), &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

}  // namespace tw
