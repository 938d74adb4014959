#include "interpreter/locale/datetime.h"

#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <stdexcept>

#include "text/ascii_text.h"

namespace tw {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Days since 1 January 1970 of a proleptic Gregorian date (after H. Hinnant's days_from_civil).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, CivilDateTime& out) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2 ? 1 : 0));
}

const std::int64_t kEpochDay = daysFromCivil(1899, 12, 30);
const std::int64_t kFirstDay = daysFromCivil(1, 1, 1) - kEpochDay;
const std::int64_t kLastDay = daysFromCivil(9999, 12, 31) - kEpochDay;

struct Split {
  std::int64_t day;           // days since 30 December 1899
  std::int64_t milliseconds;  // of that day
};

std::optional<Split> split(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 1e7) return std::nullopt;
  const double whole = std::trunc(value);
  Split s{static_cast<std::int64_t>(whole), std::llround(std::fabs(value - whole) * kMillisecondsPerDay)};
  if (s.milliseconds >= kMillisecondsPerDay) {
    s.milliseconds -= kMillisecondsPerDay;
    ++s.day;
  }
  if (s.day < kFirstDay || s.day > kLastDay) return std::nullopt;
  return s;
}

Split splitOrThrow(double value) {
  std::optional<Split> s = split(value);
  if (!s) throw std::out_of_range("date-time value out of range");
  return *s;
}

double join(std::int64_t day, std::int64_t milliseconds) {
  const double fraction = static_cast<double>(milliseconds) / static_cast<double>(kMillisecondsPerDay);
  const double whole = static_cast<double>(day);
  return day >= 0 ? whole + fraction : whole - fraction;
}

constexpr std::array<const char*, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonthNames = {"January", "February", "March",     "April",
                                                     "May",     "June",     "July",      "August",
                                                     "September", "October", "November", "December"};

// An empty prefix is no match: an empty am/pm designator must not be taken as read.
bool startsWithIgnoringCase(std::string_view text, std::size_t at, std::string_view prefix) {
  return !prefix.empty() && at <= text.size() && StartsWithIgnoringAsciiCase(text.substr(at), prefix);
}

void appendNumber(std::string& out, int value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) out.append(static_cast<std::size_t>(width) - digits.size(), '0');
  out += digits;
}

// Whether the pattern, outside quoted text, asks for the 12-hour clock.
bool usesTwelveHourClock(std::string_view pattern) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '"' || c == '\'') {
      const std::size_t close = pattern.find(c, i + 1);
      if (close == pattern.npos) return false;
      i = close;
    } else if (startsWithIgnoringCase(pattern, i, "am/pm") || startsWithIgnoringCase(pattern, i, "ampm")) {
      return true;
    }
  }
  return false;
}

bool isBlank(char c) { return c != '\0' && static_cast<unsigned char>(c) <= 32; }

// A small cursor over the text dtval reads.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::size_t position() const { return at_; }
  void rewind(std::size_t position) { at_ = position; }
  bool atEnd() const { return at_ == text_.size(); }

  std::size_t skipBlanks() {
    const std::size_t start = at_;
    while (at_ < text_.size() && isBlank(text_[at_])) ++at_;
    return at_ - start;
  }
  bool take(char c) {
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool takeIgnoringCase(std::string_view word) {
    if (!startsWithIgnoringCase(text_, at_, word)) return false;
    at_ += word.size();
    return true;
  }
  // 1..maxDigits decimal digits; digits reports how many there were.
  std::optional<int> number(int maxDigits, int* digits = nullptr) {
    int value = 0;
    int count = 0;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
      if (++count > maxDigits) return std::nullopt;
      value = value * 10 + (text_[at_] - '0');
      ++at_;
    }
    if (count == 0) return std::nullopt;
    if (digits != nullptr) *digits = count;
    return value;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

// The order of day, month and year in the short date pattern; month first when the pattern does not tell.
DateOrder dateOrderOf(std::string_view pattern) {
  std::string order;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = LowerAsciiChar(pattern[i]);
    if (c == '"' || c == '\'') {
      const std::size_t close = pattern.find(pattern[i], i + 1);
      if (close == pattern.npos) break;
      i = close;
      continue;
    }
    std::size_t run = 1;
    while (i + run < pattern.size() && LowerAsciiChar(pattern[i + run]) == c) ++run;
    if ((c == 'd' && run <= 2) || c == 'm' || c == 'y') {
      if (order.find(c) == order.npos) order += c;
    }
    i += run - 1;
  }
  if (order == "dmy") return DateOrder::DayMonthYear;
  if (order == "ymd") return DateOrder::YearMonthDay;
  return DateOrder::MonthDayYear;
}

