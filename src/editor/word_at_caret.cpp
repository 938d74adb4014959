#include "editor/word_at_caret.h"

#include "text/ascii_text.h"

namespace tw::editor {

std::string_view WordAtCaret(std::string_view line, std::size_t caret) {
  if (caret > line.size()) caret = line.size();
  std::size_t first = caret;
  while (first > 0 && IsAsciiNameCharacter(line[first - 1])) --first;
  std::size_t end = caret;
  while (end < line.size() && IsAsciiNameCharacter(line[end])) ++end;
  return line.substr(first, end - first);
}

}  // namespace tw::editor
