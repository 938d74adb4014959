// Writing the enhanced definition of the current window and controls.

#include <algorithm>

#include "dialogs/definition_text.h"
#include "dialogs/enhance_form_dialog.h"

namespace tw {

namespace {

constexpr std::size_t kLineLimit = 75;

std::string Quoted(std::string_view text) { return "\"" + EncodeEscapes(text) + "\""; }

std::string FontFields(const DialogFont& font) {
  return Quoted(font.Name) + "," + std::to_string(font.Size) + "," + font.StyleLetters();
}

std::string Flag(bool on) { return on ? "1" : "0"; }

// -1 and -2 in a position field mean "as the previous control" and "after it", so a control that relative
// placement put at -1 or -2 is written at 0: read back, it must not move again.
std::string Position(int at) { return std::to_string(at == -1 || at == -2 ? 0 : at); }

std::string Items(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += item + ";";
  return text;
}

// The fields after the focus flag up to the opening quote of the line's text, and that text.
struct KindFields {
  std::string Fields;
  std::string Text;
};

KindFields FieldsOf(const DialogControl& control, const DialogFont& dialogFont) {
  const std::string font = FontFields(control.EffectiveFont(dialogFont)) + ",";
  switch (control.Kind) {
    case ControlKind::Button: return {font + "0,0,0,", control.Text};
    case ControlKind::ComboBox:
    case ControlKind::ListBox: return {font + "0,0,0,", Items(control.Items)};
    case ControlKind::CheckBox:
    case ControlKind::Radio: return {font + Flag(control.Checked) + ",0,0,", control.Text};
    case ControlKind::Edit:
      return {font + "0," + Flag(control.Password) + "," + std::to_string(control.MaxLength) + ",", control.Text};
    case ControlKind::Label:
      return {font + std::to_string(control.Alignment) + "," + Flag(control.WordWrap) + ",0,", control.Text};
    case ControlKind::Memo:
      return {font + std::to_string(control.Alignment) + "," + Flag(control.WordWrap) + "," +
                  std::to_string(control.MaxLength) + ",",
              control.Text};
    case ControlKind::Image:
      return {"\"\",0,0," + std::to_string(control.ImageIndex) + "," + Flag(control.Stretch) + ",0,0,",
              control.FileName};
    case ControlKind::Shape:
      return {"\"\"," + std::to_string(static_cast<int>(control.Shape)) + "," + std::to_string(control.PenWidth) + "," +
                  std::to_string(control.PenColour) + "," + std::to_string(control.BrushColour) + ",0,",
              ""};
    case ControlKind::Countdown: break;
  }
  return {};
}

// A long line is split inside its final quoted text, which starts at `quote`: each piece but the last ends
// with `">>` and the next starts with `"`, so the reader joins the text again. A piece ends after the last
// blank or semicolon within the first 76 characters, else after 75 characters, and always holds at least
// one character of the text; a line that cannot be split that way is written whole.
void AppendSplit(std::vector<std::string>& lines, std::string line, std::size_t quote) {
  while (line.size() > kLineLimit) {
    std::size_t end = 0;  // index of the piece's last character
    for (std::size_t i = kLineLimit; i > quote; --i)
      if (line[i] == ' ' || line[i] == ';') {
        end = i;
        break;
      }
    if (end == 0) {
      if (kLineLimit - 1 <= quote) break;
      end = kLineLimit - 1;
      // Not inside a character of several bytes.
      while (end > quote + 1 && (static_cast<unsigned char>(line[end + 1]) & 0xC0) == 0x80) --end;
    }
    lines.push_back(line.substr(0, end + 1) + "\">>");
    line = "\"" + line.substr(end + 1);
    quote = 0;
  }
  lines.push_back(std::move(line));
}

}  // namespace

void TEnhanceFormDialog::WriteDefinition() {
  Definition.clear();
  const DialogWindow& window = Window;
  Definition.push_back("WINDOW," + std::to_string(window.Frame.left) + "," + std::to_string(window.Frame.top) + "," +
                       std::to_string(window.Frame.width) + "," + std::to_string(window.Frame.height) + "," +
                       std::to_string(window.PositionMode) + "," + FontFields(window.Font) + "," +
                       Quoted(window.Caption));
  Definition.push_back("WINDOW1," + TimeoutText(window.TimeoutMs) + "," + ColourText(window.Colour));

  const auto lineStart = [](const DialogControl& control) {
    return control.Name + "," + Position(control.Bounds.left) + "," + Position(control.Bounds.top) + "," +
           std::to_string(control.Bounds.width) + "," + std::to_string(control.Bounds.height) + "," +
           Flag(control.Focus) + ",";
  };
  // Controls that cannot take focus first, in creation order: their lines are never split.
  std::vector<const DialogControl*> focusable;
  for (const DialogControl& control : Controls) {
    if (control.Kind == ControlKind::Countdown) continue;  // a timer has no line of its own
    if (Focusable(control)) {
      focusable.push_back(&control);
      continue;
    }
    const KindFields fields = FieldsOf(control, window.Font);
    Definition.push_back(lineStart(control) + fields.Fields + Quoted(fields.Text));
  }
  // Then the others in tab order, so that reading the lines back creates them in that order.
  std::stable_sort(focusable.begin(), focusable.end(),
                   [](const DialogControl* a, const DialogControl* b) { return a->TabOrder < b->TabOrder; });
  for (const DialogControl* control : focusable) {
    const KindFields fields = FieldsOf(*control, window.Font);
    std::string line = lineStart(*control) + fields.Fields;
    const std::size_t quote = line.size();
    AppendSplit(Definition, line + Quoted(fields.Text), quote);
  }
}

}  // namespace tw
