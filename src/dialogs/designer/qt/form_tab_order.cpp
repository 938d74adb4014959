#include "dialogs/designer/qt/form_tab_order.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include "dialogs/qt/dialog_line_breaks.h"

namespace tw {

TFormTabOrder::TFormTabOrder(TEnhanceFormDialog& dialog, QWidget* parent)
    : QDialog(parent), dialog_(dialog), list_(dialog) {
  setWindowTitle("Tab Order");
  ListControls = new QListWidget(this);
  ButtUp = new QToolButton(this);
  ButtUp->setArrowType(Qt::UpArrow);
  ButtUp->setToolTip("Move up");
  ButtDown = new QToolButton(this);
  ButtDown->setArrowType(Qt::DownArrow);
  ButtDown->setToolTip("Move down");
  connect(ButtUp, &QToolButton::clicked, this, [this] { MoveSelected(true); });
  connect(ButtDown, &QToolButton::clicked, this, [this] { MoveSelected(false); });

  auto* buttons = new QDialogButtonBox(this);
  ButtOk = buttons->addButton("&Ok", QDialogButtonBox::AcceptRole);
  ButtCancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  ButtOk->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &TFormTabOrder::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TFormTabOrder::reject);

  auto* layout = new QGridLayout(this);
  layout->addWidget(ListControls, 0, 0, 3, 1);
  layout->addWidget(ButtUp, 0, 1);
  layout->addWidget(ButtDown, 1, 1);
  layout->setRowStretch(2, 1);
  layout->addWidget(buttons, 3, 0, 1, 2);
  ShowEntries(0);
}

void TFormTabOrder::accept() {
  list_.Apply(dialog_);
  QDialog::accept();
}

void TFormTabOrder::MoveSelected(bool up) {
  const int row = ListControls->currentRow();
  if (row < 0) return;
  const auto index = static_cast<std::size_t>(row);
  if (up ? list_.MoveUp(index) : list_.MoveDown(index)) ShowEntries(up ? row - 1 : row + 1);
}

void TFormTabOrder::ShowEntries(int current) {
  ListControls->clear();
  // A memo's text may run over several lines; the list shows it on one.
  for (const TabOrderEntry& entry : list_.Entries()) ListControls->addItem(ToQtLines(entry.Label).replace('\n', ' '));
  if (ListControls->count() > 0) ListControls->setCurrentRow(std::min(current, ListControls->count() - 1));
}

}  // namespace tw
