#include "interpreter/locale/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <ostream>
#include <stdexcept>

namespace tw {

void PrintTo(const CivilDateTime& c, std::ostream* os) {
  *os << c.year << '-' << c.month << '-' << c.day << ' ' << c.hour << ':' << c.minute << ':' << c.second << '.'
      << c.millisecond;
}

namespace {

constexpr double kSecond = 1.0 / 86400;

Locale german() {
  Locale l;
  l.decimalSeparator = ',';
  l.dateSeparator = '.';
  l.timeSeparator = ':';
  l.shortDateFormat = "dd/mm/yyyy";
  l.longTimeFormat = "hh:nn:ss";
  l.shortTimeFormat = "hh:nn";
  return l;
}

// Day first, '.' between the date and also between the time fields.
Locale finnish() {
  Locale l = german();
  l.timeSeparator = '.';
  return l;
}

Locale isoDates() {
  Locale l;
  l.dateSeparator = '-';
  l.shortDateFormat = "yyyy/mm/dd";
  return l;
}

// A weekday name in front must not count as the day's place.
Locale weekdayFirst() {
  Locale l;
  l.shortDateFormat = "ddd mm/dd/yyyy";
  return l;
}

Locale withOwnAmPm(const char* am = "vorm.", const char* pm = "nachm.") {
  Locale l;
  l.amString = am;
  l.pmString = pm;
  return l;
}

TEST(DateTimeNumbers, EncodeAndDecodeKnownMoments) {
  struct Case {
    double value;
    CivilDateTime civil;
  };
  const Case cases[] = {
      {0.0, {1899, 12, 30, 0, 0, 0, 0}},
      {1.0, {1899, 12, 31, 0, 0, 0, 0}},
      {2.0, {1900, 1, 1, 0, 0, 0, 0}},
      {60.0, {1900, 2, 28, 0, 0, 0, 0}},  // 1900 was no leap year
      {61.0, {1900, 3, 1, 0, 0, 0, 0}},
      {36585.0, {2000, 2, 29, 0, 0, 0, 0}},
      {45351.0 + 49510 * kSecond, {2024, 2, 29, 13, 45, 10, 0}},
      {0.5 + 0.25 * kSecond, {1899, 12, 30, 12, 0, 0, 250}},
      {-1.25, {1899, 12, 29, 6, 0, 0, 0}},
      {-2.5, {1899, 12, 28, 12, 0, 0, 0}},
      {-693593.0, {1, 1, 1, 0, 0, 0, 0}},
      {2958465.0, {9999, 12, 31, 0, 0, 0, 0}},
      {2958465.0 + 86399.999 * kSecond, {9999, 12, 31, 23, 59, 59, 999}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_DOUBLE_EQ(encodeDateTime(c.civil), c.value);
    EXPECT_EQ(decodeDateTime(c.value), c.civil);
  }
}

TEST(DateTimeNumbers, RoundTripEveryTimeOfDayAtTheEdgesOfTheRange) {
  for (int day : {-693593, -1, 0, 45351, 2958465}) {
    CivilDateTime date = decodeDateTime(day);
    for (int second = 0; second < 86400; ++second) {
      CivilDateTime civil = date;
      civil.hour = second / 3600;
      civil.minute = second / 60 % 60;
      civil.second = second % 60;
      civil.millisecond = second * 7 % 1000;
      const CivilDateTime back = decodeDateTime(encodeDateTime(civil));
      if (back != civil) {
        ADD_FAILURE() << "day " << day << " second " << second << ": " << testing::PrintToString(back);
        return;
      }
    }
  }
}

TEST(DateTimeNumbers, DecodeRoundsToTheNearestMillisecond) {
  struct Case {
    double value;
    CivilDateTime civil;
  };
  const Case cases[] = {
      // Summing hours, minutes and seconds does not land exactly on 13:45:10.
      {45351.0 + 13.0 / 24 + 45.0 / 1440 + 10 * kSecond, {2024, 2, 29, 13, 45, 10, 0}},
      {45351.0 + 49509.9999 * kSecond, {2024, 2, 29, 13, 45, 10, 0}},
      {45351.0 + 49510.0004 * kSecond, {2024, 2, 29, 13, 45, 10, 0}},
      // A time that rounds up to midnight belongs to the next day, also before 1899-12-30.
      {0.99999999999, {1899, 12, 31, 0, 0, 0, 0}},
      {-1.99999999999, {1899, 12, 30, 0, 0, 0, 0}},
      {-0.25, {1899, 12, 30, 6, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(decodeDateTime(c.value), c.civil);
  }
}

TEST(DateTimeNumbers, RejectValuesAndFieldsOutsideTheRange) {
  const CivilDateTime badFields[] = {
      {2023, 2, 29, 0, 0, 0, 0},  {0, 1, 1, 0, 0, 0, 0},      {10000, 1, 1, 0, 0, 0, 0}, {2024, 13, 1, 0, 0, 0, 0},
      {2024, 1, 1, 24, 0, 0, 0},  {2024, 1, 1, 0, 60, 0, 0},  {2024, 1, 1, 0, 0, 60, 0}, {2024, 1, 1, 0, 0, 0, 1000},
      {2024, 1, 1, -1, 0, 0, 0},  {2024, 1, 1, 0, 0, 0, -1},
  };
  for (const CivilDateTime& c : badFields)
    EXPECT_THROW(encodeDateTime(c), std::out_of_range) << testing::PrintToString(c);

  const double badValues[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), -693594.0, 2958466.0,
                              2958465.0 + 86399.9999 * kSecond, 1e300};
  for (double v : badValues) {
    SCOPED_TRACE(v);
    EXPECT_FALSE(isDateTimeInRange(v));
    EXPECT_THROW(decodeDateTime(v), std::out_of_range);
    EXPECT_THROW(dayOfWeek(v), std::out_of_range);
    EXPECT_THROW(formatDateTime("yyyy", v, Locale{}), std::out_of_range);
  }
  EXPECT_TRUE(isDateTimeInRange(-693593.5));
  EXPECT_TRUE(isDateTimeInRange(2958465.0 + 86399 * kSecond));
}

TEST(Calendar, MonthLengthsAndValidDates) {
  struct Case {
    int year, month, days;
  };
  const Case cases[] = {{1900, 2, 28}, {2000, 2, 29}, {2023, 2, 28}, {2024, 2, 29}, {2100, 2, 28},
                        {2023, 4, 30}, {2023, 12, 31}, {2023, 0, 0},  {2023, 13, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(daysInMonth(c.year, c.month), c.days) << c.year << '-' << c.month;
    if (c.days > 0) {
      EXPECT_TRUE(isValidDate(c.year, c.month, c.days));
      EXPECT_FALSE(isValidDate(c.year, c.month, c.days + 1));
    }
  }
  EXPECT_FALSE(isValidDate(2024, 1, 0));
  EXPECT_FALSE(isValidDate(0, 1, 1));
  EXPECT_TRUE(isValidDate(1, 1, 1));
  EXPECT_TRUE(isValidDate(9999, 12, 31));
  EXPECT_FALSE(isValidDate(10000, 1, 1));
}

TEST(Calendar, DayOfWeekCountsFromSunday) {
  struct Case {
    double value;
    int weekday;
  };
  const Case cases[] = {
      {0.0, 7},       // Saturday 30 December 1899
      {1.0, 1},       // Sunday
      {-1.25, 6},     // Friday 29 December 1899, 06:00
      {45356.75, 3},  // Tuesday 5 March 2024, 18:00
      {-693593.0, 2},  // Monday 1 January 1
      {2958465.0, 6},  // Friday 31 December 9999
      {0.99999999999, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(dayOfWeek(c.value), c.weekday) << c.value;
}

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

TEST(LocalTime, UnixTimeIsReadInTheLocalTimeZone) {
  {
    ScopedTimeZone utc("UTC0");
    EXPECT_DOUBLE_EQ(localDateTimeFromUnixTime(0), 25569.0);
    EXPECT_EQ(decodeDateTime(localDateTimeFromUnixTime(1709647629, 123456789)),
              (CivilDateTime{2024, 3, 5, 14, 7, 9, 123}));
    EXPECT_EQ(decodeDateTime(localDateTimeFromUnixTime(-1)), (CivilDateTime{1969, 12, 31, 23, 59, 59, 0}));
  }
  {
    ScopedTimeZone east("XYZ-3");  // three hours east of UTC
    EXPECT_EQ(decodeDateTime(localDateTimeFromUnixTime(0)), (CivilDateTime{1970, 1, 1, 3, 0, 0, 0}));
  }
}

TEST(LocalTime, NowMatchesTheSystemClock) {
  const double before = localDateTimeFromUnixTime(std::time(nullptr));
  const double now = nowAsDateTime();
  const double after = localDateTimeFromUnixTime(std::time(nullptr) + 1);
  EXPECT_LE(before, now);
  EXPECT_LE(now, after);
}

TEST(FormatDateTime, WritesEachPatternLetter) {
  const CivilDateTime afternoon{2024, 3, 5, 14, 7, 9, 0};  // a Tuesday
  const CivilDateTime midnight{2024, 3, 5, 0, 5, 3, 0};
  const CivilDateTime noon{2024, 3, 5, 12, 30, 0, 0};
  const CivilDateTime early{5, 1, 9, 9, 0, 0, 0};
  struct Case {
    const char* pattern;
    CivilDateTime when;
    Locale locale;
    const char* expected;
  };
  const Case cases[] = {
      {"d/m/yy", afternoon, {}, "5/3/24"},
      {"dd/mm/yyyy", afternoon, {}, "05/03/2024"},
      {"ddd, dddd", afternoon, {}, "Tue, Tuesday"},
      {"mmm mmmm", afternoon, {}, "Mar March"},
      {"DD/MM/YYYY", afternoon, {}, "05/03/2024"},
      {"yy yyyy yyy", early, {}, "05 0005 0005"},
      {"h:n:s", early, {}, "9:0:0"},
      {"hh:nn:ss", afternoon, {}, "14:07:09"},
      {"HH:NN:SS", afternoon, {}, "14:07:09"},
      // m and mm right after the hour are minutes; anywhere else they are the month.
      {"hh:mm:ss", afternoon, {}, "14:07:09"},
      {"h:m", afternoon, {}, "14:7"},
      {"hhmm", afternoon, {}, "1407"},
      {"mm/dd/yyyy hh:mm", afternoon, {}, "03/05/2024 14:07"},
      {"mm:ss", afternoon, {}, "03:09"},
      {"hh:nn mmmm", afternoon, {}, "14:07 March"},
      // The 12-hour clock.
      {"hh:mm AM/PM", afternoon, {}, "02:07 PM"},
      {"hh:mm AM/PM", midnight, {}, "12:05 AM"},
      {"hh:mm AM/PM", noon, {}, "12:30 PM"},
      {"h:nnam/pm", afternoon, {}, "2:07pm"},
      {"h:nn Am/Pm", midnight, {}, "12:05 Am"},
      {"h:nn ampm", afternoon, {}, "2:07 PM"},
      {"h:nn ampm", midnight, withOwnAmPm(), "12:05 vorm."},
      {"h:nn ampm", noon, withOwnAmPm(), "12:30 nachm."},
      {"\"AM/PM\" h", afternoon, {}, "AM/PM 14"},  // quoted, so still the 24-hour clock
      {"h 'am/pm", afternoon, {}, "14 am/pm"},
      // Quoted and other text.
      {"\"Day\" d 'at' h", afternoon, {}, "Day 5 at 14"},
      {"yyyy.mm.dd-tz", afternoon, {}, "2024.03.05-tz"},
      {"aam/pm h", afternoon, {}, "apm 2"},
      {"d 'unclosed", afternoon, {}, "5 unclosed"},
      {"", afternoon, {}, ""},
      // Separators come from the locale.
      {"dd/mm/yyyy hh:nn:ss", afternoon, german(), "05.03.2024 14:07:09"},
      {"dd'/'mm \":\" hh:nn", afternoon, german(), "05/03 : 14:07"},
      {"hh:nn", afternoon, finnish(), "14.07"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(formatDateTime(c.pattern, encodeDateTime(c.when), c.locale), c.expected) << c.pattern;
  }
}

TEST(FormatDateTime, UsesTheCurrentLocaleByDefault) {
  const Locale saved = currentLocale();
  setCurrentLocale(german());
  EXPECT_EQ(currentLocale(), german());
  EXPECT_EQ(formatDateTime("dd/mm/yy", 45356.0), "05.03.24");
  setCurrentLocale(saved);
}

TEST(ParseDateTime, ReadsDatesAndTimesInTheLocaleOrder) {
  struct Case {
    const char* text;
    Locale locale;
    CivilDateTime expected;
  };
  const Case cases[] = {
      {"12/31/2024", {}, {2024, 12, 31, 0, 0, 0, 0}},
      {"  3/5/24  ", {}, {2024, 3, 5, 0, 0, 0, 0}},
      {"2/29/2000", {}, {2000, 2, 29, 0, 0, 0, 0}},
      {"1/1/49", {}, {2049, 1, 1, 0, 0, 0, 0}},
      {"1/1/50", {}, {1950, 1, 1, 0, 0, 0, 0}},
      {"1/1/0", {}, {2000, 1, 1, 0, 0, 0, 0}},
      {"1/1/099", {}, {99, 1, 1, 0, 0, 0, 0}},
      {"12/29/1899 06:00", {}, {1899, 12, 29, 6, 0, 0, 0}},
      {"12/31/2024 13:45:10", {}, {2024, 12, 31, 13, 45, 10, 0}},
      {"12/31/2024\t1:45 PM", {}, {2024, 12, 31, 13, 45, 0, 0}},
      {"12/31/2024 12:05am", {}, {2024, 12, 31, 0, 5, 0, 0}},
      {"12/31/2024 12:05:30 pm", {}, {2024, 12, 31, 12, 5, 30, 0}},
      {"12/31/2024 0:05 PM", {}, {2024, 12, 31, 12, 5, 0, 0}},
      {"13:45", {}, {1899, 12, 30, 13, 45, 0, 0}},
      {" 9:05:07 pm ", {}, {1899, 12, 30, 21, 5, 7, 0}},
      {"9:30 nachm.", withOwnAmPm(), {1899, 12, 30, 21, 30, 0, 0}},
      {"9:30 PM", withOwnAmPm(), {1899, 12, 30, 21, 30, 0, 0}},
      {"9:30 PM", withOwnAmPm("a", "p"), {1899, 12, 30, 21, 30, 0, 0}},
      {"9:30p", withOwnAmPm("a", "p"), {1899, 12, 30, 21, 30, 0, 0}},
      {"31.12.2024 23:59:59", german(), {2024, 12, 31, 23, 59, 59, 0}},
      {"5.3.24", german(), {2024, 3, 5, 0, 0, 0, 0}},
      {"2024-03-05 07:08", isoDates(), {2024, 3, 5, 7, 8, 0, 0}},
      {"3/5/2024", weekdayFirst(), {2024, 3, 5, 0, 0, 0, 0}},
      {"5. 3. 24 7:08", Locale::fromConventions({",", "%d. %m. %y", "%H:%M:%S", "", "", ""}), {2024, 3, 5, 7, 8, 0, 0}},
      {"5.3.2024. 7:08", Locale::fromConventions({",", "%d.%m.%Y.", "%H:%M:%S", "", "", ""}), {2024, 3, 5, 7, 8, 0, 0}},
      {"05.03.2024 13.45", finnish(), {2024, 3, 5, 13, 45, 0, 0}},
      {"13.45.10", finnish(), {1899, 12, 30, 13, 45, 10, 0}},  // no month 45, so a time
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<double> value = parseDateTime(c.text, c.locale);
    ASSERT_TRUE(value.has_value());
    EXPECT_DOUBLE_EQ(*value, encodeDateTime(c.expected));
  }
}

TEST(ParseDateTime, RejectsImpossibleAndMalformedText) {
  struct Case {
    std::string_view text;
    Locale locale;
  };
  const Case cases[] = {
      {"", {}},
      {"   ", {}},
      {"abc", {}},
      {"2/30/2024", {}},
      {"2/29/2023", {}},
      {"13/1/2024", {}},
      {"0/1/2024", {}},
      {"1/0/2024", {}},
      {"1/1/000", {}},
      {"1/1/10000", {}},
      {"-1/1/2024", {}},
      {"+1/1/2024", {}},
      {"001/1/2024", {}},
      {"12/31", {}},
      {"12/31/2024/1", {}},
      {"12/31/2024/", {}},
      {"12-31-2024", {}},
      {"31/12/2024", {}},  // day first is not this locale's order
      {"12/31/2024x", {}},
      {"12/31/2024 x", {}},
      {"12/31/202413:45", {}},
      {"12/31/2024 13", {}},
      {"12/31/2024 24:00", {}},
      {"12/31/2024 13:60", {}},
      {"12/31/2024 13:45:60", {}},
      {"12/31/2024 13:45:", {}},
      {"12/31/2024 13:00 PM", {}},
      {"12/31/2024 1:00 AMPM", {}},
      {"12/31/2024 1:00 PM x", {}},
      {"1:2:3:4", {}},
      {"1:002", {}},
      {"13", {}},
      {"PM", {}},
      {std::string_view("1/1/2024\0", 9), {}},
      {"12/31/2024", german()},
      {"31.12.2024 1:00", finnish()},
  };
  for (const Case& c : cases) EXPECT_FALSE(parseDateTime(c.text, c.locale).has_value()) << '"' << c.text << '"';
}

TEST(ParseDateTime, ReadsBackWhatTheLocaleFormatsWrite) {
  const double values[] = {0.0, -1.25, 0.5 + 3 * kSecond, 45356.0 + 50829 * kSecond, 2958465.0 + 86399 * kSecond,
                           -693593.0 + 1 * kSecond};
  const Locale locales[] = {Locale{}, german(), finnish(), isoDates(),
                            Locale::fromConventions({",", "%d.%m.%Y.", "%H:%M:%S", "", "", ""})};
  for (const Locale& locale : locales) {
    const std::string pattern = locale.shortDateFormat + " " + locale.longTimeFormat;
    for (double value : values) {
      const std::string text = formatDateTime(pattern, value, locale);
      SCOPED_TRACE(text);
      const std::optional<double> back = parseDateTime(text, locale);
      ASSERT_TRUE(back.has_value());
      EXPECT_DOUBLE_EQ(*back, value);
    }
  }
}

}  // namespace
}  // namespace tw
