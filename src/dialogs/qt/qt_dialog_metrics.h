#pragma once
// Dialog measures as Qt draws: text in the fonts DialogQFont makes, the application's screens, and the window
// frame as the last dialog shown found it (the window manager tells only once a window is on the screen).

#include "dialogs/dialog_metrics.h"

namespace tw {

class QtDialogMetrics : public DialogMetrics {
 public:
  port::Size TextExtent(const DialogFont& font, std::string_view text) const override;
  FrameMargins WindowFrame() const override;
  std::vector<port::Rect> Screens() const override;
  bool PictureLoads(const std::string& file) const override;

  // What a dialog on the screen found its frame to be.
  static void RememberFrame(const FrameMargins& frame);
};

}  // namespace tw
