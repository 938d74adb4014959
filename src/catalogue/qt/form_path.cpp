#include "catalogue/qt/form_path.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace tw {

TFormPath::TFormPath(const std::string& scriptPath, QWidget* parent) : QDialog(parent) {
  setObjectName("FormPath");
  setWindowTitle("Script Path");
  auto* label = new QLabel("Script Path");
  EditPath = new QLineEdit(QString::fromStdString(scriptPath));
  EditPath->setObjectName("EditPath");
  EditPath->setMinimumWidth(360);
  label->setBuddy(EditPath);
  ButtBrowse = new QToolButton;
  ButtBrowse->setObjectName("ButtBrowse");
  ButtBrowse->setText("...");
  ButtBrowse->setToolTip("Choose the folder");
  ButtOk = new QPushButton("OK");
  ButtOk->setObjectName("ButtOk");
  ButtOk->setDefault(true);
  ButtCancel = new QPushButton("Cancel");
  ButtCancel->setObjectName("ButtCancel");
  connect(ButtBrowse, &QToolButton::clicked, this, &TFormPath::Browse);
  connect(ButtOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* edit = new QHBoxLayout;
  edit->addWidget(EditPath, 1);
  edit->addWidget(ButtBrowse);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ButtOk);
  buttons->addWidget(ButtCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addLayout(edit);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

std::optional<std::string> TFormPath::Chosen() const {
  const QString path = EditPath->text().trimmed();
  if (result() != QDialog::Accepted || path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

void TFormPath::Browse() {
  // The browser opens in the folder itself, not in its parent.
  QString start = EditPath->text().trimmed();
  while (start.size() > 1 && start.endsWith('/')) start.chop(1);
  const QString chosen = QFileDialog::getExistingDirectory(this, "Script Path", start,
                                                           QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  if (!chosen.isEmpty()) EditPath->setText(chosen + "/");
}

}  // namespace tw
