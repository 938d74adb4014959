#include "editor/word_at_caret.h"

namespace tw::editor {

namespace {

bool IsWordCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

std::string_view WordAtCaret(std::string_view line, std::size_t caret) {
  if (caret > line.size()) caret = line.size();
  std::size_t first = caret;
  while (first > 0 && IsWordCharacter(line[first - 1])) --first;
  std::size_t end = caret;
  while (end < line.size() && IsWordCharacter(line[end])) ++end;
  return line.substr(first, end - first);
}

}  // namespace tw::editor
