#pragma once
// TEnhanceFormDialog: a script dialog. It reads a definition in either format into a window with controls,
// has the host show it, and answers what the user left in it. Everything here is plain state: a toolkit
// renders it, reports buttons, timer ticks and the values of the controls, and reads nothing else.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/dialog_control.h"
#include "dialogs/dialog_metrics.h"
#include "dialogs/dialog_positions.h"

namespace tw {

class ScriptHost;
class TBasicInterpreter;
class VariableTable;

// A control that a text layout names or builds in a way the enhanced format cannot keep, and what converting
// it made of it.
struct ConversionChange {
  enum class Kind {
    Renamed,                 // its name did not start with its enhanced kind letter: NewName now does
    CountdownBecameTimeout,  // the countdown's seconds became the dialog's timeout; the timer has no line
  };
  Kind What = Kind::Renamed;
  std::string Name;
  std::string NewName;
  friend bool operator==(const ConversionChange&, const ConversionChange&) = default;
};

class TEnhanceFormDialog {
 public:
  // Text is measured as the host's toolkit draws it; definition errors appear in the host's error boxes and
  // the host shows the dialog.
  explicit TEnhanceFormDialog(ScriptHost& host);
  TEnhanceFormDialog(const TEnhanceFormDialog&) = delete;
  TEnhanceFormDialog& operator=(const TEnhanceFormDialog&) = delete;

  // The text-layout grid, fixed at creation in the initial font Courier New 10: the width of "H", and the
  // height of "Wg" plus 0.6 of it.
  const int CharWidth;
  const int LineHeight;
  // Half the dialog font's size in points: the space that relative positions leave between controls.
  int ControlGap = 5;
  // Added to line numbers in definition error messages.
  int LineBase = 0;
  // The window size of text-layout dialogs, when greater than 0 (outer size).
  int WidthOverride = 0;
  int HeightOverride = 0;
  std::vector<std::string> Definition;

  DialogWindow Window;
  // Every control built from the definition, in creation order.
  std::vector<DialogControl> Controls;
  // Designer: the control named on the last control line read in design mode.
  std::string InitialSelection;

  // The script variables that ApplyVariables copies into controls (the interpreter's own variables), the
  // interpreter whose |name| placeholders texts expand, and where remembered positions live; each may be none.
  void SetVariableList(VariableTable* table) { variables_ = table; }
  void SetInterpreter(TBasicInterpreter* interpreter) { interpreter_ = interpreter; }
  void SetPositionStore(DialogPositionStore* store) { positions_ = store; }
  const DialogMetrics& Metrics() const { return metrics_; }

  // ---- Showing ------------------------------------------------------------------------------------------
  // False for an empty definition and when building fails; otherwise the dialog was shown and has closed.
  // A first line that begins with WINDOW (any letter case, blanks before it allowed) makes it an enhanced
  // definition, anything else a text layout.
  bool ShowDefinition();
  bool ShowEnhancedDialog();
  bool ShowLayoutDialog();

  // ---- The two formats ----------------------------------------------------------------------------------
  // Reads an enhanced definition into controls; a definition error is shown in an error box, the controls
  // built so far are freed, and the answer is false.
  bool BuildEnhanced(std::string_view text, bool designMode, bool fitToControls);
  // Builds the controls of a text layout from Definition (ClearControls first); false after an error box.
  bool BuildLayout();
  // Turns a text-layout Definition into the equivalent enhanced one, without expanding |name| placeholders,
  // and leaves no controls behind. The controls that the enhanced format could not keep as they were are
  // listed; nothing when building the layout failed (Definition is then unchanged).
  std::optional<std::vector<ConversionChange>> ConvertLayoutDefinition();
  // Replaces Definition with the enhanced lines of the current window and controls.
  void WriteDefinition();
  // The kind letter followed by the smallest number, not below the count of controls including the one to be
  // named, that no control uses yet.
  std::string NewControlName(char letter) const;

  // ---- Values -------------------------------------------------------------------------------------------
  // The value of the first control with that name (letter case ignored); empty text when there is none.
  std::string GetControlValue(std::string_view name) const;
  // Every control named like one of the script's own variables takes its value; buttons keep 0, and a value
  // the control cannot take leaves just that control alone.
  void ApplyVariables();
  // Frees every control, timers included, and switches the timeout off.
  void ClearControls();

  // ---- What the toolkit reports while the dialog is open -------------------------------------------------
  // The control pressed: its value becomes 1; the dialog closes.
  void PressButton(std::size_t index);
  // Checks a radio button and unchecks the others (all radio buttons of a dialog form one group).
  void CheckRadio(std::size_t index);
  // One second of the countdown: its label's number goes down by one; true when it has run out, the timer's
  // value then being 1 and the dialog to close.
  bool CountdownTick();
  // The countdown's label; nothing when the dialog has no countdown.
  std::optional<std::size_t> CountdownLabel() const;
  // The control to focus when the dialog opens: the last that can take focus and carries the focus flag.
  std::optional<std::size_t> InitialFocus() const;
  // The first control with the name (letter case ignored).
  std::optional<std::size_t> FindControl(std::string_view name) const;

  // Whether the control takes part in the tab order: the kinds that take focus, and in design mode the
  // labels too, which the designer shows as editable text.
  bool Focusable(const DialogControl& control) const;
  // The window's client size as the frame estimate gives it (the toolkit knows the real frame only once shown).
  port::Size ClientSize() const;

 private:
  friend class EnhancedReader;
  friend class LayoutBuilder;

  // A control added in creation order, with its tab order set.
  DialogControl& AddControl(DialogControl control);
  std::string Expand(std::string text) const;
  void ShowDialogWindow();
  // Centred on the primary screen: enhanced definitions halve the free space rounding down, text layouts to
  // the nearest pixel.
  port::Point CentredPosition(bool rounded) const;
  void RememberPosition();

  ScriptHost& host_;
  const DialogMetrics& metrics_;
  VariableTable* variables_ = nullptr;
  TBasicInterpreter* interpreter_ = nullptr;
  DialogPositionStore* positions_ = nullptr;
  bool expandTexts_ = true;  // off while converting
  int lineCounter_ = 0;
};

// The format of a definition: a first line that begins with WINDOW (any letter case, blanks before it allowed)
// makes it an enhanced definition, anything else a text layout.
bool IsEnhancedDefinition(const std::vector<std::string>& definition);

// Whether a name follows the identifier rules of control names: a letter or underscore, then letters, digits
// and underscores.
bool IsControlName(std::string_view name);

}  // namespace tw
