#include "dialogs/designer/design_selection.h"

#include <algorithm>

namespace tw {

bool DesignSelection::Contains(std::size_t control) const {
  return std::find(controls_.begin(), controls_.end(), control) != controls_.end();
}

std::optional<std::size_t> DesignSelection::Current() const {
  if (controls_.empty()) return std::nullopt;
  return controls_.back();
}

void DesignSelection::SelectOnly(std::size_t control) { controls_.assign(1, control); }

void DesignSelection::Toggle(std::size_t control) {
  const auto at = std::find(controls_.begin(), controls_.end(), control);
  if (at == controls_.end())
    controls_.push_back(control);
  else
    controls_.erase(at);
}

}  // namespace tw
