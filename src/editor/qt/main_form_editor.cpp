#include "editor/qt/main_form_editor.h"

#include <memory>

#include "catalogue/qt/main_form.h"
#include "editor/qt/form_script_editor.h"

namespace tw {

void ConnectScriptEditor(TMainForm& form) {
  form.OpenScriptEditor = [&form](const ScriptEditorRequest& request) -> QWidget* {
    auto editor = std::make_unique<TFormScriptEditor>(
        form.Host(), form.Desktop(),
        ScriptEditorPlaces{form.files().settingsFile, request.includeFolder, request.dialogFolder,
                           form.files().helpersFolder});
    editor->setAttribute(Qt::WA_DeleteOnClose);
    // Both run on the process-wide run state: one run at a time.
    editor->Core().OtherRunActive = [&form] { return form.Runner().Active(); };
    if (!editor->OpenEditor(request.file)) return nullptr;
    editor->activateWindow();
    return editor.release();
  };
}

}  // namespace tw
