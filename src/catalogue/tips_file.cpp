#include "catalogue/tips_file.h"

#include "files/system_folders.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

constexpr std::string_view kHeader = "Header";
constexpr std::string_view kHeading = "tipno";
constexpr std::string_view kNotes = "notes";

std::string ToStored(std::string_view text) {
  std::string value;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    value += text[i] == '\n' || text[i] == '\r' ? std::string("\\n") : std::string(1, text[i]);
  }
  return value;
}

}  // namespace

TipsFile TipsFile::Load(const std::string& path) {
  TipsFile tips;
  tips.ini_ = IniFile::Load(path);
  for (const std::string& section : tips.ini_.Sections())
    if (!section.empty() && !EqualsIgnoringAsciiCase(section, kHeader)) tips.sections_.push_back(section);
  return tips;
}

Tip TipsFile::At(int index) const {
  const std::string& section = sections_.at(static_cast<std::size_t>(index));
  return {WithLineBreaks(ini_.ReadString(section, kHeading, "")), WithLineBreaks(ini_.ReadString(section, kNotes, ""))};
}

void TipsFile::Add(const Tip& tip) {
  if (!ini_.HasSection(kHeader)) {
    ini_.WriteString(kHeader, kHeading, "");
    ini_.WriteString(kHeader, kNotes, "");
  }
  std::string section;
  for (int n = Count() + 1; section.empty() || ini_.HasSection(section); ++n) section = "Tip" + std::to_string(n);
  sections_.push_back(section);
  Change(Count() - 1, tip);
}

void TipsFile::Change(int index, const Tip& tip) {
  const std::string& section = sections_.at(static_cast<std::size_t>(index));
  ini_.WriteString(section, kHeading, ToStored(tip.heading));
  ini_.WriteString(section, kNotes, ToStored(tip.notes));
}

void TipsFile::Remove(int index) {
  ini_.EraseSection(sections_.at(static_cast<std::size_t>(index)));
  sections_.erase(sections_.begin() + index);
}

std::string TipsFileToRead(const std::string& userFile) {
  if (IsRegularFile(userFile)) return userFile;
  if (const std::string shipped = ProgramFolder() + "Tips.txt"; !ProgramFolder().empty() && IsRegularFile(shipped))
    return shipped;
  for (const std::string& folder : SystemDataFolders())
    if (std::string candidate = folder + "tarnwick/Tips.txt"; IsRegularFile(candidate)) return candidate;
  return userFile;
}

}  // namespace tw
