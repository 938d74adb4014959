#include "editor/completion_list.h"

#include <algorithm>
#include <stdexcept>

#include "files/file_text.h"
#include "files/system_folders.h"
#include "text/ascii_text.h"
#include "text/case_mapping.h"

namespace tw::editor {

namespace {

bool EndsWord(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte <= ' ' || byte == 0x7F) return true;
  return std::string_view("()[]{}.").find(c) != std::string_view::npos;
}

// Blanks as wide as the text (a tab stays a tab), so a line under it starts in the same column.
std::string IndentUnder(std::string_view text) {
  std::string indent;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;  // a UTF-8 continuation byte
    indent += c == '\t' ? '\t' : ' ';
  }
  return indent;
}

Expansion Expand(const CompletionEntry& entry, std::size_t start, std::string_view lineBeforeCaret,
                 std::string_view lineBreak) {
  const std::string indent = IndentUnder(lineBeforeCaret.substr(0, start));
  Expansion expansion{start, {}, 0};
  for (std::size_t i = 0; i < entry.templateLines.size(); ++i) {
    if (i > 0) expansion.text.append(lineBreak).append(indent);
    expansion.text += entry.templateLines[i];
  }
  const std::size_t mark = expansion.text.find(CompletionList::kCaretMark);
  if (mark == std::string::npos) {
    expansion.caret = expansion.text.size();
  } else {
    expansion.text.erase(mark, CompletionList::kCaretMark.size());
    expansion.caret = mark;
  }
  return expansion;
}

}  // namespace

CompletionList CompletionList::Parse(std::string_view text) {
  CompletionList list;
  CompletionEntry* entry = nullptr;
  for (const std::string_view line : SplitLines(text)) {
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      list.entries_.push_back({std::string(line.substr(1, line.size() - 2)), {}, {}, {}});
      entry = &list.entries_.back();
      list.index_.try_emplace(text::LowerCase(entry->keyword), list.entries_.size() - 1);
    } else if (entry && line.starts_with('|')) {
      entry->templateLines.emplace_back(line.substr(1));
    } else if (entry && line.starts_with("comment=")) {
      const std::string_view comment = line.substr(8);
      const std::size_t bar = comment.find('|');
      entry->heading = comment.substr(0, bar);
      entry->body = bar == std::string_view::npos ? std::string() : WithLineBreaks(comment.substr(bar + 1));
    }
  }
  return list;
}

CompletionList CompletionList::Load(const std::string& path) {
  if (path.empty()) return {};
  try {
    const std::optional<std::string> text = ReadWholeFile(path);
    return text ? Parse(*text) : CompletionList();
  } catch (const std::runtime_error&) {
    return {};  // unreadable: the editor works without completion
  }
}

std::string CompletionList::FileToRead(const std::string& programFolder) {
  const std::string name(kFileName);
  if (std::string own = UserDataHome() + "tarnwick/" + name; IsRegularFile(own)) return own;
  if (std::string beside = programFolder + name; !programFolder.empty() && IsRegularFile(beside)) return beside;
  for (std::string installed : SystemDataFolders())
    if (installed.append("tarnwick/").append(name); IsRegularFile(installed)) return installed;
  return "";
}

std::optional<std::size_t> CompletionList::IndexOf(std::string_view keyword) const {
  const auto found = index_.find(text::LowerCase(keyword));
  if (found == index_.end()) return std::nullopt;
  return found->second;
}

const CompletionEntry* CompletionList::Find(std::string_view keyword) const {
  const std::optional<std::size_t> index = IndexOf(keyword);
  return index ? &entries_[*index] : nullptr;
}

std::size_t WordStart(std::string_view lineBeforeCaret) {
  std::size_t start = lineBeforeCaret.size();
  while (start > 0 && !EndsWord(lineBeforeCaret[start - 1])) --start;
  return start;
}

std::string WordAt(std::string_view line, std::size_t caret) {
  caret = std::min(caret, line.size());
  std::size_t end = caret;
  while (end < line.size() && !EndsWord(line[end])) ++end;
  const std::size_t start = WordStart(line.substr(0, caret));
  return std::string(line.substr(start, end - start));
}

std::optional<Expansion> ExpandWordBeforeCaret(const CompletionList& list, std::string_view lineBeforeCaret,
                                               std::string_view lineBreak) {
  const std::size_t start = WordStart(lineBeforeCaret);
  if (start == lineBeforeCaret.size()) return std::nullopt;
  const CompletionEntry* entry = list.Find(lineBeforeCaret.substr(start));
  if (!entry) return std::nullopt;
  return Expand(*entry, start, lineBeforeCaret, lineBreak);
}

Expansion ExpandKeyword(const CompletionList& list, std::string_view keyword, std::string_view lineBeforeCaret,
                        std::string_view lineBreak) {
  if (const CompletionEntry* entry = list.Find(keyword))
    return Expand(*entry, lineBeforeCaret.size(), lineBeforeCaret, lineBreak);
  const std::string word = text::LowerCase(keyword);
  return {lineBeforeCaret.size(), word, word.size()};
}

}  // namespace tw::editor
