#include "editor/watch_list.h"

#include <algorithm>

#include "interpreter/interpreter.h"
#include "text/ascii_text.h"

namespace tw::editor {

std::string NormaliseWatch(std::string_view entry) {
  std::string out;
  for (const char c : entry) {
    if (!IsAsciiBlank(c)) out += LowerAsciiChar(c);
  }
  return out;
}

namespace {

std::string DisplayLine(const std::string& entry, TBasicInterpreter* interpreter) {
  if (!interpreter) return entry + " [u] = ";
  const std::string normalized = NormalizeName(entry);
  const VariableTable* globals = interpreter->Globals();
  if (!interpreter->Locals.Find(normalized) && !(globals && globals->Find(normalized))) return entry + " [-] = ";
  const ScriptValue value = interpreter->GetVariable(entry);
  char letter = 'u';
  if (value.IsNumber())
    letter = 'n';
  else if (value.IsText())
    letter = 's';
  return entry + " [" + letter + "] = " + value.ToText();
}

}  // namespace

std::vector<std::string> WatchList::Lines(TBasicInterpreter* interpreter) const {
  std::vector<std::string> lines;
  lines.reserve(entries_.size());
  for (const std::string& entry : entries_) lines.push_back(DisplayLine(entry, interpreter));
  return lines;
}

bool WatchList::Add(std::string_view entry) {
  std::string name = NormaliseWatch(entry);
  if (name.empty() || std::find(entries_.begin(), entries_.end(), name) != entries_.end()) return false;
  entries_.push_back(std::move(name));
  return true;
}

bool WatchList::Replace(std::size_t index, std::string_view entry) {
  std::string name = NormaliseWatch(entry);
  if (index >= entries_.size() || name.empty()) return false;
  entries_[index] = std::move(name);
  return true;
}

bool WatchList::RemoveLine(std::string_view displayLine) {
  const std::string_view name = displayLine.substr(0, displayLine.find(' '));
  const auto found = std::find(entries_.begin(), entries_.end(), name);
  if (found == entries_.end()) return false;
  entries_.erase(found);
  return true;
}

void WatchList::Load(const IniFile& ini) {
  entries_.clear();
  for (const std::string& key : ini.Keys(kSection)) Add(ini.ReadString(kSection, key, ""));
}

void WatchList::Save(IniFile& ini) const {
  ini.EraseSection(kSection);
  for (std::size_t i = 0; i < entries_.size(); ++i)
    ini.WriteString(kSection, "Line" + std::to_string(i), entries_[i]);
}

}  // namespace tw::editor
