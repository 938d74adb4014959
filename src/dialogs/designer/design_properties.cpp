#include "dialogs/designer/design_properties.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "dialogs/definition_text.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

bool ShowsItems(ControlKind kind) { return kind == ControlKind::ComboBox || kind == ControlKind::ListBox; }

// Labels and lists are edited as text in the designer, like memos, and store the same fields.
bool EditedAsText(ControlKind kind) {
  return kind == ControlKind::Label || kind == ControlKind::Memo || ShowsItems(kind);
}

bool StoresMaxLength(ControlKind kind) { return kind == ControlKind::Edit || EditedAsText(kind); }

std::string NotAnInteger(const std::string& text) { return "'" + text + "' is not a valid integer value"; }

std::optional<std::string> NameProblem(const TEnhanceFormDialog& dialog, std::size_t control, const std::string& name) {
  const char kind = static_cast<char>(dialog.Controls[control].Kind);
  if (!IsControlName(name)) return "\"" + name + "\" is not a valid control name";
  // A name of one letter is replaced by an automatic one when the definition is read, and a name beginning
  // with another kind's letter would make a control of that kind.
  if (UpperAsciiChar(name.front()) != kind || name.size() < 2)
    return "The name of this control must begin with " + std::string(1, kind) + " and go on after it";
  for (std::size_t i = 0; i < dialog.Controls.size(); ++i)
    if (i != control && EqualsIgnoringAsciiCase(dialog.Controls[i].Name, name))
      return "A control named " + dialog.Controls[i].Name + " already exists";
  return std::nullopt;
}

void StoreFont(const TEnhanceFormDialog& dialog, DialogControl& control, const DialogFont& font) {
  // A control that shows the dialog's font keeps following it unless another font was chosen.
  if (font != control.EffectiveFont(dialog.Window.Font)) control.Font = font;
}

}  // namespace

PropertyPage PropertyPageFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Image: return PropertyPage::Image;
    case ControlKind::Shape: return PropertyPage::Shape;
    default: return PropertyPage::Components;
  }
}

std::optional<std::size_t> PropertiesTarget(const DesignSelection& selection, std::optional<std::size_t> menuOn) {
  return menuOn ? menuOn : selection.Current();
}

ComponentFields ComponentFieldsOf(ControlKind kind) {
  ComponentFields fields;
  fields.Checked = kind == ControlKind::CheckBox || kind == ControlKind::Radio;
  fields.WordWrap = kind == ControlKind::Label || kind == ControlKind::Memo;
  fields.Alignment = fields.WordWrap;
  fields.Password = kind == ControlKind::Edit;
  fields.MaxLength = kind == ControlKind::Edit || kind == ControlKind::Memo;
  return fields;
}

ControlProperties PropertiesOf(const TEnhanceFormDialog& dialog, std::size_t index) {
  const DialogControl& control = dialog.Controls.at(index);
  ControlProperties values;
  values.Name = control.Name;
  values.Focused = control.Focus;
  values.Text = ShowsItems(control.Kind) ? JoinItems(control.Items) : control.Text;
  values.Checked = control.Checked;
  values.WordWrap = control.WordWrap;
  values.Alignment = control.Alignment;
  values.Password = control.Password;
  values.MaxLength = std::to_string(control.MaxLength);
  values.Font = control.EffectiveFont(dialog.Window.Font);
  values.FileName = control.FileName;
  values.ImageIndex = control.ImageIndex;
  values.Stretch = control.Stretch;
  values.Shape = static_cast<int>(control.Shape);
  values.PenColour = control.PenColour;
  values.PenWidth = std::to_string(control.PenWidth);
  return values;
}

DialogProperties PropertiesOf(const TEnhanceFormDialog& dialog) {
  return {dialog.Window.Caption, dialog.Window.Font, TimeoutText(dialog.Window.TimeoutMs), dialog.Window.Colour,
          dialog.Window.PositionMode};
}

std::optional<std::string> StoreProperties(TEnhanceFormDialog& dialog, std::size_t index,
                                           const ControlProperties& values) {
  if (index >= dialog.Controls.size()) return std::nullopt;
  const ControlKind kind = dialog.Controls[index].Kind;

  // Everything is checked before anything is stored.
  if (auto problem = NameProblem(dialog, index, values.Name)) return problem;
  std::optional<std::int32_t> maxLength;
  if (StoresMaxLength(kind)) {
    maxLength = ParseDefinitionInteger(Trimmed(values.MaxLength));
    if (!maxLength) return NotAnInteger(values.MaxLength);
  }
  std::optional<std::int32_t> penWidth;
  if (kind == ControlKind::Shape) {
    penWidth = ParseDefinitionInteger(Trimmed(values.PenWidth));
    if (!penWidth) return NotAnInteger(values.PenWidth);
  }
  if (kind == ControlKind::Image && !Trimmed(values.FileName).empty()) {
    std::error_code error;
    if (std::filesystem::is_regular_file(values.FileName, error) && !dialog.Metrics().PictureLoads(values.FileName))
      return "Cannot load the picture " + values.FileName;
  }

  DialogControl& control = dialog.Controls[index];
  control.Name = values.Name;
  control.Focus = values.Focused;
  switch (kind) {
    case ControlKind::Button:
      StoreFont(dialog, control, values.Font);
      control.Text = values.Text;
      break;
    case ControlKind::Label:
    case ControlKind::Memo:
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
      if (ShowsItems(kind)) {
        control.Items = SplitItems(values.Text);
        control.Selected = control.Items.empty() ? -1 : 0;
      } else {
        control.Text = values.Text;
      }
      control.Alignment = std::clamp(values.Alignment, 0, 2);
      control.WordWrap = values.WordWrap;
      if (kind == ControlKind::Memo) control.Scrolling = control.WordWrap ? ScrollBars::Vertical : ScrollBars::Both;
      control.MaxLength = std::max(*maxLength, 0);
      StoreFont(dialog, control, values.Font);
      break;
    case ControlKind::CheckBox:
    case ControlKind::Radio:
      if (kind == ControlKind::Radio && values.Checked)
        dialog.CheckRadio(index);  // all radio buttons of a dialog form one group
      else
        control.Checked = values.Checked;
      StoreFont(dialog, control, values.Font);
      control.Text = values.Text;
      break;
    case ControlKind::Edit:
      StoreFont(dialog, control, values.Font);
      control.Text = values.Text;
      control.MaxLength = std::max(*maxLength, 0);
      control.Password = values.Password;
      break;
    case ControlKind::Shape:
      control.Shape =
          values.Shape >= 0 && values.Shape <= 5 ? static_cast<ShapeKind>(values.Shape) : ShapeKind::Rectangle;
      control.PenWidth = *penWidth;
      control.PenColour = values.PenColour;
      break;
    case ControlKind::Image:
      control.ImageIndex = values.ImageIndex;
      control.Stretch = values.Stretch;
      control.FileName = values.FileName;
      break;
    case ControlKind::Countdown: break;
  }
  return std::nullopt;
}

void StoreProperties(TEnhanceFormDialog& dialog, const DialogProperties& values) {
  DialogWindow& window = dialog.Window;
  window.PositionMode = values.PositionMode == 1 || values.PositionMode == 2 ? values.PositionMode : 0;
  window.Caption = values.Caption;
  window.Font = values.Font;
  window.Colour = values.Colour;
  window.TimeoutMs = TimeoutMilliseconds(values.Timeout);
}

}  // namespace tw
