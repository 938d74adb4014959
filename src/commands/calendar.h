#pragma once
// Month boundaries as the bom and eom functions write them.

#include <optional>
#include <string>

#include "interpreter/locale/locale.h"

namespace tw {

// The first (or last) day of the month that holds `today`, as "mm/dd/yy" (digits 2) or
// "mm/dd/yyyy" (digits 4) with the locale's date separator; nothing for other digits.
std::optional<std::string> MonthBoundary(double today, bool lastDay, int digits,
                                         const Locale& locale = currentLocale());

}  // namespace tw
