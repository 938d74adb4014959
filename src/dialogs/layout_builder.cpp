// Building a text-layout definition: fields in square brackets drawn on a grid of fixed-pitch characters become
// controls at the pixel position of their bracket. Columns count characters, not bytes.

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "dialogs/enhance_form_dialog.h"
#include "interpreter/number_text.h"
#include "interpreter/script_host.h"
#include "text/ascii_text.h"
#include "text/utf8.h"

namespace tw {

namespace {

constexpr int kMarginPixels = 42;  // room on the left for the icon

// A field that cannot be built; the text goes into the error box.
class FieldError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// A button of a button row that cannot be built, by its name.
class ButtonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string Utf8(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) text::AppendUtf8(out, c);
  return out;
}

bool Blank(char32_t c) { return c <= U' '; }

std::u32string_view Trim(std::u32string_view text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
  return text;
}

std::u32string_view TrimLeft(std::u32string_view text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  return text;
}

char32_t Upper(char32_t c) { return c >= U'a' && c <= U'z' ? c - U'a' + U'A' : c; }

int Length(std::u32string_view text) { return static_cast<int>(text.size()); }

int Round(double value) { return RoundToInteger(value).value_or(0); }

}  // namespace

class LayoutBuilder {
 public:
  explicit LayoutBuilder(TEnhanceFormDialog& dialog) : dialog_(dialog), cw_(dialog.CharWidth), lh_(dialog.LineHeight) {}

  void Build() {
    int margin = INT_MAX;
    int longest = 0;
    for (const std::string& line : dialog_.Definition) {
      const std::u32string decoded = text::DecodeUtf8OrWindows1252(line);
      const std::size_t bracket = decoded.find(U'[');
      if (bracket != std::u32string::npos) margin = std::min(margin, static_cast<int>(bracket));
      longest = std::max(longest, Length(decoded));
      text_ += decoded;
      text_ += U'\n';  // each line is followed by a line break, the last one too
    }
    margin_ = margin == INT_MAX ? 0 : margin;

    std::size_t at = 0;
    while (!Trim(std::u32string_view(text_).substr(at)).empty()) {
      std::size_t open = 0;
      for (;;) {
        open = text_.find(U'[', at);
        if (open == std::u32string::npos) return Finish(longest);
        const std::size_t lineBreak = text_.find(U'\n', at);
        if (lineBreak == std::u32string::npos || lineBreak > open) break;
        at = lineBreak + 1;
        ++row_;
        column_ = 0;
      }
      column_ += static_cast<int>(open - at);
      const std::size_t close = text_.find(U']', open + 1);
      if (close == std::u32string::npos) break;  // a "[" without "]": building ends here
      at = close + 1;
      BuildField(std::u32string_view(text_).substr(open + 1, close - open - 1));
    }
    Finish(longest);
  }

 private:
  struct Parts {
    char32_t kind = 0;
    char32_t written = 0;     // the field's very first character, which decides bold type
    std::u32string_view name;  // before the colon (the whole field after leading blanks when there is none)
    std::u32string_view text;  // after the colon, untrimmed
  };

  static Parts Split(std::u32string_view field) {
    Parts parts;
    parts.written = field.empty() ? 0 : field.front();
    const std::u32string_view body = TrimLeft(field);
    parts.kind = body.empty() ? 0 : Upper(body.front());
    const std::size_t colon = body.find(U':');
    parts.name = body.substr(0, colon);
    if (colon != std::u32string_view::npos) parts.text = body.substr(colon + 1);
    return parts;
  }

  int Left() const { return (column_ - margin_) * cw_ + kMarginPixels; }
  int LabelTop() const { return Round(row_ * lh_ + 0.2 * lh_) + 4; }

  DialogFont BoldFont(bool bold) const {
    DialogFont font = dialog_.Window.Font;
    font.Bold = bold;
    return font;
  }

