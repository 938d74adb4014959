#pragma once
// Adding, duplicating and deleting controls of a dialog open in the designer.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "dialogs/enhance_form_dialog.h"
#include "port/geometry.h"

namespace tw {

// The text a new control of the kind starts with ("Button", "CheckBox", ...); nothing for a letter that names
// no kind of the enhanced format.
std::optional<std::string_view> NewControlText(char kindLetter);

// Reads the line of a new control of the kind at the point, with an automatic name, its kind's default size
// and the dialog's font, as the designer reads every line. The index of the new control; nothing for a letter
// that names no kind.
std::optional<std::size_t> AddDesignControl(TEnhanceFormDialog& dialog, char kindLetter, port::Point at);

// A new control of the source's kind, one grid step right of and below it, of the same size. It copies what
// its kind shows: the text and font of labels, memos, lists and buttons, check boxes and radio buttons (lists
// their items), the text alone of edit boxes, the pen and brush of shapes, nothing of images. Nothing when the
// source is not a control of the dialog.
std::optional<std::size_t> DuplicateDesignControl(TEnhanceFormDialog& dialog, std::size_t source, int grid);

// Removes the controls; the others keep their tab order, renumbered without gaps.
void DeleteDesignControls(TEnhanceFormDialog& dialog, std::vector<std::size_t> controls);

}  // namespace tw
