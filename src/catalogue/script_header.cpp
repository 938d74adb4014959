#include "catalogue/script_header.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>

#include "files/atomic_file.h"
#include "files/file_text.h"
#include "files/system_folders.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

enum class Field {
  Command, Path, Title, Autoclose, Enableschd, Runmode, Apptype, Schddatetime, Schdcount, Schddwm,
  Description, Timeout, Hotkey
};

// In the order the reader tries them and the writer writes them.
constexpr std::array<std::pair<std::string_view, Field>, 13> kFields{{
    {"command", Field::Command},
    {"path", Field::Path},
    {"title", Field::Title},
    {"autoclose", Field::Autoclose},
    {"enableschd", Field::Enableschd},
    {"runmode", Field::Runmode},
    {"apptype", Field::Apptype},
    {"schddatetime", Field::Schddatetime},
    {"schdcount", Field::Schdcount},
    {"schddwm", Field::Schddwm},
    {"description", Field::Description},
    {"timeout", Field::Timeout},
    {"hotkey", Field::Hotkey},
}};

// Leading blanks, an optional sign and decimal digits, nothing after them.
int IntegerValue(std::string_view value) {
  std::string_view digits = value;
  while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) digits.remove_prefix(1);
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  int number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    throw HeaderError("'" + std::string(value) + "' is not a valid integer value");
  return number;
}

bool YesValue(std::string_view value) { return Trimmed(value).starts_with('y'); }

// Reads header lines one at a time and says when the header has ended.
class HeaderReader {
 public:
  HeaderReader(TScriptHeader& header, double now) : header_(header), now_(now), year_(decodeDateTime(now).year) {
    ResetScriptHeader(header_, now);
  }

  // False once the line is the first body line.
  bool Take(std::string_view line) {
    if (line.empty()) return true;
    if (line.front() != '#') return false;
    const std::size_t colon = line.find(':');
    const std::string_view key = line.substr(1, colon == std::string_view::npos ? line.size() : colon - 1);
    const std::string_view value = colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
    // A key names the field whose name it begins with, right after the "#", in any letter case.
    for (const auto& [name, field] : kFields) {
      if (StartsWithIgnoringAsciiCase(key, name)) {
        Store(field, value);
        break;
      }
    }
    return true;
  }

 private:
  void Store(Field field, std::string_view value) {
    const std::string_view text = Trimmed(value);
    switch (field) {
      case Field::Command: header_.command.assign(text); break;
      case Field::Path: header_.path.assign(text); break;
      case Field::Title: header_.title.assign(text); break;
      case Field::Autoclose: header_.autoclose = YesValue(value); break;
      case Field::Enableschd: header_.enableschd = YesValue(value); break;
      case Field::Runmode: header_.runmode = IntegerValue(value); break;
      case Field::Apptype: header_.apptype.assign(text); break;
      case Field::Schddatetime:
        if (const std::optional<double> start = ParseHeaderDateTime(text, year_)) {
          header_.schddatetime = *start;
        } else {
          // A start that cannot be read must not fire at some made-up time: the schedule goes off.
          header_.enableschd = false;
          header_.schddatetime = now_;
        }
        break;
      case Field::Schdcount: header_.schdcount = IntegerValue(value); break;
      case Field::Schddwm: header_.schddwm.assign(text); break;
      case Field::Description: header_.description.assign(text); break;
      case Field::Timeout: header_.timeout = IntegerValue(value); break;
      case Field::Hotkey: header_.hotkey.assign(text); break;
    }
  }

  TScriptHeader& header_;
  double now_;
  int year_;
};

// Where the line that starts at `at` ends: its CR or LF; npos when it runs to the end of text.
std::size_t LineBreak(std::string_view text, std::size_t at) {
  const char* begin = text.data() + at;
  const std::size_t left = text.size() - at;
  const void* lf = std::memchr(begin, '\n', left);
  const std::size_t lfAt = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : left;
  const void* cr = std::memchr(begin, '\r', lfAt);
  const std::size_t end = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - begin) : lfAt;
  return end == left ? std::string_view::npos : at + end;
}

