#pragma once
// The script editor as tarnwick's main window opens it from Add... and Edit...: on the main window's host and
// desktop, with its settings file and helper folder, holding back its own runs while one of the main
// window's is active.

namespace tw {

class TMainForm;

void ConnectScriptEditor(TMainForm& form);

}  // namespace tw
