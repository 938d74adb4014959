#include "catalogue/script_properties.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "catalogue/hotkey_text.h"
#include "files/system_folders.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

std::optional<int> ItemEqualTo(std::span<const std::string_view> items, std::string_view text) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (EqualsIgnoringAsciiCase(items[i], text)) return static_cast<int>(i);
  return std::nullopt;
}

int ShownTimeout(int stored) {
  return stored >= kTimeoutLeast && stored <= kTimeoutMost ? stored : kTimeoutShownInstead;
}

int ShownCount(int stored) { return std::clamp(stored, kScheduleCountLeast, kScheduleCountMost); }

// The date-time number of a day and a time of day, the time cut to the whole second.
double StartAt(double date, double time) {
  const double day = std::floor(date);
  const double seconds = std::floor((time - std::floor(time)) * 86400.0 + 0.0005);
  return day + std::min(seconds, 86399.0) / 86400.0;
}

}  // namespace

std::string OnOneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      line += ' ';
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += text[i];
    }
  }
  return line;
}

std::string DescriptionWhenLeft(std::string_view edited, std::string_view original) {
  return std::string(Trimmed(edited).empty() ? original : edited);
}

std::string PathWhenEntered(std::string_view path, std::string_view command) {
  if (!Trimmed(path).empty()) return std::string(path);
  const std::string_view folder = FolderPart(Trimmed(command));
  return folder.empty() ? HomeFolder() : std::string(folder);
}

std::optional<std::string> PickedTitle(std::string_view found) {
  if (found == "Task Information") return std::nullopt;
  return std::string(found);
}

HotKeyPress JudgeHotKeyPress(const port::KeyCombination& pressed) {
  using namespace port;
  if (pressed.key == keys::kBackspace && pressed.modifiers == 0) return HotKeyPress::Cleared;
  if (pressed.modifiers == 0 || pressed.modifiers == kShiftModifier) return HotKeyPress::Refused;
  // Shift, Control, Caps Lock, Meta, Alt, Super, Hyper (left and right), AltGr and Mode_switch.
  const bool modifierAlone = (pressed.key >= keys::kShift && pressed.key <= 0xffee) || pressed.key == 0xfe03 ||
                             pressed.key == 0xff7e;
  if (modifierAlone) return HotKeyPress::Refused;
  return NameOfKey(pressed.key).empty() ? HotKeyPress::Refused : HotKeyPress::Taken;
}

ScriptFormValues FillScriptForm(const TScriptHeader& header) {
  ScriptFormValues values;
  values.description = header.description;
  values.command = header.command;
  values.path = header.path;
  values.title = header.title;
  values.appType = ItemEqualTo(kApplicationTypes, header.apptype);
  values.hotKey = ParseHotKey(header.hotkey);
  values.autoClose = header.autoclose;
  values.timeout = ShownTimeout(header.timeout);
  values.enableSchedule = header.enableschd;
  values.onlyOnce = header.runmode == 1;
  values.every = header.runmode == 2;
  values.scheduleCount = ShownCount(header.schdcount);
  values.scheduleUnit = ItemEqualTo(kScheduleUnits, header.schddwm);
  values.startDate = std::floor(header.schddatetime);
  values.startTime = header.schddatetime - std::floor(header.schddatetime);
  return values;
}

std::optional<std::string> StoreScriptForm(const ScriptFormValues& values, TScriptHeader& header) {
  if (!values.appType) return "Choose an Application Type.";
  if (!values.scheduleUnit) return "Choose the unit of the schedule interval.";

  header.description = OnOneLine(DescriptionWhenLeft(values.description, header.description));
  header.command = OnOneLine(values.command);
  header.path = OnOneLine(PathWhenEntered(values.path, header.command));
  header.title = OnOneLine(values.title);
  if (values.timeout != ShownTimeout(header.timeout)) header.timeout = values.timeout;
  header.autoclose = values.autoClose;
  header.apptype = std::string(kApplicationTypes[static_cast<std::size_t>(*values.appType)]);
  header.enableschd = values.enableSchedule;
  // A stored text that reads as the same combination stays as written (also one naming a key unknown here).
  if (!(values.hotKey == ParseHotKey(header.hotkey))) header.hotkey = HotKeyText(values.hotKey);
  if (values.onlyOnce)
    header.runmode = 1;
  else if (values.every)
    header.runmode = 2;
  if (values.scheduleCount != ShownCount(header.schdcount)) header.schdcount = values.scheduleCount;
  header.schddwm = std::string(kScheduleUnits[static_cast<std::size_t>(*values.scheduleUnit)]);
  header.schddatetime = StartAt(values.startDate, values.startTime);
  return std::nullopt;
}

}  // namespace tw
