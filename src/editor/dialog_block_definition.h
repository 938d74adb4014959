#pragma once
// The enhanced definition the designer is opened on for a dialog block: the block's own lines when they are
// enhanced, the conversion of a text layout, or a new dialog for an empty block. A conversion is read back
// before the designer sees it, and every control that does not come back as it was is named, so that the user
// can decide before the script's block is rewritten.

#include <optional>
#include <string>
#include <vector>

#include "editor/dialog_block.h"

namespace tw {
class ScriptHost;
}

namespace tw::editor {

struct DesignerDefinition {
  std::vector<std::string> Lines;  // an enhanced definition; the designer's new dialog for an empty block
  bool Converted = false;          // the block was a text layout
  // One sentence per control that the conversion renamed, lost or turned into another kind; a script that
  // reads those controls by name gets other answers after saving.
  std::vector<std::string> Warnings;
};

// Nothing when the block is a text layout that cannot be built; its error has then been shown by the host,
// which also measures the text.
std::optional<DesignerDefinition> DefinitionForDesigner(const DialogBlock& block, ScriptHost& host);

// The question asked before the designer opens on a conversion with warnings.
std::string ConversionQuestion(const std::vector<std::string>& warnings);

}  // namespace tw::editor
