#include "interpreter/ini_file.h"

#include <cerrno>
#include <charconv>
#include <stdexcept>

#include "files/atomic_file.h"
#include "files/file_text.h"
#include "files/system_folders.h"
#include "interpreter/file_system.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsQuote(char c) { return c == '"' || c == '\''; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// The value as it goes into the file so that reading gives it back unchanged.
std::string Quoted(std::string_view value) {
  const bool quote = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                                        static_cast<unsigned char>(value.front()) < ' ' ||
                                        static_cast<unsigned char>(value.back()) < ' ' ||
                                        Unquoted(value).size() != value.size());
  return quote ? std::string("\"").append(value).append("\"") : std::string(value);
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

void CheckName(std::string_view name, std::string_view what) {
  if (name.empty() || Trimmed(name).size() != name.size() || HasLineBreak(name))
    throw std::invalid_argument(std::string(what) + " name \"" + std::string(name) + "\" cannot be stored");
}

void CheckKey(std::string_view key) {
  CheckName(key, "Key");
  if (key.find('=') != std::string_view::npos || key.front() == '[' || key.front() == ';')
    throw std::invalid_argument("Key name \"" + std::string(key) + "\" cannot be stored");
}

void CheckSection(std::string_view section) {
  CheckName(section, "Section");
  if (section.find(']') != std::string_view::npos)
    throw std::invalid_argument("Section name \"" + std::string(section) + "\" cannot be stored");
}

std::optional<int> WholeNumber(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

std::string FolderOf(const std::string& path) {
  const std::string folder(FolderPart(path));
  return folder.empty() ? "./" : folder;
}

}  // namespace

IniFile IniFile::Load(const std::string& path) {
  const std::optional<std::string> text = ReadWholeFile(path);
  return text ? Parse(*text) : IniFile();
}

IniFile IniFile::Parse(std::string_view text) {
  while (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  IniFile file;
  for (std::string_view raw : SplitLines(text)) {
    const std::string_view line = Trimmed(raw);
    if (line.starts_with('[')) {
      if (const std::size_t close = line.find(']'); close != std::string_view::npos) {
        file.sections_.push_back({std::string(raw), std::string(Trimmed(line.substr(1, close - 1))), {}});
        continue;
      }
    }
    Line entry{std::string(raw), {}, {}};
    const std::size_t equals = line.find('=');
    if (!line.starts_with(';') && equals != std::string_view::npos && equals > 0) {
      entry.key = std::string(Trimmed(line.substr(0, equals)));
      entry.value = std::string(Unquoted(Trimmed(line.substr(equals + 1))));
    }
    file.sections_.back().lines.push_back(std::move(entry));
  }
  return file;
}

std::string IniFile::Text() const {
  std::string text;
  for (const Section& section : sections_) {
    if (&section != &sections_.front()) text.append(section.header).append("\n");
    for (const Line& line : section.lines) text.append(line.text).append("\n");
  }
  return text;
}

void IniFile::Save(const std::string& path) const {
  const std::string folder = FolderOf(path);
  if (!CreateFolders(folder, 0700)) throw std::runtime_error(FileFailure("Cannot create folder", folder, errno));
  WriteFileAtomically(path, Text());
}

void IniFile::Update(const std::string& path, const std::function<void(IniFile&)>& change) {
  const std::string folder = FolderOf(path);
  if (!CreateFolders(folder, 0700)) throw std::runtime_error(FileFailure("Cannot create folder", folder, errno));
  FolderLock lock(folder);
  IniFile file = Load(path);
  const std::string before = file.Text();
  change(file);
  const std::string after = file.Text();
  if (after != before) WriteFileAtomically(path, after);
}

const IniFile::Section* IniFile::Find(std::string_view section) const {
  for (std::size_t i = 1; i < sections_.size(); ++i)
    if (EqualsIgnoringAsciiCase(sections_[i].name, section)) return &sections_[i];
  return nullptr;
}

IniFile::Section* IniFile::Find(std::string_view section) {
  return const_cast<Section*>(static_cast<const IniFile*>(this)->Find(section));
}

const IniFile::Line* IniFile::Find(const Section& section, std::string_view key) {
  for (const Line& line : section.lines)
    if (!line.key.empty() && EqualsIgnoringAsciiCase(line.key, key)) return &line;
  return nullptr;
}

IniFile::Line* IniFile::Find(Section& section, std::string_view key) {
  return const_cast<Line*>(Find(static_cast<const Section&>(section), key));
}

bool IniFile::HasSection(std::string_view section) const { return Find(section) != nullptr; }

std::vector<std::string> IniFile::Sections() const {
  std::vector<std::string> names;
  for (std::size_t i = 1; i < sections_.size(); ++i) names.push_back(sections_[i].name);
  return names;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* found = Find(section))
    for (const Line& line : found->lines)
      if (!line.key.empty() && Find(*found, line.key) == &line) keys.push_back(line.key);
  return keys;
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
  const Section* found = Find(section);
  const Line* line = found ? Find(*found, key) : nullptr;
  return line ? std::optional<std::string>(line->value) : std::nullopt;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const {
  return Value(section, key).value_or(std::string(fallback));
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
  const std::optional<std::string> value = Value(section, key);
  const std::optional<int> number = value ? WholeNumber(*value) : std::nullopt;
  return number.value_or(fallback);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  const std::optional<std::string> value = Value(section, key);
  if (!value) return fallback;
  if (const std::optional<int> number = WholeNumber(*value)) return *number != 0;
  const std::string_view word = Trimmed(*value);
  if (EqualsIgnoringAsciiCase(word, "true") || EqualsIgnoringAsciiCase(word, "yes")) return true;
  if (EqualsIgnoringAsciiCase(word, "false") || EqualsIgnoringAsciiCase(word, "no")) return false;
  return fallback;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  CheckSection(section);
  CheckKey(key);
  if (HasLineBreak(value))
    throw std::invalid_argument("The value of \"" + std::string(key) + "\" holds a line break");
  Section* target = Find(section);
  if (!target) {
    sections_.push_back({std::string("[").append(section).append("]"), std::string(section), {}});
    target = &sections_.back();
  }
  if (Line* line = Find(*target, key)) {
    line->text = line->key + "=" + Quoted(value);
    line->value = value;
    return;
  }
  // A new key goes below the section's last non-blank line, so blank lines that set sections apart stay
  // where they are.
  auto at = target->lines.end();
  while (at != target->lines.begin() && Trimmed(std::prev(at)->text).empty()) --at;
  target->lines.insert(at, Line{std::string(key) + "=" + Quoted(value), std::string(key), std::string(value)});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) {
  Section* found = Find(section);
  const Line* line = found ? Find(*found, key) : nullptr;
  if (!line) return false;
  found->lines.erase(found->lines.begin() + (line - found->lines.data()));
  return true;
}

bool IniFile::EraseSection(std::string_view section) {
  const Section* found = Find(section);
  if (!found) return false;
  sections_.erase(sections_.begin() + (found - sections_.data()));
  return true;
}

}  // namespace tw
