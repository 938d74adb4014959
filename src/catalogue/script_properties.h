#pragma once
// What the script properties dialog shows and keeps, without widgets: a script header taken into the
// dialog's values, the rules its edits follow while the user works, and the values stored back into the
// header on OK. The dialog (qt/script_form.h) only moves these values to and from its controls.

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/script_header.h"
#include "port/hotkeys.h"

namespace tw {

// The items of the "Application Type:" and unit drop-downs, in their order.
inline constexpr std::string_view kApplicationTypes[] = {"Windows", "DOS", ""};
inline constexpr std::string_view kScheduleUnits[] = {"Minute", "Hour", "Day", "Week", "Month"};

inline constexpr int kDescriptionLimit = 200;  // characters of the description edit
inline constexpr int kTimeoutLeast = 10, kTimeoutMost = 99999, kTimeoutShownInstead = 60;
inline constexpr int kScheduleCountLeast = 1, kScheduleCountMost = 356;

// The values of the dialog's controls.
struct ScriptFormValues {
  std::string description;  // the description edit's text
  std::string command;
  std::string path;
  std::string title;
  std::optional<int> appType;  // index into kApplicationTypes; nothing when no item is selected
  port::KeyCombination hotKey;
  bool autoClose = true;
  int timeout = kTimeoutShownInstead;  // the hidden "Wait Timeout:" spin

  bool enableSchedule = false;
  bool onlyOnce = false;
  bool every = false;
  int scheduleCount = 1;
  std::optional<int> scheduleUnit;  // index into kScheduleUnits
  double startDate = 0;             // the date picker's day (a date-time number; its fraction is ignored)
  double startTime = 0;             // the time picker's time of day (its whole part is ignored)
};

// The controls filled from a header: drop-downs select the item equal to the stored text without regard to
// letter case (none when no item is), the hotkey text is read as the hotkey table reads it, "Only Once" is
// checked for run mode 1 and "Every" for 2, and the spins show their stored numbers brought into their range
// (a timeout they cannot show shows 60).
ScriptFormValues FillScriptForm(const TScriptHeader& header);

// Stores the controls back over `header` (the header the dialog was opened on). Nothing is changed and the
// message for the user comes back when a drop-down has no selection.
//
// A blank description keeps the one the header had; line breaks in any text become blanks, so that no value
// can end the header early and leave the rest of its line to run as script. A blank path becomes the folder
// of the command, or the home folder when that is blank too. The timeout is stored only when the spin no
// longer shows what FillScriptForm gave it (the spin is hidden, so a timeout it cannot show stays as stored).
// The run mode keeps its value when neither radio button is checked. The schedule start is the picker's date
// plus the time picker's time of day to the whole second.
std::optional<std::string> StoreScriptForm(const ScriptFormValues& values, TScriptHeader& header);

// The description edit left blank (after trimming) gets back the description the header had.
std::string DescriptionWhenLeft(std::string_view edited, std::string_view original);
// The path edit, blank after trimming, becomes the folder of `command`, or HomeFolder() when that is blank.
std::string PathWhenEntered(std::string_view path, std::string_view command);
// Text with every line break (CR LF, LF or CR) made one blank.
std::string OnOneLine(std::string_view text);

// The title a window picker gives to the title edit: nothing for the program's own task window.
std::optional<std::string> PickedTitle(std::string_view found);

// The hotkey capture: what a key press does to the control.
enum class HotKeyPress { Taken, Cleared, Refused };
// Backspace without a modifier clears; a key without a modifier, or with Shift alone, is refused; a press
// of a modifier alone, or of a key without a name in the hotkey text, is refused too.
HotKeyPress JudgeHotKeyPress(const port::KeyCombination& pressed);

}  // namespace tw
