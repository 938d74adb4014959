#pragma once
// The designer of an enhanced dialog, without the windows: it opens a dialog object's definition in design
// mode, keeps the selection and the mouse, carries out the popup menu's actions and writes the definition back
// when the user saves. A toolkit shows the surface and forwards what the user does.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/designer/design_mouse.h"
#include "dialogs/designer/design_selection.h"
#include "dialogs/enhance_form_dialog.h"
#include "port/geometry.h"

namespace tw {

// What the designer opens on an empty definition.
const std::vector<std::string>& NewDialogDefinition();

// The grid size a "Grid..." menu item sets: its number; nothing for other texts.
std::optional<int> GridItemSize(std::string_view item);

class DialogDesigner {
 public:
  explicit DialogDesigner(TEnhanceFormDialog& dialog) : dialog_(dialog), mouse_(dialog, selection_) {}
  DialogDesigner(const DialogDesigner&) = delete;
  DialogDesigner& operator=(const DialogDesigner&) = delete;

  // Reads the dialog's definition in design mode, the new-dialog lines when it is empty, with the window font
  // Tahoma 9 until the WINDOW line sets another. The control on the last control line is selected. False after
  // a definition error (shown by the dialog object), Definition then being as it was.
  bool Open();
  // Replaces Definition with the lines of the current window and controls and leaves design mode.
  void Save();
  // Leaves design mode; Definition stays as it was opened.
  void Discard();

  TEnhanceFormDialog& Dialog() { return dialog_; }
  DesignSelection& Selection() { return selection_; }
  DesignMouse& Mouse() { return mouse_; }

  // ---- Popup menu -----------------------------------------------------------------------------------------
  // A new control of the kind at the point, selected alone.
  std::optional<std::size_t> Add(char kindLetter, port::Point at);
  // A copy of the control one grid step away, selected alone; nothing when it cannot be made.
  std::optional<std::size_t> Duplicate(std::size_t control);
  // Removes every selected control and empties the selection.
  void DeleteSelection();
  // What "Properties" edits: the control the menu was opened on, else the current control; nothing for the
  // dialog itself.
  std::optional<std::size_t> PropertiesTarget(std::optional<std::size_t> menuOn) const;

 private:
  TEnhanceFormDialog& dialog_;
  DesignSelection selection_;
  DesignMouse mouse_;
};

}  // namespace tw
