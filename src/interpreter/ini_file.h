#pragma once
// Settings files in the INI format: "[Section]" lines, "key=value" lines below them. Section and key names
// are compared without regard to ASCII letter case; values are kept exactly as written. Everything the
// program does not touch (comments, blank lines, keys and sections it does not know, lines it cannot read)
// stays in the file as it was, so hand edits and other programs' keys survive a save.
//
// Reading follows what people expect of such files: blanks around names and values are ignored, and a value
// enclosed in double or single quotes loses them. Writing quotes a value only where that is needed to read it
// back unchanged. The first of two sections or keys of the same name is the one read and written.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

class IniFile {
 public:
  IniFile() = default;

  // Reads the file; a missing file gives an empty one. Throws std::runtime_error when it exists but cannot
  // be read (saving over it then would lose what it holds).
  static IniFile Load(const std::string& path);
  static IniFile Parse(std::string_view text);

  // The file's text, lines ended by "\n".
  std::string Text() const;
  // Writes Text() to a temporary file beside path and renames it over path, creating missing folders
  // (0700, as for the user's own configuration). Throws std::runtime_error on failure; the old file is
  // then unchanged.
  void Save(const std::string& path) const;

  // Reads path, lets change edit it and saves it when the text changed, while holding a lock on path's
  // folder, so that two processes updating the same file never lose each other's keys.
  static void Update(const std::string& path, const std::function<void(IniFile&)>& change);

  bool HasSection(std::string_view section) const;
  // Names of the sections and of a section's keys, in file order, spelt as in the file.
  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(std::string_view section) const;
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
  // A decimal whole number, blanks around allowed; fallback when missing, not a number or out of range.
  int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
  // Any whole number but 0 is true; "true"/"false" and "yes"/"no" are accepted too.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // Names must not be empty, have blanks around them or hold a line break; a key must not hold "=" or begin
  // with "[" or ";", a section name must not hold "]". A value must not hold a line break. Anything else
  // throws std::invalid_argument: callers that store outside text in names encode it first.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  // Written as 1 and 0.
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // True when there was something to remove.
  bool DeleteKey(std::string_view section, std::string_view key);
  bool EraseSection(std::string_view section);

 private:
  struct Line {
    std::string text;       // as read, or as last written
    std::string key;        // empty for a line that is no "key=value" line
    std::string value;      // the value as read back
  };
  struct Section {
    std::string header;     // the "[name]" line as read or written; empty above the first section
    std::string name;
    std::vector<Line> lines;
  };

  const Section* Find(std::string_view section) const;
  Section* Find(std::string_view section);
  static Line* Find(Section& section, std::string_view key);
  static const Line* Find(const Section& section, std::string_view key);

  std::vector<Section> sections_{Section{}};
};

}  // namespace tw
