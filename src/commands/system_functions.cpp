// The functions that belong to no other group: feedback, getparam, ostype, isnum, playmedia,
// explore, dayofweek, bom and eom.

#include "commands/calendar.h"
#include "commands/tarnwick_basic.h"
#include "interpreter/builtins.h"
#include "interpreter/locale/datetime.h"
#include "interpreter/number_text.h"

namespace tw {

namespace {

void Feedback(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  if (!library.CheckMode) result = ScriptValue::Integer(library.LastPromptOK ? 1 : 0);
}

void GetParam(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue index(library.ReadArgument());
  if (library.CheckMode) return;
  std::int32_t n = 0;
  if (!IntegerArgument(library, index, n)) return;
  const std::vector<std::string> arguments =
      library.ScriptCommandLine ? *library.ScriptCommandLine : library.Desktop.systemInfo().programArguments();
  if (n >= 0 && static_cast<std::size_t>(n) < arguments.size()) result = ScriptValue(arguments[static_cast<std::size_t>(n)]);
}

// Only the Windows families have numbers of their own.
void OsType(TTarnwickBasic&, ScriptValue& result) { result = ScriptValue::Integer(0); }

void IsNum(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const std::string text = library.ReadArgument();
  if (library.CheckMode) return;
  result = ScriptValue::Integer(ParseReal(text) ? 1 : 0);
}

void PlayMedia(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string file = library.ReadArgument();
  if (library.CheckMode) return;
  result = ScriptValue::Integer(library.Desktop.media().play(file) ? 1 : 0);
}

void Explore(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string target = library.ReadArgument();
  if (library.CheckMode) return;
  result = ScriptValue::Integer(library.Desktop.processes().open(target).started ? 1 : 0);
}

void DayOfWeek(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue date = library.ReadOptionalArgument(ScriptValue(""));
  if (library.CheckMode) return;
  const std::string text = date.ToText();
  double value = nowAsDateTime();
  if (!text.empty()) {
    auto parsed = parseDateTime(text);
    if (!parsed || !isDateTimeInRange(*parsed)) {
      library.ScriptError("Invalid Value");
      return;
    }
    value = *parsed;
  }
  result = ScriptValue::Integer(dayOfWeek(value));
}

void Boundary(TTarnwickBasic& library, ScriptValue& result, bool lastDay) {
  result = ScriptValue("");
  const ScriptValue digitsText = library.ReadOptionalArgument(ScriptValue::Integer(lastDay ? 4 : 2));
  if (library.CheckMode) return;
  std::int32_t digits = 0;
  if (!IntegerArgument(library, digitsText, digits)) return;
  auto text = MonthBoundary(nowAsDateTime(), lastDay, digits);
  if (!text) {
    library.ScriptError("Invalid Value");
    return;
  }
  result = ScriptValue(*text);
}

void Bom(TTarnwickBasic& library, ScriptValue& result) { Boundary(library, result, false); }
void Eom(TTarnwickBasic& library, ScriptValue& result) { Boundary(library, result, true); }

}  // namespace

void AddSystemFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("feedback", Feedback);
  handlers.AddFunction("getparam", GetParam);
  handlers.AddFunction("ostype", OsType);
  handlers.AddFunction("isnum", IsNum);
  handlers.AddFunction("playmedia", PlayMedia);
  handlers.AddFunction("explore", Explore);
  handlers.AddFunction("dayofweek", DayOfWeek);
  handlers.AddFunction("bom", Bom);
  handlers.AddFunction("eom", Eom);
}

}  // namespace tw
