#include "editor/qt/qt_dialog_designer.h"

#include <QMessageBox>

#include "dialogs/designer/qt/edit_definition.h"
#include "dialogs/enhance_form_dialog.h"

namespace tw {

bool QtDialogDesigner::ConfirmConversion(const std::string& question) {
  return QMessageBox::question(parent_, "Confirm", QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::vector<std::string>> QtDialogDesigner::Design(const std::vector<std::string>& definition,
                                                                 int lineBase) {
  TEnhanceFormDialog dialog(host_);
  dialog.Definition = definition;
  dialog.LineBase = lineBase;
  if (!EditDefinition(dialog, host_, parent_)) return std::nullopt;
  return dialog.Definition;
}

}  // namespace tw
