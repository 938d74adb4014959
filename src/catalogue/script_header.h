#pragma once
// The catalogue fields kept as "#key: value" lines at the top of every script: what the catalogue shows,
// the program and window a script is meant for, its schedule and its hotkey. The interpreter drops these
// lines when it loads a script, so the same file runs anywhere.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/locale/datetime.h"
#include "interpreter/locale/locale.h"

namespace tw {

struct TScriptHeader {
  std::string command;  // program started before the script when its window is not found
  std::string path;     // working folder for command
  std::string title;    // title of the window the script is meant for
  bool autoclose = true;
  bool enableschd = false;
  int runmode = 1;  // 1 = once, 2 = every interval
  std::string apptype = "Windows";
  double schddatetime = 0;  // schedule start, a date-time number
  int schdcount = 1;
  std::string schddwm = "Hour";
  std::string description;  // the script's name in the catalogue; empty keeps it out of the catalogue
  int timeout = 0;          // carried through every read and write, used by nothing
  std::string hotkey;

  bool operator==(const TScriptHeader&) const = default;
};

// A header that cannot be read: the file cannot be opened or read, or a number field holds no number.
class HeaderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every field to its default; the schedule start becomes `now`.
void ResetScriptHeader(TScriptHeader& header, double now = nowAsDateTime());

// Reads the header lines at the top of the file: blank lines are passed over, the first other line that
// does not begin with "#" ends the header. Lines end at CR LF, LF or a lone CR. The rest of the file is not
// read. `now` is what a reset header starts from (readers of many headers take it once). Throws HeaderError.
void ReadScriptHeader(const std::string& fileName, TScriptHeader& header, double now = nowAsDateTime());
// The same for a file named relative to an open folder (a listing reads thousands).
void ReadScriptHeaderAt(int folder, const std::string& name, TScriptHeader& header, double now);
// The same over text already in memory.
void ReadScriptHeaderText(std::string_view text, TScriptHeader& header, double now = nowAsDateTime());

// Reads the header and, as body, every line of the file that is empty or does not begin with "#" (header
// lines further down are dropped too). Throws HeaderError.
void LoadScriptFile(const std::string& fileName, std::vector<std::string>& body, TScriptHeader& header);

// The description a script without one gets: its file name up to the first ".", trimmed.
std::string DescriptionOfFileName(std::string_view fileName);

// Writes the thirteen header lines and then the body, each line ended by CR LF, through a temporary file
// renamed over the old one. An empty description becomes the file's name up to its first ".". Throws
// std::runtime_error when the file cannot be written; the old file is then unchanged.
void SaveScriptFile(const std::string& fileName, TScriptHeader& header, const std::vector<std::string>& body);

// The schedule start as header text: "mm/dd/yy" with the locale's date separator, and unless the time of day
// is midnight (milliseconds aside), a blank and the time in the locale's long time format.
std::string HeaderDateTimeText(double value, const Locale& locale = currentLocale());
// Reads that text back, also when it was written under another locale: the date separator may be the
// locale's, "/", "." or "-", the time may use either clock. Month, day, year in that order; a year of one or
// two digits lies within 50 years before and 49 after `currentYear`. Nothing for anything else.
std::optional<double> ParseHeaderDateTime(std::string_view text, int currentYear,
                                          const Locale& locale = currentLocale());

}  // namespace tw
