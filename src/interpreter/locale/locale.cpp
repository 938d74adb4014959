#include "interpreter/locale/locale.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "text/ascii_text.h"

namespace tw {
namespace {

enum class Field { Literal, Day, Month, Year, Weekday, Hour, Minute, Second, AmPm };

struct Token {
  Field field;
  std::string text;  // pattern letters of a field, or the raw literal text
};

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

void appendLiteral(std::vector<Token>& tokens, std::string_view text) {
  if (text.empty()) return;
  if (!tokens.empty() && tokens.back().field == Field::Literal)
    tokens.back().text += text;
  else
    tokens.push_back({Field::Literal, std::string(text)});
}

// Pattern letters for the C library's %p (upper == true) or %P.
std::string amPmLetters(const Locale::Conventions& c, bool upper) {
  std::string_view am = c.am.empty() ? "AM" : std::string_view(c.am);
  std::string_view pm = c.pm.empty() ? "PM" : std::string_view(c.pm);
  if (upper && am == "AM" && pm == "PM") return "AM/PM";
  if (upper && am == "am" && pm == "pm") return "am/pm";
  if (!upper && EqualsIgnoringAsciiCase(am, "am") && EqualsIgnoringAsciiCase(pm, "pm")) return "am/pm";
  return "ampm";
}

// Splits one strftime format into fields and literal text. False for anything we cannot express.
bool tokenize(std::string_view format, const Locale::Conventions& c, std::vector<Token>& out, int depth) {
  if (depth > 3) return false;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      appendLiteral(out, format.substr(i, 1));
      continue;
    }
    char flag = 0;
    ++i;
    while (i < format.size() && (format[i] == '-' || format[i] == '_' || format[i] == '0' || format[i] == '^' ||
                                 format[i] == '#')) {
      flag = format[i];
      ++i;
    }
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') ++i;  // field width
    if (i < format.size() && format[i] == 'O') ++i;                          // alternative digits
    if (i >= format.size()) return false;
    const bool unpadded = flag == '-' || flag == '_';
    const bool zeroPadded = flag == '0';
    auto number = [&](Field field, const char* padded, const char* plain) {
      out.push_back({field, unpadded ? plain : padded});
    };
    switch (format[i]) {
      case 'd': number(Field::Day, "dd", "d"); break;
      case 'e': out.push_back({Field::Day, zeroPadded ? "dd" : "d"}); break;
      case 'm': number(Field::Month, "mm", "m"); break;
      case 'b':
      case 'h': out.push_back({Field::Month, "mmm"}); break;
      case 'B': out.push_back({Field::Month, "mmmm"}); break;
      case 'a': out.push_back({Field::Weekday, "ddd"}); break;
      case 'A': out.push_back({Field::Weekday, "dddd"}); break;
      case 'y': out.push_back({Field::Year, "yy"}); break;
      case 'Y': out.push_back({Field::Year, "yyyy"}); break;
      case 'H':
      case 'I': number(Field::Hour, "hh", "h"); break;
      case 'k':
      case 'l': out.push_back({Field::Hour, zeroPadded ? "hh" : "h"}); break;
      case 'M': number(Field::Minute, "nn", "n"); break;
      case 'S': number(Field::Second, "ss", "s"); break;
      case 'p': out.push_back({Field::AmPm, amPmLetters(c, true)}); break;
      case 'P': out.push_back({Field::AmPm, amPmLetters(c, false)}); break;
      case 'T':
        if (!tokenize("%H:%M:%S", c, out, depth + 1)) return false;
        break;
      case 'R':
        if (!tokenize("%H:%M", c, out, depth + 1)) return false;
        break;
      case 'D':
        if (!tokenize("%m/%d/%y", c, out, depth + 1)) return false;
        break;
      case 'F':
        if (!tokenize("%Y-%m-%d", c, out, depth + 1)) return false;
        break;
      case 'r':
        if (!tokenize(c.timeFormatAmPm.empty() ? "%I:%M:%S %p" : c.timeFormatAmPm, c, out, depth + 1)) return false;
        break;
      case 'n': appendLiteral(out, "\n"); break;
      case 't': appendLiteral(out, "\t"); break;
      case '%': appendLiteral(out, "%"); break;
      case 'Z':
      case 'z': break;  // a time zone has no place in our patterns
      default: return false;
    }
  }
  return true;
}

bool isSeparatorCandidate(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u > 32 && u < 127 && !isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '"' && c != '\'';
}

bool isMain(Field f, bool time) {
  return time ? (f == Field::Hour || f == Field::Minute)
              : (f == Field::Day || f == Field::Month || f == Field::Year);
}

// The character between the first two main fields, when it can serve as a separator.
std::optional<char> findSeparator(const std::vector<Token>& tokens, bool time) {
  std::size_t first = tokens.size();
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (!isMain(tokens[i].field, time)) continue;
    if (first == tokens.size()) {
      first = i;
      continue;
    }
    for (std::size_t j = first + 1; j < i; ++j)
      if (tokens[j].field == Field::Literal && isSeparatorCandidate(tokens[j].text[0])) return tokens[j].text[0];
    return std::nullopt;
  }
  return std::nullopt;
}

