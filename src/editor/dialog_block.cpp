#include "editor/dialog_block.h"

#include <algorithm>
#include <span>

#include "text/ascii_text.h"

namespace tw::editor {

namespace {

constexpr bool IsWordCharacter(char c) { return IsAsciiNameCharacter(c) || c == '$'; }

// The trimmed line starts with the word as a whole word, so that `strings = 1` or `dialogvar(...)` head no
// block.
bool StartsWithWord(std::string_view trimmed, std::string_view word) {
  return StartsWithKeyword(trimmed, word) && (trimmed.size() == word.size() || !IsWordCharacter(trimmed[word.size()]));
}

// The end words of the block the line heads (a string block ends at either word, whichever began it); none
// when the line heads no block the designer edits.
std::span<const std::string_view> EndWordsOf(std::string_view trimmed) {
  static constexpr std::string_view kDialogEnd[] = {"enddialog"};
  static constexpr std::string_view kStringEnd[] = {"endstring", "endtext"};
  if (StartsWithWord(trimmed, "dialog")) return kDialogEnd;
  if (StartsWithWord(trimmed, "string")) return kStringEnd;
  return {};
}

}  // namespace

bool DialogBlock::Empty() const {
  return std::all_of(Body.begin(), Body.end(), [](const std::string& line) { return Trimmed(line).empty(); });
}

std::vector<std::string> DialogBlock::Reassembled(const std::vector<std::string>& definition) const {
  std::vector<std::string> lines;
  lines.reserve(definition.size() + 2);
  lines.push_back(Indent + Head);
  for (const std::string& line : definition) lines.push_back(Indent + line);
  lines.push_back(Indent + Tail);
  return lines;
}

std::optional<DialogBlock> FindDialogBlock(const std::vector<std::string_view>& lines, int caretLine) {
  if (caretLine < 0 || static_cast<std::size_t>(caretLine) >= lines.size()) return std::nullopt;
  const std::string_view headLine = lines[static_cast<std::size_t>(caretLine)];
  const std::string_view head = Trimmed(headLine);
  const std::span<const std::string_view> endWords = EndWordsOf(head);
  if (endWords.empty()) return std::nullopt;

  DialogBlock block;
  block.HeadLine = caretLine;
  block.Indent = headLine.substr(0, headLine.find_first_not_of(" \t"));
  block.Head = head;
  for (std::size_t at = static_cast<std::size_t>(caretLine) + 1; at < lines.size(); ++at) {
    const std::string lowered = LowerAscii(Trimmed(lines[at]));
    if (std::any_of(endWords.begin(), endWords.end(),
                    [&](std::string_view word) { return lowered.starts_with(word); })) {
      block.TailLine = static_cast<int>(at);
      block.Tail = Trimmed(lines[at]);
      return block;
    }
    block.Body.emplace_back(lines[at]);
  }
  return std::nullopt;
}

}  // namespace tw::editor
