#include "dialogs/dialog_control.h"

#include "text/ascii_text.h"

namespace tw {

std::optional<ControlKind> EnhancedKind(char letter) {
  switch (letter) {
    case 'B': return ControlKind::Button;
    case 'C': return ControlKind::CheckBox;
    case 'E': return ControlKind::Edit;
    case 'H': return ControlKind::Shape;
    case 'I': return ControlKind::Image;
    case 'L': return ControlKind::Label;
    case 'M': return ControlKind::Memo;
    case 'O': return ControlKind::ComboBox;
    case 'R': return ControlKind::Radio;
    case 'S': return ControlKind::ListBox;
    default: return std::nullopt;
  }
}

bool TakesFocus(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::Edit:
    case ControlKind::Memo:
    case ControlKind::ComboBox:
    case ControlKind::Radio:
    case ControlKind::ListBox:
      return true;
    default:
      return false;
  }
}

std::string DialogFont::StyleLetters() const {
  std::string letters;
  if (Bold) letters += 'B';
  if (Italic) letters += 'I';
  if (Underline) letters += 'U';
  if (StrikeOut) letters += 'S';
  return letters.empty() ? "N" : letters;
}

void DialogFont::SetStyleLetters(std::string_view letters) {
  const std::string upper = UpperAscii(letters);
  Bold = upper.find('B') != std::string::npos;
  Italic = upper.find('I') != std::string::npos;
  Underline = upper.find('U') != std::string::npos;
  StrikeOut = upper.find('S') != std::string::npos;
}

}  // namespace tw