  DialogControl& Add(DialogControl control) {
    if (!IsControlName(control.Name)) throw FieldError("\"" + control.Name + "\" is not a valid control name");
    if (dialog_.FindControl(control.Name)) throw FieldError("A control named " + control.Name + " already exists");
    return dialog_.AddControl(std::move(control));
  }

  // Takes a leading "^" off the text; true when there was one.
  static bool TakeMark(std::u32string_view& text) {
    if (text.empty() || text.front() != U'^') return false;
    text.remove_prefix(1);
    return true;
  }

  void BuildField(std::u32string_view field) {
    const Parts parts = Split(field);
    const int cells = Length(field) + 2;
    int advance = cells;
    switch (parts.kind) {
      case U'B': BuildButtons(field); break;
      case U'C':
      case U'R': BuildChoice(parts, cells); break;
      case U'E':
      case U'P': BuildEdit(parts, cells); break;
      case U'L': advance = BuildLabel(parts); break;
      case U'M': BuildMemo(parts, cells); break;
      case U'T': BuildCountdown(parts, cells); break;
      default: break;  // any other letter makes no control
    }
    // A field other than a label that runs over several lines still ends on a later row: keep the rows below in
    // step with the drawing.
    if (parts.kind != U'L') {
      const std::size_t lastBreak = field.rfind(U'\n');
      if (lastBreak != std::u32string_view::npos) {
        row_ += static_cast<int>(std::count(field.begin(), field.end(), U'\n'));
        column_ = Length(field.substr(lastBreak + 1)) + 1;
        return;
      }
    }
    column_ += advance;
  }

  void BuildChoice(const Parts& parts, int cells) {
    DialogControl control;
    control.Kind = parts.kind == U'C' ? ControlKind::CheckBox : ControlKind::Radio;
    control.Name = Utf8(parts.name);
    std::u32string_view caption = parts.text;
    const bool checked = TakeMark(caption);
    control.Text = dialog_.Expand(Utf8(caption));
    control.Font = BoldFont(parts.written == parts.kind);
    const int height = dialog_.metrics_.DefaultSize(control.Kind, *control.Font).height;
    control.Bounds = {Left(), row_ * lh_ + 4, cells * cw_, height};
    Add(std::move(control));
    if (checked) {
      if (parts.kind == U'R')
        dialog_.CheckRadio(dialog_.Controls.size() - 1);
      else
        dialog_.Controls.back().Checked = true;
    }
  }

  void BuildEdit(const Parts& parts, int cells) {
    DialogControl control;
    control.Kind = ControlKind::Edit;
    control.Password = parts.kind == U'P';
    control.Name = Utf8(parts.name);
    std::u32string_view text = Trim(parts.text);
    control.Focus = TakeMark(text);
    control.Text = dialog_.Expand(Utf8(text));
    const int height = dialog_.metrics_.DefaultSize(ControlKind::Edit, dialog_.Window.Font).height;
    control.Bounds = {Left(), row_ * lh_ + 5, cells * cw_, height};
    Add(std::move(control));
  }

  // Returns the label's width in cells, by which the column moves on.
  int BuildLabel(const Parts& parts) {
    DialogControl control;
    control.Kind = ControlKind::Label;
    control.AutoName = true;
    control.Name = dialog_.NewControlName('L');
    control.Font = BoldFont(parts.written == U'L');
    const std::size_t firstBreak = parts.text.find(U'\n');
    const std::u32string_view first = parts.text.substr(0, firstBreak);
    std::string text = Utf8(first);
    int cells = Length(first) + 2;
    const int top = LabelTop();
    int height = lh_;
    std::u32string_view rest =
        firstBreak == std::u32string_view::npos ? std::u32string_view() : parts.text.substr(firstBreak + 1);
    while (!Trim(rest).empty()) {
      const std::size_t lineBreak = rest.find(U'\n');
      const std::u32string_view line = Trim(rest.substr(0, lineBreak));
      rest = lineBreak == std::u32string_view::npos ? std::u32string_view() : rest.substr(lineBreak + 1);
      text += "\r\n" + Utf8(line);
      height += lh_;
      cells = std::max(cells, Length(line) + 2);
      ++row_;
      column_ = 0;
    }
    // Blank lines before the "]" still belong to the drawing's rows.
    const auto blankLines = static_cast<int>(std::count(rest.begin(), rest.end(), U'\n'));
    if (blankLines > 0) {
      row_ += blankLines;
      column_ = 0;
    }
    control.Text = dialog_.Expand(text);
    control.Bounds = {Left(), top, cells * cw_, height};
    Add(std::move(control));
    return cells;
  }

