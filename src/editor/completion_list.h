#pragma once
// The editor's completion list (TWS.ACP, docs/completion-list.md): per keyword a guide heading and body and a
// template that Ctrl+J puts in place of the word before the caret.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "files/system_folders.h"

namespace tw::editor {

struct CompletionEntry {
  std::string keyword;
  std::string heading;
  std::string body;                        // with real line breaks
  std::vector<std::string> templateLines;  // "$0" marks the caret
};

class CompletionList {
 public:
  static constexpr std::string_view kCaretMark = "$0";
  static constexpr std::string_view kFileName = "TWS.ACP";

  static CompletionList Parse(std::string_view text);
  // The list in the file; empty when it is missing or cannot be read.
  static CompletionList Load(const std::string& path);
  // The file the editor reads: the user's copy ($XDG_DATA_HOME/tarnwick/), else the one beside the program
  // (portable use), else the installed one ($XDG_DATA_DIRS/tarnwick/); "" when there is none.
  static std::string FileToRead(const std::string& programFolder = ProgramFolder());

  const std::vector<CompletionEntry>& Entries() const { return entries_; }
  bool Empty() const { return entries_.empty(); }
  // The position of the keyword's entry, letter case ignored; none when it has none.
  std::optional<std::size_t> IndexOf(std::string_view keyword) const;
  const CompletionEntry* Find(std::string_view keyword) const;

 private:
  std::vector<CompletionEntry> entries_;
  std::unordered_map<std::string, std::size_t> index_;  // lower-cased keyword -> first entry
};

// What replaces a word: `text` goes in from byte `start` of the line up to the caret, and the caret then
// stands `caret` bytes into `text`.
struct Expansion {
  std::size_t start = 0;
  std::string text;
  std::size_t caret = 0;
};

// The word that ends at the end of `lineBeforeCaret`: back to a blank, a control character or one of
// "()[]{}." (not included). Byte offsets into the line's UTF-8.
std::size_t WordStart(std::string_view lineBeforeCaret);
// The word the caret stands in or just after, for the guide.
std::string WordAt(std::string_view line, std::size_t caret);

// The expansion of the word before the caret; none when that word has no entry. Template lines after the
// first are indented to the word's column and joined by `lineBreak`.
std::optional<Expansion> ExpandWordBeforeCaret(const CompletionList& list, std::string_view lineBeforeCaret,
                                               std::string_view lineBreak);
// The template of `keyword` inserted at the caret (the Commands/Functions menu); the keyword itself, lower-cased,
// when it has no entry.
Expansion ExpandKeyword(const CompletionList& list, std::string_view keyword, std::string_view lineBeforeCaret,
                        std::string_view lineBreak);

}  // namespace tw::editor
