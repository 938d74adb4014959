#include "dialogs/designer/dialog_designer.h"

#include "dialogs/definition_text.h"
#include "dialogs/designer/design_controls.h"
#include "dialogs/designer/design_properties.h"
#include "text/ascii_text.h"

namespace tw {

const std::vector<std::string>& NewDialogDefinition() {
  static const std::vector<std::string> lines{
      "WINDOW,374,293,326,193,1,\"Tahoma\",9,N,\"Dialog\"",
      "WINDOW1,0",
      "I3,8,8,32,32,0,\"\",0,0,1,0,0,0,\"\"",
      "L4,48,16,260,100,0,\"Tahoma\",9,N,0,0,0,\"Hello, World!\"",
      "B200,148,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&OK\"",
      "B201,232,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&Cancel\"",
  };
  return lines;
}

std::optional<int> GridItemSize(std::string_view item) {
  const auto size = ParseDefinitionInteger(Trimmed(item));
  for (const int offered : kDesignGridSizes)
    if (size == offered) return offered;
  return std::nullopt;
}

bool DialogDesigner::Open() {
  const std::vector<std::string> before = dialog_.Definition;
  dialog_.Window.Font = {"Tahoma", 9};
  dialog_.Window.DesignMode = true;
  dialog_.ClearControls();
  if (dialog_.Definition.empty()) dialog_.Definition = NewDialogDefinition();
  selection_.Clear();
  std::string text;
  for (const std::string& line : dialog_.Definition) text.append(line).append("\r\n");
  if (!dialog_.BuildEnhanced(text, true, true)) {
    dialog_.Definition = before;
    dialog_.Window.DesignMode = false;
    return false;
  }
  if (const auto initial = dialog_.FindControl(dialog_.InitialSelection)) selection_.SelectOnly(*initial);
  return true;
}

void DialogDesigner::Save() {
  dialog_.WriteDefinition();
  dialog_.Window.DesignMode = false;
}

void DialogDesigner::Discard() { dialog_.Window.DesignMode = false; }

std::optional<std::size_t> DialogDesigner::Add(char kindLetter, port::Point at) {
  const auto added = AddDesignControl(dialog_, kindLetter, at);
  if (added) selection_.SelectOnly(*added);
  return added;
}

std::optional<std::size_t> DialogDesigner::Duplicate(std::size_t control) {
  const auto copy = DuplicateDesignControl(dialog_, control, mouse_.Grid());
  if (copy) selection_.SelectOnly(*copy);
  return copy;
}

void DialogDesigner::DeleteSelection() {
  DeleteDesignControls(dialog_, selection_.Controls());
  selection_.Clear();
}

std::optional<std::size_t> DialogDesigner::PropertiesTarget(std::optional<std::size_t> menuOn) const {
  return tw::PropertiesTarget(selection_, menuOn);
}

}  // namespace tw
