#pragma once
// The tips of the day: an INI-style file whose section "Header" names the fields as keys, and every other
// section, in file order, one tip. The tips window shows the fields "tipno" (the heading) and "notes" (the
// text); a value writes a line break as the two characters "\n".

#include <string>
#include <vector>

#include "interpreter/ini_file.h"

namespace tw {

struct Tip {
  std::string heading;
  std::string notes;  // with real line breaks
  bool operator==(const Tip&) const = default;
};

class TipsFile {
 public:
  // A missing file has no tips. Throws std::runtime_error when the file exists but cannot be read.
  static TipsFile Load(const std::string& path);

  int Count() const { return static_cast<int>(sections_.size()); }
  Tip At(int index) const;
  // The editing of tip authors; Save writes the file through a temporary file. Everything else in the file
  // (other fields, comments) stays as it was.
  void Add(const Tip& tip);
  void Change(int index, const Tip& tip);
  void Remove(int index);
  void Save(const std::string& path) const { ini_.Save(path); }

 private:
  IniFile ini_;
  std::vector<std::string> sections_;  // the tips' sections, in file order
};

// The tips file to read: the user's own (`userFile`, which authors' changes go to) when there is one, else the
// one shipped beside the program, else the one in the system's data folders ($XDG_DATA_DIRS/tarnwick/);
// `userFile` when there is none at all.
std::string TipsFileToRead(const std::string& userFile);

}  // namespace tw
