#include "dialogs/designer/qt/edit_definition.h"

#include "dialogs/designer/dialog_designer.h"
#include "dialogs/designer/qt/design_surface.h"

namespace tw {

bool EditDefinition(TEnhanceFormDialog& dialog, ScriptHost& host, QWidget* parent) {
  const std::vector<std::string> before = dialog.Definition;
  DialogDesigner designer(dialog);
  if (!designer.Open()) return false;
  DesignSurface surface(designer, host, parent);
  if (surface.exec() == QDialog::Accepted) return true;
  dialog.Definition = before;
  return false;
}

}  // namespace tw