// Hands the lines of text to the reader until it reports the end of the header. With `more`, the last line
// may still be incomplete: it is kept back (returned as the unread rest) unless the header ended before it.
// Returns nothing once the header has ended.
std::optional<std::string_view> Feed(HeaderReader& reader, std::string_view text, bool more) {
  std::size_t at = 0;
  while (at < text.size()) {
    // A line that begins with anything but "#" or a line break is the first body line, complete or not.
    if (text[at] != '#' && text[at] != '\r' && text[at] != '\n') return std::nullopt;
    std::size_t stop = LineBreak(text, at);
    // A line is complete at LF, at CR followed by anything, and at the end of the input.
    if (more && (stop == std::string_view::npos || (text[stop] == '\r' && stop + 1 == text.size())))
      return text.substr(at);
    const std::size_t end = stop == std::string_view::npos ? text.size() : stop;
    if (!reader.Take(text.substr(at, end - at))) return std::nullopt;
    at = end + 1;
    if (end < text.size() && text[end] == '\r' && at < text.size() && text[at] == '\n') ++at;
  }
  return std::string_view();
}

std::string SafeLine(std::string_view value) {
  std::string line(value);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line;
}

// A number of 1..maxDigits digits at the front of text, taken off it.
std::optional<int> TakeNumber(std::string_view& text, int maxDigits, int* digits = nullptr) {
  int count = 0;
  int value = 0;
  while (count < static_cast<int>(text.size()) && text[static_cast<std::size_t>(count)] >= '0' &&
         text[static_cast<std::size_t>(count)] <= '9') {
    value = value * 10 + (text[static_cast<std::size_t>(count)] - '0');
    if (++count > maxDigits) return std::nullopt;
  }
  if (count == 0) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(count));
  if (digits) *digits = count;
  return value;
}

bool TakeDateSeparator(std::string_view& text, char localeSeparator) {
  if (text.empty()) return false;
  const char c = text.front();
  if (c != localeSeparator && c != '/' && c != '.' && c != '-') return false;
  text.remove_prefix(1);
  return true;
}

bool TakeTimeSeparator(std::string_view& text, char localeSeparator) {
  if (text.empty() || (text.front() != localeSeparator && text.front() != ':')) return false;
  text.remove_prefix(1);
  return true;
}

bool TakeWord(std::string_view& text, std::string_view word) {
  if (word.empty() || !StartsWithIgnoringAsciiCase(text, word)) return false;
  text.remove_prefix(word.size());
  return true;
}

// "h:n" or "h:n:s" with the locale's time separator or ":", then optionally AM or PM (or the locale's own
// words), in any letter case; 12-hour times with the word, 24-hour times without.
bool ReadTimeOfDay(std::string_view text, const Locale& locale, CivilDateTime& into) {
  std::optional<int> hour = TakeNumber(text, 2);
  if (!hour || !TakeTimeSeparator(text, locale.timeSeparator)) return false;
  const std::optional<int> minute = TakeNumber(text, 2);
  if (!minute || *minute > 59) return false;
  std::optional<int> second = 0;
  if (TakeTimeSeparator(text, locale.timeSeparator)) {
    second = TakeNumber(text, 2);
    if (!second || *second > 59) return false;
  }
  text = Trimmed(text);
  std::optional<bool> afternoon;
  // Longer words first, so that a locale's "AM." is not taken as "AM" and a stray ".".
  const bool localeFirst = locale.amString.size() > 2 || locale.pmString.size() > 2;
  for (int pass = 0; pass < 2 && !afternoon; ++pass) {
    const bool own = (pass == 0) == localeFirst;
    if (TakeWord(text, own ? locale.amString : "AM")) afternoon = false;
    else if (TakeWord(text, own ? locale.pmString : "PM")) afternoon = true;
  }
  if (!text.empty()) return false;
  if (afternoon) {
    if (*hour > 12) return false;
    hour = *hour % 12 + (*afternoon ? 12 : 0);
  } else if (*hour > 23) {
    return false;
  }
  into.hour = *hour;
  into.minute = *minute;
  into.second = *second;
  return true;
}

}  // namespace

void ResetScriptHeader(TScriptHeader& header, double now) {
  // Field by field, so that a header read again and again keeps the room its texts took.
  const TScriptHeader defaults;
  header.command.clear();
  header.path.clear();
  header.title.clear();
  header.autoclose = defaults.autoclose;
  header.enableschd = defaults.enableschd;
  header.runmode = defaults.runmode;
  header.apptype.assign(defaults.apptype);
  header.schddatetime = now;
  header.schdcount = defaults.schdcount;
  header.schddwm.assign(defaults.schddwm);
  header.description.clear();
  header.timeout = defaults.timeout;
  header.hotkey.clear();
}

void ReadScriptHeaderText(std::string_view text, TScriptHeader& header, double now) {
  HeaderReader reader(header, now);
  Feed(reader, text, false);
}

