// Feeds arbitrary bytes to the script-header reader. A header that reads must give a start date that,
// written as header text and read again, comes back to the second.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "catalogue/script_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  constexpr double kNow = 45000.25;
  tw::TScriptHeader header;
  try {
    tw::ReadScriptHeaderText(bytes, header, kNow);
  } catch (const tw::HeaderError&) {
    return 0;
  }
  const int year = tw::decodeDateTime(kNow).year;
  const std::string text = tw::HeaderDateTimeText(header.schddatetime);
  const auto again = tw::ParseHeaderDateTime(text, year);
  // Two-digit years bring back dates within a century of now; others land in the window.
  if (!again) std::abort();
  const tw::CivilDateTime a = tw::decodeDateTime(header.schddatetime);
  const tw::CivilDateTime b = tw::decodeDateTime(*again);
  if (a.month != b.month || a.day != b.day || a.hour != b.hour || a.minute != b.minute || a.second != b.second ||
      a.year % 100 != b.year % 100)
    std::abort();
  return 0;
}
