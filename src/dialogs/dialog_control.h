#pragma once
// The window and the controls of a script dialog as plain data: what the two definition formats read and
// write, what a toolkit renders, and what a script reads back after the dialog has closed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/dialog_colours.h"
#include "port/geometry.h"

namespace tw {

// The letters are those of the enhanced format; the countdown timer exists only in text-layout dialogs.
enum class ControlKind : char {
  Button = 'B',
  CheckBox = 'C',
  Edit = 'E',
  Shape = 'H',
  Image = 'I',
  Label = 'L',
  Memo = 'M',
  ComboBox = 'O',  // a drop-down list to choose from, no typing
  Radio = 'R',
  ListBox = 'S',
  Countdown = 'T',  // the timer of a countdown: no window, a value that becomes 1 when it runs out
};

// The kind an enhanced control line names with its first letter (upper case); nothing for other letters.
std::optional<ControlKind> EnhancedKind(char letter);
// Buttons, check boxes, edit boxes, memos, lists and radio buttons can take the keyboard focus.
bool TakesFocus(ControlKind kind);

struct DialogFont {
  std::string Name;
  int Size = 10;  // points
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;

  // "BIUS" in that order for the styles that are on, "N" for none.
  std::string StyleLetters() const;
  // Each of B, I, U, S anywhere in the text (any letter case) switches its style on; the others go off.
  void SetStyleLetters(std::string_view letters);
  friend bool operator==(const DialogFont&, const DialogFont&) = default;
};

enum class ScrollBars : std::uint8_t { None, Vertical, Both };

enum class ShapeKind : int { Rectangle = 0, Square, RoundRect, RoundSquare, Ellipse, Circle };

struct DialogControl {
  ControlKind Kind = ControlKind::Label;
  std::string Name;           // as built: upper case from enhanced lines, as written in text layouts
  port::Rect Bounds;          // in the client area
  std::optional<DialogFont> Font;  // none: the dialog's font
  bool Focus = false;         // the focus flag of its line (honoured only for controls that take focus)
  int TabOrder = 0;           // among the controls that take focus; creation order unless the designer changes it

  std::string Text;                // caption or text; lines separated by CR LF
  std::vector<std::string> Items;  // drop-down lists and list boxes
  int Selected = -1;               // the selected item, -1 for none
  bool Checked = false;            // check boxes and radio buttons
  bool Password = false;           // edit boxes: typing shows '*'
  int MaxLength = 0;               // edit boxes and memos: 0 for no limit on typing
  int Alignment = 0;               // labels and memos: 0 left, 1 right, 2 centred
  bool WordWrap = false;           // labels and memos
  ScrollBars Scrolling = ScrollBars::None;  // memos
  bool AcceptsTab = false;         // memos of text layouts take Tab as text
  bool DefaultButton = false;      // pressed by Enter
  bool AutoName = false;           // named by NewControlName rather than by its definition

  ShapeKind Shape = ShapeKind::Rectangle;
  int PenWidth = 1;
  std::int32_t PenColour = 0;
  std::int32_t BrushColour = kClWhite;  // written, never read: shapes are drawn unfilled

  int ImageIndex = 0;    // picture of the built-in list, shown when FileName names no file
  bool Stretch = false;
  std::string FileName;

  std::int32_t Value = 0;  // buttons (1 once pressed), images, shapes, the countdown timer (1 once run out)

  // The font the control is drawn in.
  const DialogFont& EffectiveFont(const DialogFont& dialogFont) const { return Font ? *Font : dialogFont; }
};

struct DialogWindow {
  std::string Caption = "Enhance Form";
  DialogFont Font{"Courier New", 10};
  std::int32_t Colour = kClBtnFace;
  // The outer rectangle on the screen, frame and caption included.
  port::Rect Frame{0, 0, 60, 20};
  // The client width and height a text layout or a fitted enhanced definition asks for. A side given this way
  // decides the window's size on that side; Frame's size there is only an estimate until the window is shown
  // and its real frame is known.
  std::optional<int> ClientWidth;
  std::optional<int> ClientHeight;
  int PositionMode = 0;  // 0 at Frame's corner (centred without a size), 1 centred, 2 where it was last closed
  int TimeoutMs = 0;     // closes by itself after this long; 0 for never
  bool DesignMode = false;
};

}  // namespace tw
