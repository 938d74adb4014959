// Reading an enhanced definition: a WINDOW line, a WINDOW1 line and one line per control with explicit or
// relative coordinates.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "dialogs/definition_text.h"
#include "dialogs/enhance_form_dialog.h"
#include "files/file_text.h"
#include "interpreter/script_host.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

// A failure while reading one line; it ends reading.
class DefinitionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The special position and size codes of control lines.
constexpr int kPrevious = -1;
constexpr int kBeside = -2;
constexpr int kDefaultSize = -3;  // and below

// Positions, sizes and font sizes are held to a range far beyond any screen, so that relative placement, the
// fitted window size and the layout arithmetic after reading can never overflow, whatever a definition says.
constexpr long long kCoordinateLimit = 1'000'000;

int Bounded(long long value) { return static_cast<int>(std::clamp(value, -kCoordinateLimit, kCoordinateLimit)); }

int Coordinate(std::string_view field, int fallback) { return Bounded(DefinitionInteger(field, fallback)); }

bool IsStretch(std::string_view field) {
  const std::string upper = UpperAscii(Trimmed(field));
  if (upper == "TRUE") return true;
  if (upper == "FALSE") return false;
  return DefinitionInteger(field, 0) != 0;
}

}  // namespace

class EnhancedReader {
 public:
  EnhancedReader(TEnhanceFormDialog& dialog, std::string_view text, bool designMode, bool fitToControls)
      : dialog_(dialog), lines_(SplitLines(text)), designMode_(designMode), fit_(fitToControls) {
    const int height = dialog.metrics_.TextExtent(dialog.Window.Font, "Tg").height;
    previous_ = {0, 0, 100, height + 2};
  }

  void Read() {
    dialog_.Window.DesignMode = designMode_;
    while (next_ < lines_.size()) {
      const std::string_view line = Trimmed(lines_[next_++]);
      ++dialog_.lineCounter_;
      if (line.empty() || line.front() == '\'') continue;
      FieldCursor fields(line);
      const std::string token = UpperAscii(fields.Next());
      if (token == "WINDOW")
        ReadWindowLine(fields);
      else if (token == "WINDOW1")
        ReadOptionsLine(fields);
      else
        ReadControlLine(token, fields);
    }
    Finish();
  }

 private:
  struct Placement {
    port::Rect rect;
    bool defaultWidth = false;
    bool defaultHeight = false;
  };

  // A quoted text: lines that follow a ">>" join it, escapes are decoded and |name| placeholders expanded.
  std::string Text(FieldCursor& fields) {
    FieldCursor::Quoted quoted = fields.NextQuoted();
    if (quoted.Text.empty()) return "";
    std::string text(quoted.Text);
    while (quoted.After.find(">>") != std::string_view::npos && next_ < lines_.size()) {
      FieldCursor continuation(Trimmed(lines_[next_++]));
      ++dialog_.lineCounter_;
      quoted = continuation.NextQuoted();
      text += quoted.Text;
    }
    return dialog_.Expand(DecodeEscapes(text));
  }

  // The three font fields; a font without a name leaves the dialog's font in force.
  std::optional<DialogFont> Font(FieldCursor& fields) {
    DialogFont font;
    font.Name = std::string(Trimmed(DecodeEscapes(fields.NextQuoted().Text)));
    font.Size = Coordinate(fields.Next(), 10);
    font.SetStyleLetters(fields.Next());
    if (font.Name.empty()) return std::nullopt;
    return font;
  }

  void ReadWindowLine(FieldCursor& fields) {
    DialogWindow& window = dialog_.Window;
    const int x = Coordinate(fields.Next(), 0);
    const int y = Coordinate(fields.Next(), 0);
    const int width = Coordinate(fields.Next(), 60);
    const int height = Coordinate(fields.Next(), 20);
    const int mode = DefinitionInteger(fields.Next(), 0);
    window.Frame = {x, y, width, height};
    window.ClientWidth.reset();
    window.ClientHeight.reset();
    window.PositionMode = mode == 1 || mode == 2 ? mode : 0;
    if (auto font = Font(fields)) window.Font = *font;
    window.Caption = Text(fields);
    fitWidth_ = width <= 0;
    fitHeight_ = height <= 0;
    // Centred without a size of its own: where that is depends on the size fitting gives it.
    centre_ = window.PositionMode == 1 || (window.PositionMode == 0 && (width <= 0 || height <= 0));
    dialog_.ControlGap = window.Font.Size / 2;
    sawWindow_ = true;
  }