std::string render(const std::vector<Token>& tokens, std::optional<char> separator, char placeholder) {
  std::string out;
  std::string quoted;
  auto flush = [&] {
    if (quoted.empty()) return;
    out += '"';
    out += quoted;
    out += '"';
    quoted.clear();
  };
  for (const Token& token : tokens) {
    if (token.field != Field::Literal) {
      flush();
      out += token.text;
      continue;
    }
    for (char ch : token.text) {
      if (separator && ch == *separator) {
        flush();
        out += placeholder;
      } else if (ch == '"') {
        flush();
        out += "'\"'";
      } else if (isAsciiLetter(ch) || ch == '\'' || ch == '/' || ch == ':') {
        quoted += ch;
      } else {
        flush();
        out += ch;
      }
    }
  }
  flush();
  return out;
}

bool has(const std::vector<Token>& tokens, Field field) {
  for (const Token& t : tokens)
    if (t.field == field) return true;
  return false;
}

// The time without its seconds field and the text that belongs to it: the text after the seconds when it
// is a unit such as a suffix letter, otherwise the separator before them.
std::vector<Token> withoutSeconds(std::vector<Token> tokens) {
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    if (tokens[k].field != Field::Second) continue;
    auto begin = tokens.begin() + static_cast<std::ptrdiff_t>(k);
    auto end = begin + 1;
    if (end != tokens.end() && end->field == Field::Literal && end->text[0] != ' ' && end->text[0] != '\t')
      ++end;
    else if (k > 0 && tokens[k - 1].field == Field::Literal)
      --begin;
    tokens.erase(begin, end);
    break;
  }
  return tokens;
}

// Blanks at either end of a format (left behind by a dropped time zone) are no part of the pattern.
void trimOuterBlanks(std::vector<Token>& tokens) {
  if (!tokens.empty() && tokens.back().field == Field::Literal) {
    std::string& text = tokens.back().text;
    text.erase(text.find_last_not_of(" \t") + 1);
    if (text.empty()) tokens.pop_back();
  }
  if (!tokens.empty() && tokens.front().field == Field::Literal) {
    std::string& text = tokens.front().text;
    text.erase(0, text.find_first_not_of(" \t"));
    if (text.empty()) tokens.erase(tokens.begin());
  }
}

std::string longDateFor(const std::vector<Token>& tokens) {
  std::string order;
  for (const Token& t : tokens) {
    if (t.field == Field::Day && order.find('d') == order.npos) order += 'd';
    if (t.field == Field::Month && order.find('m') == order.npos) order += 'm';
    if (t.field == Field::Year && order.find('y') == order.npos) order += 'y';
  }
  if (order == "dmy") return "dddd, d mmmm yyyy";
  if (order == "ymd") return "yyyy mmmm d, dddd";
  return Locale{}.longDateFormat;
}

std::string categoryLocaleName(const char* category) {
  for (const char* variable : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

bool isPlainC(const std::string& name) { return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0; }

// Opens one category of a named locale for reading, or nothing when it is the plain C locale or not installed.
class LoadedLocale {
 public:
  LoadedLocale(int mask, const std::string& name)
      : handle_(isPlainC(name) ? locale_t{} : newlocale(mask, name.c_str(), locale_t{})) {}
  ~LoadedLocale() {
    if (handle_ != locale_t{}) freelocale(handle_);
  }
  LoadedLocale(const LoadedLocale&) = delete;
  LoadedLocale& operator=(const LoadedLocale&) = delete;

  explicit operator bool() const { return handle_ != locale_t{}; }
  std::string item(nl_item what) const {
    const char* text = nl_langinfo_l(what, handle_);
    return text != nullptr ? text : "";
  }

 private:
  locale_t handle_;
};

Locale& instance() {
  static Locale locale = Locale::fromEnvironment();
  return locale;
}

}  // namespace

Locale Locale::fromConventions(const Conventions& c) {
  Locale locale;
  if (c.radix.size() == 1) locale.decimalSeparator = c.radix[0];
  if (!c.am.empty() && !c.pm.empty()) {
    locale.amString = c.am;
    locale.pmString = c.pm;
  }

  std::vector<Token> date;
  if (!tokenize(c.dateFormat, c, date, 0)) date.clear();
  trimOuterBlanks(date);
  if (has(date, Field::Day) && has(date, Field::Month) && has(date, Field::Year)) {
    const std::optional<char> separator = findSeparator(date, false);
    if (separator) locale.dateSeparator = *separator;
    locale.shortDateFormat = render(date, separator, '/');
    locale.longDateFormat = longDateFor(date);
  }

  std::vector<Token> time;
  if (!tokenize(c.timeFormat, c, time, 0)) time.clear();
  trimOuterBlanks(time);
  if (has(time, Field::Hour) && has(time, Field::Minute)) {
    const std::optional<char> separator = findSeparator(time, true);
    if (separator) locale.timeSeparator = *separator;
    locale.longTimeFormat = render(time, separator, ':');
    locale.shortTimeFormat = render(withoutSeconds(time), separator, ':');
  }
  return locale;
}

Locale Locale::fromEnvironment() {
  Conventions c;
  if (LoadedLocale numeric(LC_NUMERIC_MASK, categoryLocaleName("LC_NUMERIC")); numeric)
    c.radix = numeric.item(RADIXCHAR);
  if (LoadedLocale time(LC_TIME_MASK, categoryLocaleName("LC_TIME")); time) {
    c.dateFormat = time.item(D_FMT);
    c.timeFormat = time.item(T_FMT);
    c.timeFormatAmPm = time.item(T_FMT_AMPM);
    c.am = time.item(AM_STR);
    c.pm = time.item(PM_STR);
  }
  return fromConventions(c);
}

const Locale& currentLocale() { return instance(); }

void setCurrentLocale(const Locale& locale) { instance() = locale; }

}  // namespace tw
