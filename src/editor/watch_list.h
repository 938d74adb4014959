#pragma once
// The debugger's watches: variable names in display order, each shown as "name [type] = value", kept in the
// settings file's "WatchList" section as Line0, Line1, ...

#include <string>
#include <string_view>
#include <vector>

#include "interpreter/ini_file.h"

namespace tw {
class TBasicInterpreter;
}

namespace tw::editor {

// Trimmed, lower-cased, every blank removed: "My Var " gives "myvar".
std::string NormaliseWatch(std::string_view entry);

class WatchList {
 public:
  const std::vector<std::string>& Entries() const { return entries_; }
  // The display lines: "%s [%s] = %s" with the type letter ("-" no value, "n" number, "s" text, "u" anything
  // else) and the value read from `interpreter`; without one every entry shows "[u]" and no value.
  std::vector<std::string> Lines(TBasicInterpreter* interpreter) const;

  // Adds the normalised entry unless it is empty or listed already; true when it was added.
  bool Add(std::string_view entry);
  // Replaces the entry at `index` with the normalised text (an empty result changes nothing).
  bool Replace(std::size_t index, std::string_view entry);
  // Removes the entry a display line names (its text up to the first blank).
  bool RemoveLine(std::string_view displayLine);
  void Clear() { entries_.clear(); }

  void Load(const IniFile& ini);
  // Erases the section and writes the entries again.
  void Save(IniFile& ini) const;

  static constexpr const char* kSection = "WatchList";

 private:
  std::vector<std::string> entries_;
};

}  // namespace tw::editor