  void ReadOptionsLine(FieldCursor& fields) {
    dialog_.Window.TimeoutMs = TimeoutMilliseconds(fields.Next());
    if (auto colour = ParseColour(fields.Next())) dialog_.Window.Colour = *colour;
  }

  Placement Place(FieldCursor& fields) {
    const int left = Coordinate(fields.Next(), kPrevious);
    const int top = Coordinate(fields.Next(), kPrevious);
    const int width = Coordinate(fields.Next(), kPrevious);
    const int height = Coordinate(fields.Next(), kPrevious);
    const long long gap = dialog_.ControlGap;
    Placement at;
    at.rect.left = left >= 0           ? left
                   : left == kPrevious ? previous_.left
                   : left == kBeside   ? Bounded(previous_.right() + gap)
                                       : left;
    at.rect.top = top >= 0           ? top
                  : top == kPrevious ? previous_.top
                  : top == kBeside   ? Bounded(previous_.bottom() + gap)
                                     : top;
    at.defaultWidth = width <= kDefaultSize;
    at.defaultHeight = height <= kDefaultSize;
    at.rect.width = width >= 0 ? width : at.defaultWidth ? 0 : previous_.width;
    at.rect.height = height >= 0 ? height : at.defaultHeight ? 0 : previous_.height;
    return at;
  }

  void ReadControlLine(const std::string& token, FieldCursor& fields) {
    Placement at = Place(fields);
    const std::optional<ControlKind> kind = token.empty() ? std::nullopt : EnhancedKind(token.front());
    if (!kind) {
      previous_ = at.rect;  // the line places nothing, but the next relative position starts from it
      return;
    }
    DialogControl control;
    control.Kind = *kind;
    control.AutoName = token.size() < 2;
    control.Name = control.AutoName ? dialog_.NewControlName(token.front()) : token;
    if (!IsControlName(control.Name)) throw DefinitionError("\"" + control.Name + "\" is not a valid control name");
    if (dialog_.FindControl(control.Name)) throw DefinitionError("A control named " + control.Name + " already exists");
    control.Focus = DefinitionFlag(fields.Next());
    ReadKindFields(control, fields);

    const port::Size standard = dialog_.metrics_.DefaultSize(control.Kind, control.EffectiveFont(dialog_.Window.Font));
    if (at.defaultWidth) at.rect.width = standard.width;
    if (at.defaultHeight) at.rect.height = standard.height;
    control.Bounds = at.rect;
    previous_ = at.rect;
    extentRight_ = std::max(extentRight_, at.rect.right());
    extentBottom_ = std::max(extentBottom_, at.rect.bottom());
    const bool checkedRadio = control.Kind == ControlKind::Radio && control.Checked;
    DialogControl& added = dialog_.AddControl(std::move(control));
    if (checkedRadio) dialog_.CheckRadio(dialog_.Controls.size() - 1);
    if (designMode_) dialog_.InitialSelection = added.Name;
  }

