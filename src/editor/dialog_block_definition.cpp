#include "editor/dialog_block_definition.h"

#include <algorithm>

#include "dialogs/designer/dialog_designer.h"
#include "dialogs/enhance_form_dialog.h"
#include "text/ascii_text.h"

namespace tw::editor {

namespace {

std::string KindName(const DialogControl& control) {
  switch (control.Kind) {
    case ControlKind::Button: return "button";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::Edit: return control.Password ? "password box" : "edit box";
    case ControlKind::Shape: return "shape";
    case ControlKind::Image: return "image";
    case ControlKind::Label: return "label";
    case ControlKind::Memo: return "memo";
    case ControlKind::ComboBox: return "drop-down list";
    case ControlKind::Radio: return "radio button";
    case ControlKind::ListBox: return "list box";
    case ControlKind::Countdown: return "countdown";
  }
  return "control";
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// The controls of the layout that the converted lines do not give back with the same kind, under the name the
// conversion reported for them.
void CompareReadBack(const TEnhanceFormDialog& layout, const TEnhanceFormDialog& readBack,
                     const std::vector<ConversionChange>& changes, std::vector<std::string>& warnings) {
  for (const DialogControl& control : layout.Controls) {
    if (control.Kind == ControlKind::Countdown || control.Name == "TimerLabel") continue;
    std::string name = control.Name;
    for (const ConversionChange& change : changes)
      if (change.What == ConversionChange::Kind::Renamed && change.Name == control.Name) name = change.NewName;
    const auto found = readBack.FindControl(name);
    if (!found) {
      warnings.push_back("The " + KindName(control) + " " + Quoted(control.Name) + " is lost.");
      continue;
    }
    const DialogControl& back = readBack.Controls[*found];
    if (back.Kind != control.Kind || back.Password != control.Password)
      warnings.push_back("The " + KindName(control) + " " + Quoted(control.Name) + " becomes a " + KindName(back) +
                         ".");
  }
}

}  // namespace

std::optional<DesignerDefinition> DefinitionForDesigner(const DialogBlock& block, ScriptHost& host) {
  DesignerDefinition result;
  if (block.Empty()) {
    result.Lines = NewDialogDefinition();
    return result;
  }
  if (IsEnhancedDefinition(block.Body)) {
    result.Lines = block.Body;
    return result;
  }

  TEnhanceFormDialog converter(host);
  converter.LineBase = block.LineBase();
  converter.Definition = block.Body;
  const auto changes = converter.ConvertLayoutDefinition();
  if (!changes) return std::nullopt;
  result.Lines = converter.Definition;
  result.Converted = true;

  for (const ConversionChange& change : *changes) {
    if (change.What == ConversionChange::Kind::Renamed)
      result.Warnings.push_back("The control " + Quoted(change.Name) + " is renamed " + Quoted(change.NewName) + ".");
    else
      result.Warnings.push_back("The countdown " + Quoted(change.Name) + " becomes the dialog's timeout.");
  }

  // What the layout builds, against what the converted lines give back.
  TEnhanceFormDialog layout(host);
  layout.Definition = block.Body;
  TEnhanceFormDialog readBack(host);
  readBack.LineBase = block.LineBase();
  std::string text;
  for (const std::string& line : result.Lines) text.append(line).append("\r\n");
  if (!layout.BuildLayout() || !readBack.BuildEnhanced(text, true, true)) return std::nullopt;
  CompareReadBack(layout, readBack, *changes, result.Warnings);
  return result;
}

std::string ConversionQuestion(const std::vector<std::string>& warnings) {
  std::string text = "Converting this dialog for the designer changes controls that the script may use:\r\n\r\n";
  for (const std::string& warning : warnings) text.append(warning).append("\r\n");
  text.append("\r\nOpen the designer anyway?");
  return text;
}

}  // namespace tw::editor