int windowedYear(int year, int digits) {
  if (digits > 2) return year;
  return year < 50 ? 2000 + year : 1900 + year;
}

std::optional<CivilDateTime> readDate(Reader& in, const Locale& locale) {
  std::array<int, 3> fields{};
  std::array<int, 3> digits{};
  const DateOrder order = dateOrderOf(locale.shortDateFormat);
  const std::size_t yearAt = order == DateOrder::YearMonthDay ? 0 : 2;
  for (std::size_t i = 0; i < 3; ++i) {
    if (i > 0) {
      if (!in.take(locale.dateSeparator)) return std::nullopt;
      in.skipBlanks();  // "5. 3. 2024"
    }
    std::optional<int> n = in.number(i == yearAt ? 4 : 2, &digits[i]);
    if (!n) return std::nullopt;
    fields[i] = *n;
  }
  // Some formats close the date with the separator: "5.3.2024."
  const std::string_view pattern = locale.shortDateFormat;
  if (!pattern.empty() && pattern.back() == '/') in.take(locale.dateSeparator);
  CivilDateTime civil;
  switch (order) {
    case DateOrder::MonthDayYear:
      civil.month = fields[0];
      civil.day = fields[1];
      break;
    case DateOrder::DayMonthYear:
      civil.day = fields[0];
      civil.month = fields[1];
      break;
    case DateOrder::YearMonthDay:
      civil.month = fields[1];
      civil.day = fields[2];
      break;
  }
  civil.year = windowedYear(fields[yearAt], digits[yearAt]);
  if (!isValidDate(civil.year, civil.month, civil.day)) return std::nullopt;
  return civil;
}

bool readTime(Reader& in, const Locale& locale, CivilDateTime& civil) {
  std::optional<int> hour = in.number(2);
  if (!hour || !in.take(locale.timeSeparator)) return false;
  std::optional<int> minute = in.number(2);
  if (!minute || *minute > 59) return false;
  std::optional<int> second = 0;
  if (in.take(locale.timeSeparator)) {
    second = in.number(2);
    if (!second || *second > 59) return false;
  }

  const std::size_t beforeSuffix = in.position();
  in.skipBlanks();
  std::optional<bool> afternoon;
  std::array<std::pair<std::string_view, bool>, 4> words{{{locale.amString, false},
                                                          {locale.pmString, true},
                                                          {"AM", false},
                                                          {"PM", true}}};
  // Longer words first, so that a locale's "AM." is not read as "AM" followed by a stray ".".
  std::stable_sort(words.begin(), words.end(),
                   [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
  for (const auto& [word, pm] : words) {
    if (in.takeIgnoringCase(word)) {
      afternoon = pm;
      break;
    }
  }
  if (!afternoon) in.rewind(beforeSuffix);

  if (afternoon) {
    if (*hour > 12) return false;
    *hour = *hour % 12 + (*afternoon ? 12 : 0);
  } else if (*hour > 23) {
    return false;
  }
  civil.hour = *hour;
  civil.minute = *minute;
  civil.second = *second;
  return true;
}

std::optional<double> parse(std::string_view text, const Locale& locale) {
  Reader in(text);
  in.skipBlanks();
  const std::size_t start = in.position();
  if (std::optional<CivilDateTime> date = readDate(in, locale)) {
    const std::size_t blanks = in.skipBlanks();
    if (!in.atEnd()) {
      if (blanks == 0 || !readTime(in, locale, *date)) return std::nullopt;
      in.skipBlanks();
      if (!in.atEnd()) return std::nullopt;
    }
    return encodeDateTime(*date);
  }
  in.rewind(start);
  CivilDateTime timeOnly;
  if (!readTime(in, locale, timeOnly)) return std::nullopt;
  in.skipBlanks();
  if (!in.atEnd()) return std::nullopt;
  return encodeDateTime(timeOnly);
}

}  // namespace

int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

bool isValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && day >= 1 && day <= daysInMonth(year, month);
}

bool isDateTimeInRange(double value) { return split(value).has_value(); }

double encodeDateTime(const CivilDateTime& c) {
  if (!isValidDate(c.year, c.month, c.day) || c.hour < 0 || c.hour > 23 || c.minute < 0 || c.minute > 59 ||
      c.second < 0 || c.second > 59 || c.millisecond < 0 || c.millisecond > 999)
    throw std::out_of_range("invalid date or time");
  const std::int64_t milliseconds =
      ((static_cast<std::int64_t>(c.hour) * 60 + c.minute) * 60 + c.second) * 1000 + c.millisecond;
  return join(daysFromCivil(c.year, c.month, c.day) - kEpochDay, milliseconds);
}

