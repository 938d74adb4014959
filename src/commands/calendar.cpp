#include "commands/calendar.h"

#include "interpreter/locale/datetime.h"

namespace tw {

std::optional<std::string> MonthBoundary(double today, bool lastDay, int digits, const Locale& locale) {
  if (digits != 2 && digits != 4) return std::nullopt;
  CivilDateTime day = decodeDateTime(today);
  day.day = lastDay ? daysInMonth(day.year, day.month) : 1;
  day.hour = day.minute = day.second = day.millisecond = 0;
  return formatDateTime(digits == 2 ? "mm/dd/yy" : "mm/dd/yyyy", encodeDateTime(day), locale);
}

}  // namespace tw