  void BuildMemo(const Parts& parts, int cells) {
    const std::string name = UpperAscii(Utf8(Trim(parts.name)));
    std::u32string_view text = Trim(parts.text);
    const auto existing = dialog_.FindControl(name);
    if (existing && dialog_.Controls[*existing].Kind == ControlKind::Memo) {
      DialogControl& memo = dialog_.Controls[*existing];
      memo.Bounds.height += lh_ - 1;
      memo.Text += "\r\n" + dialog_.Expand(Utf8(text));
      memo.Scrolling = ScrollBars::Vertical;
      return;
    }
    DialogControl control;
    control.Kind = ControlKind::Memo;
    control.Name = name;
    control.Focus = TakeMark(text);
    control.Text = dialog_.Expand(Utf8(text));
    control.WordWrap = true;
    control.AcceptsTab = true;
    control.Bounds = {Left(), row_ * lh_ + 5, cells * cw_, lh_ - 1};
    Add(std::move(control));
  }

  void BuildCountdown(const Parts& parts, int cells) {
    if (counting_) return;  // only the first countdown of a dialog counts
    counting_ = true;
    DialogControl timer;
    timer.Kind = ControlKind::Countdown;
    timer.Name = Utf8(parts.name);
    Add(std::move(timer));
    DialogControl label;
    label.Kind = ControlKind::Label;
    label.Name = "TimerLabel";
    label.Font = BoldFont(parts.written == U'T');
    label.Text = dialog_.Expand(Utf8(parts.text));
    label.Bounds = {Left(), LabelTop(), cells * cw_, lh_};
    Add(std::move(label));
  }

  void BuildButtons(std::u32string_view field) {
    std::vector<std::u32string_view> items;
    for (std::size_t at = 0;;) {
      const std::size_t comma = field.find(U',', at);
      items.push_back(field.substr(at, comma == std::u32string_view::npos ? std::u32string_view::npos : comma - at));
      if (comma == std::u32string_view::npos) break;
      at = comma + 1;
    }
    const int n = static_cast<int>(items.size());
    const int w = Length(field) + 2;
    const int half = cw_ / 2;
    const int width = n <= 1 ? cw_ * w : Round(static_cast<double>(cw_) * w / n + static_cast<double>(half) / n) - half;
    int left = (column_ - margin_) * cw_ + kMarginPixels;
    const int top = row_ * lh_ + 4;
    for (std::u32string_view item : items) {
      const std::size_t colon = item.find(U':');
      const std::u32string_view name = Trim(item.substr(0, colon));
      std::u32string_view caption =
          colon == std::u32string_view::npos ? std::u32string_view() : Trim(item.substr(colon + 1));
      DialogControl button;
      button.Kind = ControlKind::Button;
      button.Name = Utf8(name);
      if (!IsControlName(button.Name) || dialog_.FindControl(button.Name)) throw ButtonError(button.Name);
      if (!name.empty() && name.front() == U'B') button.Font = BoldFont(true);
      button.DefaultButton = TakeMark(caption);
      button.Text = dialog_.Expand(Utf8(caption));
      button.Bounds = {left, top, width, lh_};
      dialog_.AddControl(std::move(button));
      left += width + half;
    }
  }

