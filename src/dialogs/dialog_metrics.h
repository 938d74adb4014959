#pragma once
// What building a dialog needs to know of the toolkit that will show it: how wide and high text is in a font,
// the frame the window manager adds, the screens, and whether a picture file loads. Each toolkit measures for
// itself; FixedDialogMetrics gives fixed, predictable answers for tests and for hosts that show no dialogs.

#include <string>
#include <string_view>
#include <vector>

#include "dialogs/dialog_control.h"
#include "port/geometry.h"

namespace tw {

struct FrameMargins {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const FrameMargins&, const FrameMargins&) = default;
};

class DialogMetrics {
 public:
  virtual ~DialogMetrics() = default;

  // The size of one line of text in the font, in pixels.
  virtual port::Size TextExtent(const DialogFont& font, std::string_view text) const = 0;
  // The frame and caption around a dialog's client area.
  virtual FrameMargins WindowFrame() const = 0;
  // The screens' rectangles, the primary screen first; never empty.
  virtual std::vector<port::Rect> Screens() const = 0;
  // False when the file exists but holds no picture the toolkit can show.
  virtual bool PictureLoads(const std::string& file) const = 0;

  // The size a control of the kind gets when its line asks for the default (a width or height of -3 or less):
  //   button 75 x 25; check box 97 and radio button 113 wide; edit box 121 and drop-down list 145 wide; label
  //   100 wide; memo 185 x 89; list box 121 x 97; shape 65 x 65; image 32 x 32 (the size of the pictures).
  //   Heights that depend on the font, with h the height of "Tg" in the control's font: check box and radio
  //   button the larger of 17 and h + 4, edit box and drop-down list h + 8, label h + 2.
  port::Size DefaultSize(ControlKind kind, const DialogFont& font) const;
};

// Measures of a fixed-pitch font whose cells scale with the point size: a character is CharWidth10 pixels wide
// and a line TextHeight10 high at 10 points.
class FixedDialogMetrics : public DialogMetrics {
 public:
  struct Settings {
    int CharWidth10 = 8;
    int TextHeight10 = 16;
    FrameMargins Frame{4, 24, 4, 4};
    std::vector<port::Rect> Screens{{0, 0, 1024, 768}};
  };
  FixedDialogMetrics() = default;
  explicit FixedDialogMetrics(Settings settings) : settings_(std::move(settings)) {}

  port::Size TextExtent(const DialogFont& font, std::string_view text) const override;
  FrameMargins WindowFrame() const override { return settings_.Frame; }
  std::vector<port::Rect> Screens() const override { return settings_.Screens; }
  bool PictureLoads(const std::string&) const override { return true; }

 private:
  Settings settings_;
};

// The measures of hosts that do not show dialogs themselves.
const DialogMetrics& StandardDialogMetrics();

}  // namespace tw
