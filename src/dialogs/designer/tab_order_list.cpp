#include "dialogs/designer/tab_order_list.h"

#include <algorithm>
#include <utility>

#include "dialogs/definition_text.h"

namespace tw {

namespace {

// Edit boxes, memos and the kinds the designer shows as editable text are listed with what they hold.
std::string EntryLabel(const DialogControl& control) {
  switch (control.Kind) {
    case ControlKind::Edit:
    case ControlKind::Memo:
    case ControlKind::Label: return control.Name + " - " + control.Text;
    case ControlKind::ComboBox:
    case ControlKind::ListBox: return control.Name + " - " + JoinItems(control.Items);
    default: return control.Name;
  }
}

}  // namespace

TabOrderList::TabOrderList(const TEnhanceFormDialog& dialog) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < dialog.Controls.size(); ++i)
    if (dialog.Focusable(dialog.Controls[i])) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return dialog.Controls[a].TabOrder < dialog.Controls[b].TabOrder;
  });
  for (const std::size_t index : order) entries_.push_back({index, EntryLabel(dialog.Controls[index])});
}

bool TabOrderList::MoveUp(std::size_t row) {
  if (row == 0 || row >= entries_.size()) return false;
  std::swap(entries_[row - 1], entries_[row]);
  return true;
}

bool TabOrderList::MoveDown(std::size_t row) {
  if (row + 1 >= entries_.size()) return false;
  std::swap(entries_[row], entries_[row + 1]);
  return true;
}

void TabOrderList::Apply(TEnhanceFormDialog& dialog) const {
  for (std::size_t row = 0; row < entries_.size(); ++row)
    if (entries_[row].Control < dialog.Controls.size())
      dialog.Controls[entries_[row].Control].TabOrder = static_cast<int>(row);
}

}  // namespace tw
