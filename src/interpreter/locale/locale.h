#pragma once
// The one place where the program learns how numbers, dates and times are written here.
// Filled from the environment at start-up; tests replace it with setCurrentLocale.

#include <string>

namespace tw {

// Date and time patterns use the letters of the script language's format strings:
// d dd ddd dddd, m mm mmm mmmm (minutes right after h/hh), yy yyyy, h hh, n nn, s ss,
// AM/PM, ampm; "/" stands for dateSeparator and ":" for timeSeparator.
// "AM/PM" writes AM or PM in the letter case of the pattern ("am/pm" writes am or pm);
// "ampm" writes amString or pmString. Either one switches h and hh to the 12-hour clock.
struct Locale {
  char decimalSeparator = '.';
  char dateSeparator = '/';
  char timeSeparator = ':';
  std::string shortDateFormat = "m/d/yyyy";
  std::string longDateFormat = "dddd, mmmm d, yyyy";
  std::string shortTimeFormat = "h:mm AM/PM";
  std::string longTimeFormat = "h:mm:ss AM/PM";
  std::string amString = "AM";
  std::string pmString = "PM";

  // What the C library reports for one locale (nl_langinfo). An empty field means "not known".
  struct Conventions {
    std::string radix;           // RADIXCHAR, e.g. ","
    std::string dateFormat;      // D_FMT, e.g. "%d.%m.%Y"
    std::string timeFormat;      // T_FMT, e.g. "%T" or "%r"
    std::string timeFormatAmPm;  // T_FMT_AMPM, what "%r" stands for, e.g. "%I:%M:%S %p"
    std::string am;              // AM_STR
    std::string pm;              // PM_STR
  };

  bool operator==(const Locale&) const = default;

  // Reads LC_NUMERIC and LC_TIME (through LC_ALL/LC_* /LANG) without touching the C library's global locale.
  // A category that names "C" or "POSIX", or a locale that is not installed, keeps the defaults above.
  static Locale fromEnvironment();

  // Translates the C library's strftime-style formats into pattern letters. The separator between the
  // fields becomes dateSeparator/timeSeparator and is written "/" or ":" in the pattern; other literal
  // text is kept (quoted where it would read as a pattern letter). A format with a conversion we cannot
  // express, or without day, month and year (hour and minute for times), keeps the defaults. The long
  // date format follows the order of the short one (month first, day first or year first).
  static Locale fromConventions(const Conventions& conventions);
};

// The process-wide instance, read from the environment on first use.
const Locale& currentLocale();
void setCurrentLocale(const Locale& locale);

}  // namespace tw
