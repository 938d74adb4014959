#pragma once
// The popup menu of the design surface and its controls.

#include <QMenu>
#include <functional>

namespace tw {

struct DesignMenuActions {
  std::function<void()> Properties;
  std::function<void()> Help;
  std::function<void()> Preview;
  std::function<void()> TabOrder;
  std::function<void(char kindLetter)> Add;
  std::function<void(int pixels)> Grid;
  std::function<void()> Duplicate;  // none when the menu was not opened on a control
  std::function<void()> Delete;
  std::function<void()> Close;
};

// The grid item of the current size is checked; "Duplicate" is offered only with an action for it.
void FillDesignMenu(QMenu& menu, int grid, const DesignMenuActions& actions);

}  // namespace tw
