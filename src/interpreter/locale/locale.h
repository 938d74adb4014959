#pragma once
// The one place where the program learns how numbers, dates and times are written here.
// Filled from the environment at start-up; tests replace it with setCurrentLocale.

#include <string>

namespace tw {

// Date and time patterns use the letters of the script language's format strings:
// d dd ddd dddd, m mm mmm mmmm (minutes right after h/hh), yy yyyy, h hh, n nn, s ss,
// AM/PM, ampm; "/" stands for dateSeparator and ":" for timeSeparator.
struct Locale {
  char decimalSeparator = '.';
  char dateSeparator = '/';
  char timeSeparator = ':';
  std::string shortDateFormat = "m/d/yyyy";
  std::string longDateFormat = "dddd, mmmm d, yyyy";
  std::string shortTimeFormat = "h:mm AM/PM";
  std::string longTimeFormat = "h:mm:ss AM/PM";

  // Reads LC_NUMERIC and LC_TIME (through LC_ALL/LC_* /LANG) without touching the C library's global locale.
  static Locale fromEnvironment();
};

const Locale& currentLocale();
void setCurrentLocale(const Locale& locale);

}  // namespace tw
