// Feeds arbitrary text to the readers of numbers and dates, directly and through val, dtval,
// round, trunc and dtstr in a script, under one of three locales picked by the first byte.
// Whatever reads as a number or a date must write out and read back as the same value.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "interpreter/interpreter.h"
#include "silent_host.h"
#include "interpreter/locale/datetime.h"
#include "interpreter/locale/locale.h"
#include "interpreter/number_text.h"

namespace {

tw::Locale PickLocale(unsigned char choice) {
  tw::Locale locale;
  switch (choice % 3) {
    case 1:
      locale.decimalSeparator = ',';
      locale.dateSeparator = '.';
      locale.shortDateFormat = "dd/mm/yyyy";
      break;
    case 2:
      locale.dateSeparator = '-';
      locale.timeSeparator = '.';
      locale.shortDateFormat = "yyyy/mm/dd";
      locale.amString = "vm";
      locale.pmString = "nm";
      break;
    default:
      break;
  }
  return locale;
}

void CheckNumber(std::string_view text) {
  const std::optional<double> value = tw::ParseReal(text);
  if (!value) return;
  if (!std::isfinite(*value)) std::abort();
  // The written form keeps 15 significant digits and must read back to within them. Beyond
  // the largest 15-digit number below the top of the reals it rounds up past that top and no
  // longer reads back, a known limit of the text form.
  if (std::fabs(*value) > 1.79769313486231e308) return;
  const std::optional<double> again = tw::ParseReal(tw::FormatReal(*value));
  if (!again || std::fabs(*again - *value) > std::fabs(*value) * 1e-14) std::abort();
}

void CheckDate(std::string_view text, const tw::Locale& locale) {
  const std::optional<double> value = tw::parseDateTime(text, locale);
  if (!value) return;
  if (!tw::isDateTimeInRange(*value)) std::abort();
  const std::string written = tw::formatDateTime(locale.shortDateFormat + " hh:nn:ss", *value, locale);
  const std::optional<double> again = tw::parseDateTime(written, locale);
  if (!again || std::fabs(*again - *value) > 0.5 / 86400) std::abort();
}

void RunScript(std::string_view text) {
  tw::fuzz::SilentHost host;
  tw::TBasicInterpreter interpreter(host);
  tw::VariableTable globals;
  globals.Add("s", tw::ScriptValue(text), false);
  interpreter.SetGlobals(&globals);
  interpreter.SetScriptText(
      "noerror(1)\na = val(s)\nb = dtval(s)\nc = dtstr(b, 3)\nd = dtstr(s, 2)\ne = round(s, 2)\n"
      "f = round(a, -3)\ng = trunc(s)\nh = round(s, s)\ni = str(val(s) + 1)",
      "fuzz.tws");
  interpreter.Run(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const tw::Locale locale = PickLocale(data[0]);
  tw::setCurrentLocale(locale);
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  CheckNumber(text);
  CheckDate(text, locale);
  RunScript(text);
  return 0;
}
