#pragma once
// The tab order of a dialog open in the designer as a list to rearrange: its focusable controls in their
// current order, each moved one place at a time, given back to the controls only when accepted. Written
// definitions list focusable controls in tab order, so the accepted order is the line order after saving.

#include <cstddef>
#include <string>
#include <vector>

#include "dialogs/enhance_form_dialog.h"

namespace tw {

struct TabOrderEntry {
  std::size_t Control = 0;  // index into the dialog's controls
  std::string Label;        // the name; for controls that show editable text "name - text"
};

class TabOrderList {
 public:
  explicit TabOrderList(const TEnhanceFormDialog& dialog);

  const std::vector<TabOrderEntry>& Entries() const { return entries_; }
  // Swap an entry with its neighbour; false at the ends of the list.
  bool MoveUp(std::size_t row);
  bool MoveDown(std::size_t row);
  // Every listed control takes the tab order of its row.
  void Apply(TEnhanceFormDialog& dialog) const;

 private:
  std::vector<TabOrderEntry> entries_;
};

}  // namespace tw
