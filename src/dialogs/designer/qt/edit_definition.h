#pragma once
// The designer on a dialog object's definition, as the editor opens it.

#include <QWidget>

#include "dialogs/enhance_form_dialog.h"

namespace tw {

class ScriptHost;

// Opens the design surface modally on the definition (the new-dialog lines when it is empty). True when the
// user saved, Definition then holding the written lines. False after a definition error (shown by the dialog
// object) or when the user left without saving; Definition is then as it was.
bool EditDefinition(TEnhanceFormDialog& dialog, ScriptHost& host, QWidget* parent = nullptr);

}  // namespace tw