  void Finish(int longest) {
    DialogWindow& window = dialog_.Window;
    const FrameMargins frame = dialog_.metrics_.WindowFrame();
    window.ClientWidth.reset();
    window.ClientHeight.reset();
    if (dialog_.WidthOverride > 0) {
      window.Frame.width = dialog_.WidthOverride;
    } else {
      window.ClientWidth = cw_ * (longest + 3) + kMarginPixels;
      window.Frame.width = *window.ClientWidth + frame.Left + frame.Right;
    }
    if (dialog_.HeightOverride > 0) {
      window.Frame.height = dialog_.HeightOverride;
    } else {
      window.ClientHeight = static_cast<int>(dialog_.Definition.size()) * lh_ + 14;
      window.Frame.height = *window.ClientHeight + frame.Top + frame.Bottom;
    }
    // A text layout always shows centred on the primary screen.
    const port::Point centre = dialog_.CentredPosition(true);
    window.Frame.left = centre.x;
    window.Frame.top = centre.y;
  }

  TEnhanceFormDialog& dialog_;
  const int cw_;
  const int lh_;
  std::u32string text_;
  int margin_ = 0;
  int row_ = 0;
  int column_ = 0;
  bool counting_ = false;
};

bool TEnhanceFormDialog::BuildLayout() {
  Window.PositionMode = 0;
  Window.DesignMode = false;
  Window.Font = DialogFont{"Courier New", 10};
  Window.Colour = kClBtnFace;
  try {
    LayoutBuilder(*this).Build();
  } catch (const FieldError& failure) {
    host_.ShowErrorBox("#Dialog Script Error: \"" + std::string(failure.what()) + "\"");
    ClearControls();
    return false;
  } catch (const ButtonError& failure) {
    host_.ShowErrorBox("Error Creating Dialog Buttons: " + std::string(failure.what()));
    ClearControls();
    return false;
  }
  // Picture 1 of the built-in list, as every text layout shows.
  return BuildEnhanced("I,5,5,32,32,0,\"\",0,1,1,0,\"\"", false, false);
}

std::optional<std::vector<ConversionChange>> TEnhanceFormDialog::ConvertLayoutDefinition() {
  ClearControls();
  expandTexts_ = false;  // placeholders stay for the run to fill in
  const bool built = BuildLayout();
  expandTexts_ = true;
  if (!built) return std::nullopt;

  std::vector<ConversionChange> changes;
  // The enhanced format has no countdown: its seconds become the dialog's timeout, which closes it as well.
  const auto timer = std::find_if(Controls.begin(), Controls.end(),
                                  [](const DialogControl& c) { return c.Kind == ControlKind::Countdown; });
  if (timer != Controls.end()) {
    const auto label = CountdownLabel();
    const int seconds = label ? ParseInteger(Controls[*label].Text).value_or(10) : 10;
    Window.TimeoutMs = std::clamp(seconds, 0, INT_MAX / 1000) * 1000;
    changes.push_back({ConversionChange::Kind::CountdownBecameTimeout, timer->Name, ""});
    Controls.erase(std::remove_if(Controls.begin(), Controls.end(),
                                  [](const DialogControl& c) {
                                    return c.Kind == ControlKind::Countdown || c.Name == "TimerLabel";
                                  }),
                   Controls.end());
  }
  // The enhanced reader takes a control's kind from the first letter of its name, and names a control of a
  // one-letter name anew: such controls get the name that reads back as themselves.
  for (DialogControl& control : Controls) {
    const char letter = static_cast<char>(control.Kind);
    if (control.Name.size() >= 2 && UpperAscii(control.Name.substr(0, 1))[0] == letter) continue;
    std::string name = letter + UpperAscii(control.Name);
    if (FindControl(name)) name = NewControlName(letter);
    changes.push_back({ConversionChange::Kind::Renamed, control.Name, name});
    control.Name = name;
  }
  WriteDefinition();
  ClearControls();
  return changes;
}

}  // namespace tw
