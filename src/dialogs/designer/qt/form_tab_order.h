#pragma once
// The tab order form of the dialog designer ("Tab Order"): the dialog's focusable controls in their tab order,
// moved one place at a time with the arrows; "&Ok" gives them the order of the list, "Cancel" changes nothing.

#include <QDialog>

#include "dialogs/designer/tab_order_list.h"
#include "dialogs/enhance_form_dialog.h"

class QListWidget;
class QPushButton;
class QToolButton;

namespace tw {

class TFormTabOrder : public QDialog {
  Q_OBJECT

 public:
  explicit TFormTabOrder(TEnhanceFormDialog& dialog, QWidget* parent = nullptr);

  void accept() override;

  QListWidget* ListControls = nullptr;
  QToolButton* ButtUp = nullptr;
  QToolButton* ButtDown = nullptr;
  QPushButton* ButtOk = nullptr;
  QPushButton* ButtCancel = nullptr;

 private:
  void MoveSelected(bool up);
  void ShowEntries(int current);

  TEnhanceFormDialog& dialog_;
  TabOrderList list_;
};

}  // namespace tw
