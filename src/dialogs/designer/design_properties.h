#pragma once
// The values the property form edits, taken from a control or the dialog and stored back. Every value is
// checked before anything is stored, so a refused value leaves the control exactly as it was.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "dialogs/designer/design_selection.h"
#include "dialogs/enhance_form_dialog.h"

namespace tw {

// The page of the property form that edits a control of the kind.
enum class PropertyPage { Components, Dialog, Image, Shape };
PropertyPage PropertyPageFor(ControlKind kind);

// What the property form edits: the control the popup menu was opened on; opened on the surface, the last
// selected control; with nothing selected, the dialog itself (nothing).
std::optional<std::size_t> PropertiesTarget(const DesignSelection& selection, std::optional<std::size_t> menuOn);

// Which of the Components page's fields apply to a kind.
struct ComponentFields {
  bool Checked = false;    // check boxes and radio buttons
  bool WordWrap = false;   // labels and memos
  bool Alignment = false;  // labels and memos
  bool Password = false;   // edit boxes
  bool MaxLength = false;  // edit boxes and memos
};
ComponentFields ComponentFieldsOf(ControlKind kind);

struct ControlProperties {
  // The whole name; the form shows its first letter, the kind, as a fixed prefix.
  std::string Name;
  bool Focused = false;
  // Caption or text; the items of lists with ';' between them.
  std::string Text;
  bool Checked = false;
  bool WordWrap = false;
  int Alignment = 0;
  bool Password = false;
  std::string MaxLength = "0";
  DialogFont Font;  // the font the control shows
  // Images.
  std::string FileName;
  int ImageIndex = 0;
  bool Stretch = false;
  // Shapes.
  int Shape = 0;
  std::int32_t PenColour = 0;
  std::string PenWidth = "1";
};

struct DialogProperties {
  std::string Caption;
  DialogFont Font;
  std::string Timeout;  // seconds; a text that is no number means no timeout
  std::int32_t Colour = kClBtnFace;
  int PositionMode = 0;
};

ControlProperties PropertiesOf(const TEnhanceFormDialog& dialog, std::size_t control);
DialogProperties PropertiesOf(const TEnhanceFormDialog& dialog);

// Stores what applies to the control's kind. Nothing is stored, and the answer is the message to show, when
// the name is not a name of the control's kind (a letter or underscore, then letters, digits and underscores,
// beginning with the kind letter and longer than it) or another control has it (letter case ignored), when the
// maximum length or pen width is not a whole number, or when the image file exists but holds no picture.
std::optional<std::string> StoreProperties(TEnhanceFormDialog& dialog, std::size_t control,
                                           const ControlProperties& values);
void StoreProperties(TEnhanceFormDialog& dialog, const DialogProperties& values);

}  // namespace tw
