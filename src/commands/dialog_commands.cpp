// The dialog block and the functions through which a script shows a dialog from a value and reads and prepares
// the values of its controls: dodialog, dialogvar, getdlgvar and setdlgvar.

#include "commands/block_body.h"
#include "commands/tarnwick_basic.h"
#include "files/file_text.h"
#include "interpreter/builtins.h"

namespace tw {

namespace {

// Shows the dialog's definition; a definition that cannot be read ends the run after its error box.
void ShowOrStop(TTarnwickBasic& library) {
  TEnhanceFormDialog& dialog = library.Dialog();
  if (dialog.ShowDefinition()) return;
  if (!dialog.Definition.empty() && library.OnDialogFailure) library.OnDialogFailure();
  library.StopScript();
}

void DialogBlock(TTarnwickBasic& library) {
  std::string caption = library.ReadOptionalArgument(ScriptValue("Morvane Script")).ToText();
  std::string font = library.ReadOptionalArgument(ScriptValue("Courier New")).ToText();
  const ScriptValue widthText = library.ReadOptionalArgument(ScriptValue::Integer(0));
  const ScriptValue heightText = library.ReadOptionalArgument(ScriptValue::Integer(0));
  std::int32_t width = 0, height = 0;
  if (!library.CheckMode &&
      (!IntegerArgument(library, widthText, width) || !IntegerArgument(library, heightText, height)))
    return;  // the run ends
  const std::vector<std::string> body = ReadBlockBody(library, {"enddialog"});
  TEnhanceFormDialog& dialog = library.Dialog();
  dialog.Window.Caption = caption.empty() ? "Morvane Script" : caption;
  dialog.Window.Font.Name = font.empty() ? "Courier New" : font;
  dialog.Definition.clear();
  for (const std::string& line : body) dialog.Definition.emplace_back(WithoutMarker(line));
  if (library.CheckMode) return;
  dialog.WidthOverride = width;
  dialog.HeightOverride = height;
  ShowOrStop(library);
}

void DoDialog(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string definition = library.ReadArgument();
  if (library.CheckMode || definition.empty()) return;
  TEnhanceFormDialog& dialog = library.Dialog();
  dialog.Definition.clear();
  for (std::string_view line : SplitLines(definition)) dialog.Definition.emplace_back(line);
  result = ScriptValue::Integer(1);
  ShowOrStop(library);
}

void DialogVar(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const std::string name = library.ReadArgument();
  const ScriptValue fallback = library.ReadOptionalArgument(ScriptValue(""));
  if (library.CheckMode) return;
  const std::string value = library.Dialog().GetControlValue(name);
  result = value.empty() ? fallback : ScriptValue(value);
}

void SetDlgVar(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string name = library.ReadArgument();
  const std::string value = library.ReadArgument();
  if (library.CheckMode) return;
  library.SetVariable(name, ScriptValue(value), false, false);
}

}  // namespace

void AddDialogCommands(LibraryHandlers& handlers) {
  handlers.AddBlock("dialog", DialogBlock);
  handlers.AddFunction("dodialog", DoDialog);
  handlers.AddFunction("dialogvar", DialogVar);
  handlers.AddFunction("getdlgvar", DialogVar);
  handlers.AddFunction("setdlgvar", SetDlgVar);
}

}  // namespace tw
