// date, time, now, dtval and dtstr. Date-time numbers count days since 30 December 1899 with the
// time of day as the fraction. In the patterns "/" and ":" are the locale's date and time
// separators, and "mm" right after "hh" means minutes.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "interpreter/builtins.h"
#include "interpreter/interpreter.h"
#include "interpreter/locale/datetime.h"
#include "interpreter/locale/locale.h"

namespace tw {

namespace {

// Reads the optional format number and formats the current moment with the pattern it selects;
// pattern returns an empty view for a number it does not know ("Invalid Value").
template <typename Choose>
void FormatNow(TBasicInterpreter& in, ScriptValue& result, std::int32_t defaultFormat, Choose pattern) {
  result = ScriptValue("");
  const ScriptValue argument = in.ReadOptionalArgument(ScriptValue::Integer(defaultFormat));
  if (in.CheckMode) return;
  std::int32_t format = 0;
  if (!IntegerArgument(in, argument, format)) return;
  const Locale& locale = currentLocale();
  const std::string chosen(pattern(format, locale));
  if (chosen.empty()) {
    in.ScriptError("Invalid Value");
    return;
  }
  result = ScriptValue(formatDateTime(chosen, nowAsDateTime(), locale));
}

void Date(TBasicInterpreter& in, ScriptValue& result) {
  FormatNow(in, result, 1, [](std::int32_t format, const Locale& locale) -> std::string_view {
    switch (format) {
      case 1: return locale.shortDateFormat;
      case 2: return "mm/dd/yy";
      case 3: return locale.longDateFormat;
      case 4: return "mm/dd/yyyy";
      default: return {};
    }
  });
}

void Time(TBasicInterpreter& in, ScriptValue& result) {
  FormatNow(in, result, 1, [](std::int32_t format, const Locale&) -> std::string_view {
    switch (format) {
      case 1:
      case 12: return "hh:mmAM/PM";
      case 2:
      case 24: return "hh:mm:ss";
      default: return {};
    }
  });
}

void Now(TBasicInterpreter& in, ScriptValue& result) {
  FormatNow(in, result, 2, [](std::int32_t format, const Locale&) -> std::string_view {
    switch (format) {
      case 1: return "mm/dd/yy hh:mmAM/PM";
      case 2: return "mm/dd/yyyy hh:mm:ss";
      default: return {};
    }
  });
}

void DtVal(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string text = in.ReadArgument();
  if (in.CheckMode) return;
  const std::optional<double> value = parseDateTime(text);
  if (!value) {
    in.ScriptError("Invalid Value");
    return;
  }
  result = ScriptValue::Real(*value);
}

void DtStr(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue valueArgument(in.ReadArgument());
  const ScriptValue formatArgument = in.ReadOptionalArgument(ScriptValue::Integer(1));
  if (in.CheckMode) return;
  double value = 0;
  std::int32_t format = 0;
  if (!RealArgument(in, valueArgument, value) || !IntegerArgument(in, formatArgument, format)) return;
  std::string_view pattern;
  switch (format) {
    case 1: pattern = "mm/dd/yyyy"; break;
    case 2: pattern = "hh:nn:ss"; break;
    case 3: pattern = "mm/dd/yyyy hh:nn:ss"; break;
    default: in.ScriptError("Invalid Value"); return;
  }
  try {
    result = ScriptValue(formatDateTime(pattern, value));
  } catch (const std::out_of_range&) {  // no day of the years 1 to 9999
    in.ScriptError("Invalid Value");
  }
}

}  // namespace

void AddDateTimeFunctions(BuiltinTable& table) {
  table.Set(Builtin::Date, Date);
  table.Set(Builtin::Time, Time);
  table.Set(Builtin::Now, Now);
  table.Set(Builtin::DtVal, DtVal);
  table.Set(Builtin::DtStr, DtStr);
}

}  // namespace tw