  void ReadKindFields(DialogControl& control, FieldCursor& fields) {
    switch (control.Kind) {
      case ControlKind::Button:
      case ControlKind::ComboBox:
      case ControlKind::ListBox:
        control.Font = Font(fields);
        for (int reserved = 0; reserved < 3; ++reserved) fields.Next();
        if (control.Kind == ControlKind::Button) {
          control.Text = Text(fields);
        } else {
          control.Items = SplitItems(Text(fields));
          control.Selected = control.Items.empty() ? -1 : 0;
        }
        break;
      case ControlKind::CheckBox:
      case ControlKind::Radio:
        control.Font = Font(fields);
        control.Checked = DefinitionFlag(fields.Next());
        fields.Next();
        fields.Next();
        control.Text = Text(fields);
        break;
      case ControlKind::Edit:
        control.Font = Font(fields);
        fields.Next();
        control.Password = fields.Next() == "1";
        control.MaxLength = std::max(DefinitionInteger(fields.Next(), 50), 0);
        control.Text = Text(fields);
        break;
      case ControlKind::Label:
        control.Font = Font(fields);
        control.Alignment = std::clamp(DefinitionInteger(fields.Next(), 0), 0, 2);
        control.WordWrap = DefinitionFlag(fields.Next());
        fields.Next();
        control.Text = Text(fields);
        break;
      case ControlKind::Memo:
        control.Font = Font(fields);
        // Memos show their text left-aligned at run time; the designer keeps the alignment so that saving
        // writes what the line said.
        if (const int alignment = DefinitionInteger(fields.Next(), 0); designMode_)
          control.Alignment = std::clamp(alignment, 0, 2);
        control.WordWrap = DefinitionFlag(fields.Next());
        control.MaxLength = std::max(DefinitionInteger(fields.Next(), 200), 0);
        control.Text = Text(fields);
        control.Scrolling = control.WordWrap ? ScrollBars::Vertical : ScrollBars::Both;
        break;
      case ControlKind::Shape: {
        fields.NextQuoted();
        const int shape = DefinitionInteger(fields.Next(), 0);
        control.Shape = shape >= 0 && shape <= 5 ? static_cast<ShapeKind>(shape) : ShapeKind::Rectangle;
        control.PenWidth = Coordinate(fields.Next(), 1);
        control.PenColour = ParseColour(fields.Next()).value_or(kClBlack);
        break;  // the brush colour and the rest are not read: shapes are drawn unfilled
      }
      case ControlKind::Image:
        fields.NextQuoted();
        fields.Next();
        fields.Next();
        control.ImageIndex = DefinitionInteger(fields.Next(), 0);
        control.Stretch = IsStretch(fields.Next());
        fields.Next();
        fields.Next();
        control.FileName = Text(fields);
        CheckPicture(control.FileName);
        break;
      case ControlKind::Countdown:
        break;
    }
  }

  // A file that is there must hold a picture; a missing one lets the built-in picture show instead.
  void CheckPicture(const std::string& file) {
    if (file.empty()) return;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return;
    if (!dialog_.metrics_.PictureLoads(file)) throw DefinitionError("Cannot load the picture " + file);
  }

  void Finish() {
    DialogWindow& window = dialog_.Window;
    const FrameMargins frame = dialog_.metrics_.WindowFrame();
    if (fit_ && fitWidth_) {
      window.ClientWidth = extentRight_;
      window.Frame.width = extentRight_ + frame.Left + frame.Right;
    }
    if (fit_ && fitHeight_) {
      window.ClientHeight = extentBottom_;
      window.Frame.height = extentBottom_ + frame.Top + frame.Bottom;
    }
    if (!sawWindow_) return;
    port::Point at = dialog_.CentredPosition(false);
    if (window.PositionMode == 2) {
      if (dialog_.positions_) {
        const std::string key = DialogPositionKey(window.Caption);
        const port::Point remembered{dialog_.positions_->Read(key + "_X").value_or(at.x),
                                     dialog_.positions_->Read(key + "_Y").value_or(at.y)};
        // A screen that has gone since takes its remembered positions with it.
        if (OnAScreen({remembered.x, remembered.y, window.Frame.width, window.Frame.height})) at = remembered;
      }
    } else if (!centre_) {
      return;  // at the line's own corner
    }
    window.Frame.left = at.x;
    window.Frame.top = at.y;
  }

  bool OnAScreen(const port::Rect& frame) const {
    const std::vector<port::Rect> screens = dialog_.metrics_.Screens();
    return std::any_of(screens.begin(), screens.end(), [&](const port::Rect& screen) {
      return frame.left < screen.right() && screen.left < frame.right() && frame.top < screen.bottom() &&
             screen.top < frame.bottom();
    });
  }

  TEnhanceFormDialog& dialog_;
  std::vector<std::string_view> lines_;
  std::size_t next_ = 0;
  bool designMode_;
  bool fit_;
  port::Rect previous_;
  int extentRight_ = 0;
  int extentBottom_ = 0;
  bool sawWindow_ = false;
  bool fitWidth_ = false;
  bool fitHeight_ = false;
  bool centre_ = false;
};

bool TEnhanceFormDialog::BuildEnhanced(std::string_view text, bool designMode, bool fitToControls) {
  try {
    EnhancedReader(*this, text, designMode, fitToControls).Read();
    return true;
  } catch (const DefinitionError& failure) {
    char line[32];
    std::snprintf(line, sizeof line, "%d", lineCounter_ + LineBase);
    host_.ShowErrorBox("Dialog Script Error: \"" + std::string(failure.what()) + "\" on Line: " + line);
    ClearControls();
    return false;
  }
}

}  // namespace tw
