#include "editor/dialog_editor.h"

#include "dialogs/enhance_form_dialog.h"
#include "editor/dialog_block.h"
#include "editor/dialog_block_definition.h"
#include "editor/editor_view.h"
#include "files/file_text.h"

namespace tw::editor {

namespace {

// Whether the designer's lines are a whole enhanced definition that reads back: anything else (nothing, or
// the part written before a failure) would cost the script its block.
bool ReadsBack(const std::vector<std::string>& definition, int lineBase, ScriptHost& host) {
  if (!IsEnhancedDefinition(definition)) return false;
  TEnhanceFormDialog check(host);
  check.LineBase = lineBase;
  std::string text;
  for (const std::string& line : definition) text.append(line).append("\r\n");
  return check.BuildEnhanced(text, true, true);
}

}  // namespace

bool EditDialogBlock(EditorView& view, EditorPage& page, ScriptHost& host, DialogDesigner& designer) {
  const int caretLine = view.CaretLine(page);
  view.SetCaret(page, caretLine, 0);
  const std::string text = view.Text(page);
  const auto block = FindDialogBlock(SplitLines(text), caretLine);
  if (!block) return false;
  const auto definition = DefinitionForDesigner(*block, host);
  if (!definition) return false;
  if (!definition->Warnings.empty() && !designer.ConfirmConversion(ConversionQuestion(definition->Warnings)))
    return false;

  const auto saved = designer.Design(definition->Lines, block->LineBase());
  const bool replace = saved && ReadsBack(*saved, block->LineBase(), host);
  if (replace) view.ReplaceLines(page, block->HeadLine, block->TailLine, block->Reassembled(*saved));
  view.SetCaret(page, block->HeadLine, 0);
  return replace;
}

}  // namespace tw::editor
