#pragma once
// The dialog or string block under the caret, as the designer is opened on it: the head and tail lines that
// stay, the definition lines between them, and the lines that take the block's place after the designer saved.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::editor {

struct DialogBlock {
  int HeadLine = 0;               // zero-based page line of the `dialog` or `string` line
  int TailLine = 0;               // zero-based page line of the end line
  std::string Indent;             // the blanks that begin the head line
  std::string Head;               // the head line, trimmed
  std::string Tail;               // the end line, trimmed
  std::vector<std::string> Body;  // the lines between head and tail, as written

  // The number to which line numbers in definition error messages are relative: the head's script line
  // (counted from 1), so that the definition's first line is reported on the line below it.
  int LineBase() const { return HeadLine + 1; }
  // True when no line of the body holds anything but blanks.
  bool Empty() const;
  // The lines that replace HeadLine..TailLine: the head, the definition and the tail, each behind the indent.
  std::vector<std::string> Reassembled(const std::vector<std::string>& definition) const;
};

// The block whose head is the caret line: a line whose first word is `dialog` or `string` (any letter case,
// blanks before it allowed). It ends, as a run ends it, at the next line that, trimmed and lower-cased, begins
// with the block's end word (`enddialog`; `endstring` or `endtext`). Nothing when the caret line is no head or
// no end line follows.
std::optional<DialogBlock> FindDialogBlock(const std::vector<std::string_view>& lines, int caretLine);

}  // namespace tw::editor
