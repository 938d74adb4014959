#pragma once
// The File menu's recently opened files: at most ten, the most recent last, kept in the settings file.

#include <string>
#include <string_view>
#include <vector>

#include "interpreter/ini_file.h"

namespace tw::editor {

class RecentFiles {
 public:
  static constexpr std::size_t kMost = 10;
  static constexpr const char* kSection = "RecentFiles";

  const std::vector<std::string>& Files() const { return files_; }
  // Adds the file at the end unless an entry holds it already; the oldest goes when there are more than ten.
  // True when the list changed.
  bool Add(std::string_view file);

  void Load(const IniFile& ini);
  void Save(IniFile& ini) const;

 private:
  std::vector<std::string> files_;
};

}  // namespace tw::editor
