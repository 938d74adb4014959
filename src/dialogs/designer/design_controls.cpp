#include "dialogs/designer/design_controls.h"

#include <algorithm>
#include <string>

#include "text/ascii_text.h"

namespace tw {

std::optional<std::string_view> NewControlText(char kindLetter) {
  switch (UpperAsciiChar(kindLetter)) {
    case 'B': return "Button";
    case 'C': return "CheckBox";
    case 'R': return "RadioButton";
    case 'O': return "ComboBox";
    case 'L': return "Label";
    case 'M': return "Memo";
    case 'E': return "EditBox";
    case 'I': return "Image";
    case 'S': return "ListBox";
    case 'H': return "Shape";
    default: return std::nullopt;
  }
}

std::optional<std::size_t> AddDesignControl(TEnhanceFormDialog& dialog, char kindLetter, port::Point at) {
  const auto text = NewControlText(kindLetter);
  if (!text) return std::nullopt;
  const std::size_t before = dialog.Controls.size();
  const std::string line = std::string(1, UpperAsciiChar(kindLetter)) + "," + std::to_string(at.x) + "," +
                           std::to_string(at.y) + ",-3,-3,0,\"\",0,0,0,0,0,\"" + std::string(*text) + "\"";
  if (!dialog.BuildEnhanced(line, true, false) || dialog.Controls.size() != before + 1) return std::nullopt;
  return before;
}

std::optional<std::size_t> DuplicateDesignControl(TEnhanceFormDialog& dialog, std::size_t source, int grid) {
  if (source >= dialog.Controls.size() || dialog.Controls[source].Name.empty()) return std::nullopt;
  const DialogControl original = dialog.Controls[source];
  const auto added = AddDesignControl(dialog, original.Name.front(), {0, 0});
  if (!added) return std::nullopt;
  DialogControl& copy = dialog.Controls[*added];
  switch (copy.Kind) {
    case ControlKind::Label:
    case ControlKind::Memo:
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::Radio:
      copy.Text = original.Text;
      copy.Font = original.Font;
      break;
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
      copy.Items = original.Items;
      copy.Selected = original.Selected;
      copy.Font = original.Font;
      break;
    case ControlKind::Edit: copy.Text = original.Text; break;
    case ControlKind::Shape:
      copy.PenWidth = original.PenWidth;
      copy.PenColour = original.PenColour;
      copy.BrushColour = original.BrushColour;
      break;
    case ControlKind::Image:
    case ControlKind::Countdown: break;
  }
  copy.Bounds = {original.Bounds.left + grid, original.Bounds.top + grid, original.Bounds.width,
                 original.Bounds.height};
  return added;
}

void DeleteDesignControls(TEnhanceFormDialog& dialog, std::vector<std::size_t> controls) {
  std::sort(controls.begin(), controls.end());
  controls.erase(std::unique(controls.begin(), controls.end()), controls.end());
  for (auto index = controls.rbegin(); index != controls.rend(); ++index)
    if (*index < dialog.Controls.size())
      dialog.Controls.erase(dialog.Controls.begin() + static_cast<std::ptrdiff_t>(*index));

  std::vector<DialogControl*> focusable;
  for (DialogControl& control : dialog.Controls)
    if (dialog.Focusable(control)) focusable.push_back(&control);
  std::stable_sort(focusable.begin(), focusable.end(),
                   [](const DialogControl* a, const DialogControl* b) { return a->TabOrder < b->TabOrder; });
  for (std::size_t i = 0; i < focusable.size(); ++i) focusable[i]->TabOrder = static_cast<int>(i);
}

}  // namespace tw
