#pragma once
// Date-time numbers as scripts see them: the whole part counts days since 30 December 1899, the fraction is
// the time of day. Before that day the whole part is negative and the fraction still counts forward from
// midnight, so -1.25 is 29 December 1899 06:00. Dates are proleptic Gregorian, years 1 to 9999; times are
// kept to the millisecond.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "interpreter/locale/locale.h"

namespace tw {

// A default CivilDateTime is the day of date-time 0.
struct CivilDateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  bool operator==(const CivilDateTime&) const = default;
};

bool isValidDate(int year, int month, int day);
int daysInMonth(int year, int month);  // 0 for a month outside 1..12

// True when value is a finite date-time number of a day from 1 January 1 to 31 December 9999.
bool isDateTimeInRange(double value);

// Throws std::out_of_range for an invalid date or a field outside its range (hour 0..23, minute and second
// 0..59, millisecond 0..999).
double encodeDateTime(const CivilDateTime& civil);

// Rounds to the nearest millisecond (a time that rounds up to midnight belongs to the next day).
// Throws std::out_of_range unless isDateTimeInRange(value).
CivilDateTime decodeDateTime(double value);

// 1 = Sunday .. 7 = Saturday. Throws std::out_of_range unless isDateTimeInRange(value).
int dayOfWeek(double value);

// Local time, to the millisecond.
double nowAsDateTime();
// A moment given as seconds (and nanoseconds) since 1 January 1970 UTC, as local time, e.g. a file's
// modification time from stat(). Throws std::out_of_range when the local date falls outside years 1..9999.
double localDateTimeFromUnixTime(std::int64_t seconds, std::int32_t nanoseconds = 0);

// Writes value with the pattern letters described in locale.h. Day and month names are English.
// Throws std::out_of_range unless isDateTimeInRange(value).
std::string formatDateTime(std::string_view pattern, double value, const Locale& locale = currentLocale());

// Reads "date", "date time" or "time" with blanks around.
// The date has three numbers in the order of the locale's short date format (month-day-year, day-month-year
// or year-month-day), separated by its date separator; blanks may follow a separator, and when the short date
// format ends with the separator (as "dd/mm/yyyy/" writes "5.3.2024.") the date may end with it too.
// A year of one or two digits means 2000-2049 for 0-49 and 1950-1999 for 50-99; three or four digits are
// taken as written. The time is h:n or h:n:s with the locale's time separator, optionally followed (with or
// without blanks) by AM or PM, or the locale's own AM/PM strings, in any letter case; with AM/PM the hour is
// 0..12 (12 AM is midnight), otherwise 0..23. A time alone gives a value below 1 (date 0).
// Nothing for an impossible date or time, or for any other text. Never throws.
std::optional<double> parseDateTime(std::string_view text, const Locale& locale = currentLocale());

}  // namespace tw
