#include "interpreter/locale/locale.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "interpreter/locale/datetime.h"

// The C library's newlocale never frees the search list it builds from LOCPATH, which only the tests set.
extern "C" const char* __lsan_default_suppressions() { return "leak:__argz_add_sep\n"; }

namespace tw {

void PrintTo(const Locale& l, std::ostream* os) {
  *os << "{decimal '" << l.decimalSeparator << "' date '" << l.dateSeparator << "' time '" << l.timeSeparator
      << "' short date \"" << l.shortDateFormat << "\" long date \"" << l.longDateFormat << "\" short time \""
      << l.shortTimeFormat << "\" long time \"" << l.longTimeFormat << "\" am \"" << l.amString << "\" pm \""
      << l.pmString << "\"}";
}

namespace {

struct Expected {
  char decimal, date, time;
  const char* shortDate;
  const char* longDate;
  const char* shortTime;
  const char* longTime;
  const char* am;
  const char* pm;

  Locale locale() const {
    return Locale{decimal, date, time, shortDate, longDate, shortTime, longTime, am, pm};
  }
};

constexpr const char* kMonthFirst = "dddd, mmmm d, yyyy";
constexpr const char* kDayFirst = "dddd, d mmmm yyyy";
constexpr const char* kYearFirst = "yyyy mmmm d, dddd";

TEST(LocaleFromConventions, TranslatesCLibraryFormats) {
  struct Case {
    const char* name;
    Locale::Conventions conventions;
    Expected expected;
  };
  const Case cases[] = {
      {"en_US",
       {".", "%m/%d/%Y", "%r", "%I:%M:%S %p", "AM", "PM"},
       {'.', '/', ':', "mm/dd/yyyy", kMonthFirst, "hh:nn AM/PM", "hh:nn:ss AM/PM", "AM", "PM"}},
      {"de_DE",
       {",", "%d.%m.%Y", "%T", "", "", ""},
       {',', '.', ':', "dd/mm/yyyy", kDayFirst, "hh:nn", "hh:nn:ss", "AM", "PM"}},
      {"en_GB",
       {".", "%d/%m/%y", "%T", "%l:%M:%S %P %Z", "am", "pm"},
       {'.', '/', ':', "dd/mm/yy", kDayFirst, "hh:nn", "hh:nn:ss", "am", "pm"}},
      {"en_GB with %r",
       {".", "%d/%m/%y", "%r", "%l:%M:%S %P %Z", "am", "pm"},
       {'.', '/', ':', "dd/mm/yy", kDayFirst, "h:nn am/pm", "h:nn:ss am/pm", "am", "pm"}},
      {"bg_BG",
       {",", "%e.%m.%Y", "%k:%M:%S", "", "", ""},
       {',', '.', ':', "d/mm/yyyy", kDayFirst, "h:nn", "h:nn:ss", "AM", "PM"}},
      {"fi_FI",
       {",", "%d.%m.%Y", "%H.%M.%S", "", "", ""},
       {',', '.', '.', "dd/mm/yyyy", kDayFirst, "hh:nn", "hh:nn:ss", "AM", "PM"}},
      {"sv_SE",
       {",", "%Y-%m-%d", "%H:%M:%S", "", "", ""},
       {',', '-', ':', "yyyy/mm/dd", kYearFirst, "hh:nn", "hh:nn:ss", "AM", "PM"}},
      {"ja_JP",
       {".", "%Y年%m月%d日", "%H時%M分%S秒", "%p%I時%M分%S秒", "午前", "午後"},
       {'.', '/', ':', "yyyy年mm月dd日", kYearFirst, "hh時nn分", "hh時nn分ss秒", "午前", "午後"}},
      {"%D and unpadded fields",
       {".", "%D", "%-I:%M %p", "", "AM", "PM"},
       {'.', '/', ':', "mm/dd/yy", kMonthFirst, "h:nn AM/PM", "h:nn AM/PM", "AM", "PM"}},
      {"%F and %R",
       {".", "%F", "%R", "", "", ""},
       {'.', '-', ':', "yyyy/mm/dd", kYearFirst, "hh:nn", "hh:nn", "AM", "PM"}},
      {"names, letters and separators in literal text",
       {".", "%a %d %b %Y", "%Hh%M:%S", "", "", ""},
       {'.', '/', ':', "ddd dd mmm yyyy", kDayFirst, "hh\"h\"nn", "hh\"h\"nn\":\"ss", "AM", "PM"}},
      {"own AM/PM strings",
       {".", "%m/%d/%Y", "%I:%M %p", "", "vorm.", "nachm."},
       {'.', '/', ':', "mm/dd/yyyy", kMonthFirst, "hh:nn ampm", "hh:nn ampm", "vorm.", "nachm."}},
      // What cannot be expressed keeps the defaults, one format at a time.
      {"unknown conversions",
       {",", "%x", "%X", "", "", ""},
       {',', '/', ':', "m/d/yyyy", kMonthFirst, "h:mm AM/PM", "h:mm:ss AM/PM", "AM", "PM"}},
      {"missing fields",
       {".", "%d.%m", "%H", "", "", ""},
       {'.', '/', ':', "m/d/yyyy", kMonthFirst, "h:mm AM/PM", "h:mm:ss AM/PM", "AM", "PM"}},
      {"era year",
       {".", "%d.%m.%Ey", "%H:%M", "", "", ""},
       {'.', '/', ':', "m/d/yyyy", kMonthFirst, "hh:nn", "hh:nn", "AM", "PM"}},
      {"multi-byte radix",
       {"٫", "", "", "", "", ""},
       {'.', '/', ':', "m/d/yyyy", kMonthFirst, "h:mm AM/PM", "h:mm:ss AM/PM", "AM", "PM"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Locale::fromConventions(c.conventions), c.expected.locale());
  }
  EXPECT_EQ(Locale::fromConventions({}), Locale{});
}

TEST(LocaleFromConventions, TranslatedPatternsWriteWhatTheCLibraryWrites) {
  struct Case {
    Locale::Conventions conventions;
    const char* date;
    const char* time;
  };
  const Case cases[] = {
      {{".", "%m/%d/%Y", "%r", "%I:%M:%S %p", "AM", "PM"}, "03/05/2024", "02:07:09 PM"},
      {{",", "%d.%m.%Y", "%T", "", "", ""}, "05.03.2024", "14:07:09"},
      {{".", "%Y年%m月%d日", "%H時%M分%S秒", "", "午前", "午後"}, "2024年03月05日", "14時07分09秒"},
      {{".", "%a %d %b %Y", "%Hh%M:%S", "", "", ""}, "Tue 05 Mar 2024", "14h07:09"},
  };
  const double when = encodeDateTime({2024, 3, 5, 14, 7, 9, 0});
  for (const Case& c : cases) {
    const Locale l = Locale::fromConventions(c.conventions);
    EXPECT_EQ(formatDateTime(l.shortDateFormat, when, l), c.date);
    EXPECT_EQ(formatDateTime(l.longTimeFormat, when, l), c.time);
  }
}

// Sets the locale variables for one scope; the ones not named are unset.
class ScopedLocaleEnvironment {
 public:
  explicit ScopedLocaleEnvironment(const std::map<std::string, std::string>& values) {
    for (const char* name : kNames) {
      if (const char* old = std::getenv(name)) saved_[name] = old;
      auto it = values.find(name);
      if (it != values.end())
        setenv(name, it->second.c_str(), 1);
      else
        unsetenv(name);
    }
  }
  ~ScopedLocaleEnvironment() {
    for (const char* name : kNames) {
      auto it = saved_.find(name);
      if (it != saved_.end())
        setenv(name, it->second.c_str(), 1);
      else
        unsetenv(name);
    }
  }
  ScopedLocaleEnvironment(const ScopedLocaleEnvironment&) = delete;
  ScopedLocaleEnvironment& operator=(const ScopedLocaleEnvironment&) = delete;

 private:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANG", "LOCPATH"};
  std::map<std::string, std::string> saved_;
};

TEST(LocaleFromEnvironment, PlainCAndMissingLocalesKeepTheDefaults) {
  const std::map<std::string, std::string> environments[] = {
      {},
      {{"LC_ALL", "C"}},
      {{"LC_ALL", "POSIX"}},
      {{"LC_ALL", "C.UTF-8"}},
      {{"LANG", "xx_NOWHERE.UTF-8"}},
      {{"LC_NUMERIC", "xx_NOWHERE"}, {"LC_TIME", "C"}},
  };
  for (const auto& environment : environments) {
    ScopedLocaleEnvironment scope(environment);
    EXPECT_EQ(Locale::fromEnvironment(), Locale{});
  }
}

// Compiles locales from the system's locale sources into a private folder that LOCPATH points to.
class CompiledLocales {
 public:
  CompiledLocales() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tw-locales-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    dir_ = pattern;
    for (const char* name : {"de_DE", "en_US"}) {
      const std::string command = "localedef -i " + std::string(name) + " -f UTF-8 " + dir_ + "/" + name +
                                  ".UTF-8 >/dev/null 2>&1";
      (void)std::system(command.c_str());
      if (!std::filesystem::exists(dir_ + "/" + name + ".UTF-8/LC_TIME")) ok_ = false;
    }
  }
  ~CompiledLocales() {
    if (!dir_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(dir_, ignored);
    }
  }
  CompiledLocales(const CompiledLocales&) = delete;
  CompiledLocales& operator=(const CompiledLocales&) = delete;

  bool ok() const { return ok_ && !dir_.empty(); }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
  bool ok_ = true;
};

TEST(LocaleFromEnvironment, ReadsEachCategoryFromTheVariableThatGovernsIt) {
  CompiledLocales compiled;
  if (!compiled.ok()) GTEST_SKIP() << "localedef or the locale sources (Debian package locales) are missing";

  const Locale german = Locale::fromConventions({",", "%d.%m.%Y", "%T", "", "", ""});
  const Locale american = Locale::fromConventions({".", "%m/%d/%Y", "%r", "%I:%M:%S %p", "AM", "PM"});
  Locale germanNumbersAmericanTimes = american;
  germanNumbersAmericanTimes.decimalSeparator = ',';
  Locale plainNumbersGermanTimes = german;
  plainNumbersGermanTimes.decimalSeparator = '.';

  struct Case {
    std::map<std::string, std::string> environment;
    const Locale& expected;
  };
  const Case cases[] = {
      {{{"LC_ALL", "de_DE.UTF-8"}}, german},
      {{{"LANG", "de_DE.UTF-8"}}, german},
      {{{"LANG", "de_DE.UTF-8"}, {"LC_TIME", "en_US.UTF-8"}}, germanNumbersAmericanTimes},
      {{{"LANG", "de_DE.UTF-8"}, {"LC_NUMERIC", "C"}}, plainNumbersGermanTimes},
      {{{"LC_ALL", "de_DE.UTF-8"}, {"LC_NUMERIC", "C"}, {"LC_TIME", "en_US.UTF-8"}}, german},
  };
  for (const Case& c : cases) {
    std::map<std::string, std::string> environment = c.environment;
    environment["LOCPATH"] = compiled.dir();
    ScopedLocaleEnvironment scope(environment);
    SCOPED_TRACE(testing::PrintToString(c.environment));
    EXPECT_EQ(Locale::fromEnvironment(), c.expected);
  }

  // The process's own C locale is left alone.
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 1.5);
  EXPECT_STREQ(text, "1.5");
}

}  // namespace
}  // namespace tw