CivilDateTime decodeDateTime(double value) {
  const Split s = splitOrThrow(value);
  CivilDateTime civil;
  civilFromDays(s.day + kEpochDay, civil);
  std::int64_t ms = s.milliseconds;
  civil.millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  civil.second = static_cast<int>(ms % 60);
  ms /= 60;
  civil.minute = static_cast<int>(ms % 60);
  civil.hour = static_cast<int>(ms / 60);
  return civil;
}

int dayOfWeek(double value) {
  const std::int64_t day = splitOrThrow(value).day;
  return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;  // day 0 was a Saturday
}

double localDateTimeFromUnixTime(std::int64_t seconds, std::int32_t nanoseconds) {
  const auto t = static_cast<time_t>(seconds);
  struct tm local {};
  if (localtime_r(&t, &local) == nullptr) throw std::out_of_range("time out of range");
  CivilDateTime civil{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                      local.tm_sec > 59 ? 59 : local.tm_sec, 0};
  if (nanoseconds > 0 && nanoseconds < 1'000'000'000) civil.millisecond = nanoseconds / 1'000'000;
  return encodeDateTime(civil);
}

double nowAsDateTime() {
  using namespace std::chrono;
  const auto sinceEpoch = system_clock::now().time_since_epoch();
  const auto wholeSeconds = floor<seconds>(sinceEpoch);
  const auto fraction = duration_cast<nanoseconds>(sinceEpoch - wholeSeconds);
  return localDateTimeFromUnixTime(wholeSeconds.count(), static_cast<std::int32_t>(fraction.count()));
}

std::string formatDateTime(std::string_view pattern, double value, const Locale& locale) {
  const CivilDateTime c = decodeDateTime(value);
  const bool twelveHour = usesTwelveHourClock(pattern);
  const bool afternoon = c.hour >= 12;
  const std::size_t weekday = static_cast<std::size_t>(dayOfWeek(value) - 1);
  const char* monthName = kMonthNames[static_cast<std::size_t>(c.month - 1)];

  std::string out;
  bool afterHour = false;  // the last field written was the hour, so m and mm mean minutes
  for (std::size_t i = 0; i < pattern.size();) {
    const char raw = pattern[i];
    const char ch = LowerAsciiChar(raw);
    if (raw == '"' || raw == '\'') {
      std::size_t close = pattern.find(raw, i + 1);
      if (close == pattern.npos) close = pattern.size();
      out.append(pattern.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    if (startsWithIgnoringCase(pattern, i, "am/pm")) {
      // Each letter keeps the case it has in the pattern: "Am/Pm" writes "Am" or "Pm".
      out += afternoon ? pattern.substr(i + 3, 2) : pattern.substr(i, 2);
      i += 5;
      afterHour = false;
      continue;
    }
    if (startsWithIgnoringCase(pattern, i, "ampm")) {
      out += afternoon ? locale.pmString : locale.amString;
      i += 4;
      afterHour = false;
      continue;
    }
    const bool field = ch == 'd' || ch == 'm' || ch == 'y' || ch == 'h' || ch == 'n' || ch == 's';
    if (!field) {
      out += ch == '/' ? locale.dateSeparator : ch == ':' ? locale.timeSeparator : raw;
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (i + run < pattern.size() && LowerAsciiChar(pattern[i + run]) == ch) ++run;
    const int width = run >= 2 ? 2 : 1;
    switch (ch) {
      case 'd':
        if (run <= 2)
          appendNumber(out, c.day, width);
        else
          out += run == 3 ? std::string_view(kDayNames[weekday]).substr(0, 3) : kDayNames[weekday];
        break;
      case 'm':
        if (run <= 2 && afterHour)
          appendNumber(out, c.minute, width);
        else if (run <= 2)
          appendNumber(out, c.month, width);
        else
          out += run == 3 ? std::string_view(monthName).substr(0, 3) : monthName;
        break;
      case 'y':
        if (run <= 2)
          appendNumber(out, c.year % 100, 2);
        else
          appendNumber(out, c.year, 4);
        break;
      case 'h':
        appendNumber(out, twelveHour ? (c.hour % 12 == 0 ? 12 : c.hour % 12) : c.hour, width);
        break;
      case 'n': appendNumber(out, c.minute, width); break;
      case 's': appendNumber(out, c.second, width); break;
    }
    afterHour = ch == 'h';
    i += run;
  }
  return out;
}

std::optional<double> parseDateTime(std::string_view text, const Locale& locale) {
  try {
    return parse(text, locale);
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace tw
