#pragma once
// The controls selected on the design surface, in the order they were selected; the last is the current one,
// which the property form edits and which takes the keyboard focus.

#include <cstddef>
#include <optional>
#include <vector>

namespace tw {

class DesignSelection {
 public:
  // Indexes into the dialog's controls, oldest first.
  const std::vector<std::size_t>& Controls() const { return controls_; }
  bool Empty() const { return controls_.empty(); }
  bool Contains(std::size_t control) const;
  std::optional<std::size_t> Current() const;

  void SelectOnly(std::size_t control);
  // Shift-click: an unselected control joins at the end (becoming current), a selected one leaves.
  void Toggle(std::size_t control);
  void Clear() { controls_.clear(); }

 private:
  std::vector<std::size_t> controls_;
};

}  // namespace tw
