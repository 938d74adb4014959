#include "editor/recent_files.h"

namespace tw::editor {

bool RecentFiles::Add(std::string_view file) {
  if (file.empty()) return false;
  for (const std::string& entry : files_)
    if (entry == file) return false;
  files_.emplace_back(file);
  if (files_.size() > kMost) files_.erase(files_.begin());
  return true;
}

void RecentFiles::Load(const IniFile& ini) {
  files_.clear();
  for (const std::string& key : ini.Keys(kSection)) Add(ini.ReadString(kSection, key, ""));
}

void RecentFiles::Save(IniFile& ini) const {
  ini.EraseSection(kSection);
  for (std::size_t i = 0; i < files_.size(); ++i) ini.WriteString(kSection, "File" + std::to_string(i), files_[i]);
}

}  // namespace tw::editor
