#include "editor/qt/main_form_editor.h"

#include <QPointer>
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
    // The main window's tray icon is gone while the editor is open: a run of the main program's still going
    // is cancelled from the editor (F11, its tray icon), which hears of the run's end.
    editor->Core().CancelOtherRun = [&form] { form.CancelScript(); };
    editor->Core().OtherRunChanged();
    if (form.Runner().Active()) {
      form.Runner().WhenIdle([shown = QPointer<TFormScriptEditor>(editor.get())] {
        if (shown) shown->Core().OtherRunChanged();
      });
    }
    if (!editor->OpenEditor(request.file)) return nullptr;
    editor->activateWindow();
    return editor.release();
  };
}

}  // namespace tw