void ReadScriptHeader(const std::string& fileName, TScriptHeader& header, double now) {
  ReadScriptHeaderAt(AT_FDCWD, fileName, header, now);
}

void ReadScriptHeaderAt(int folder, const std::string& name, TScriptHeader& header, double now) {
  const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw HeaderError(FileFailure("Cannot open file", name, errno));
  HeaderReader reader(header, now);
  // A header is a few hundred bytes: the first read asks for little, later ones for more.
  std::size_t size = 1024;
  char buffer[8192];
  std::string pending;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      throw HeaderError(FileFailure("Cannot read file", name, error));
    }
    if (got == 0) {
      Feed(reader, pending, false);
      break;
    }
    size = sizeof buffer;
    std::string_view chunk(buffer, static_cast<std::size_t>(got));
    if (!pending.empty()) chunk = pending.append(chunk);
    const std::optional<std::string_view> rest = Feed(reader, chunk, true);
    if (!rest) break;
    pending = std::string(*rest);
  }
  ::close(fd);
}

void LoadScriptFile(const std::string& fileName, std::vector<std::string>& body, TScriptHeader& header) {
  body.clear();
  std::optional<std::string> text;
  try {
    text = ReadWholeFile(fileName);
  } catch (const std::runtime_error& failure) {
    throw HeaderError(failure.what());
  }
  if (!text) throw HeaderError(FileFailure("Cannot open file", fileName, ENOENT));
  ReadScriptHeaderText(*text, header);
  for (std::string_view line : SplitLines(*text))
    if (line.empty() || line.front() != '#') body.emplace_back(line);
}

std::string DescriptionOfFileName(std::string_view fileName) {
  const std::string_view name = NamePart(fileName);
  return std::string(Trimmed(name.substr(0, name.find('.'))));
}

void SaveScriptFile(const std::string& fileName, TScriptHeader& header, const std::vector<std::string>& body) {
  if (Trimmed(header.description).empty()) header.description = DescriptionOfFileName(fileName);
  const auto yesNo = [](bool value) { return value ? "y" : "n"; };
  const std::array<std::string, 13> values{
      header.command,
      header.path,
      header.title,
      yesNo(header.autoclose),
      yesNo(header.enableschd),
      std::to_string(header.runmode),
      header.apptype,
      HeaderDateTimeText(header.schddatetime),
      std::to_string(header.schdcount),
      header.schddwm,
      header.description,
      std::to_string(header.timeout),
      header.hotkey,
  };
  std::string text;
  for (std::size_t i = 0; i < kFields.size(); ++i)
    text.append("#").append(kFields[i].first).append(": ").append(SafeLine(values[i])).append("\r\n");
  for (const std::string& line : body) text.append(line).append("\r\n");
  WriteFileAtomically(fileName, text);
}

std::string HeaderDateTimeText(double value, const Locale& locale) {
  const CivilDateTime civil = decodeDateTime(value);
  std::string text = formatDateTime("mm/dd/yy", value, locale);
  if (civil.hour != 0 || civil.minute != 0 || civil.second != 0)
    text.append(" ").append(formatDateTime(locale.longTimeFormat, value, locale));
  return text;
}

std::optional<double> ParseHeaderDateTime(std::string_view text, int currentYear, const Locale& locale) {
  text = Trimmed(text);
  int yearDigits = 0;
  const std::optional<int> month = TakeNumber(text, 2);
  if (!month || !TakeDateSeparator(text, locale.dateSeparator)) return std::nullopt;
  const std::optional<int> day = TakeNumber(text, 2);
  if (!day || !TakeDateSeparator(text, locale.dateSeparator)) return std::nullopt;
  std::optional<int> year = TakeNumber(text, 4, &yearDigits);
  if (!year) return std::nullopt;
  if (yearDigits <= 2) {
    const int first = currentYear - 50;
    year = first + ((*year - first % 100) % 100 + 100) % 100;
  }
  if (!isValidDate(*year, *month, *day)) return std::nullopt;
  CivilDateTime start{*year, *month, *day, 0, 0, 0, 0};
  const std::string_view rest = Trimmed(text);
  if (!rest.empty()) {
    if (rest.size() == text.size()) return std::nullopt;  // the time must be set off by a blank
    if (!ReadTimeOfDay(rest, locale, start)) return std::nullopt;
  }
  return encodeDateTime(start);
}

}  // namespace tw
