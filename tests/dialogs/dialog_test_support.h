#pragma once
// A dialog object with fixed measures for tests: characters 8 pixels wide and lines 16 high at 10 points (so
// the text-layout grid is 8 x 26), a frame of 4 pixels with a 24-pixel caption, one 1024 x 768 screen.

#include <string>
#include <string_view>
#include <vector>

#include "dialogs/dialog_metrics.h"
#include "dialogs/enhance_form_dialog.h"
#include "support/recording_host.h"

namespace tw::test {

struct DialogFixture {
  DialogFixture() : dialog((host.Metrics = &metrics, host)) {}

  // Reads an enhanced definition as a script's dialog does (fitted, not in design mode).
  bool Read(std::string_view text, bool designMode = false) {
    dialog.Window.Font = {"Tahoma", 9};
    dialog.ClearControls();
    return dialog.BuildEnhanced(text, designMode, true);
  }
  // The lines WriteDefinition gives, joined with line breaks.
  std::string Written() {
    dialog.WriteDefinition();
    std::string text;
    for (const std::string& line : dialog.Definition) text += line + "\n";
    return text;
  }
  // Builds a text layout from its lines.
  bool Layout(std::vector<std::string> lines) {
    dialog.Definition = std::move(lines);
    dialog.ClearControls();
    return dialog.BuildLayout();
  }
  const DialogControl& Control(std::string_view name) {
    static const DialogControl none;
    const auto index = dialog.FindControl(name);
    return index ? dialog.Controls[*index] : none;
  }

  FixedDialogMetrics metrics;
  RecordingHost host;
  TEnhanceFormDialog dialog;
};

}  // namespace tw::test
