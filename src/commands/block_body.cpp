#include "commands/block_body.h"

#include <algorithm>

#include "commands/tarnwick_basic.h"
#include "text/ascii_text.h"

namespace tw {

std::vector<std::string> ReadBlockBody(TTarnwickBasic& library, std::initializer_list<std::string_view> endWords) {
  const auto& lines = library.Shared().Lines;
  const auto isEnd = [&](const std::string& line) {
    const std::string lowered = LowerAscii(Trimmed(line));
    return std::any_of(endWords.begin(), endWords.end(), [&](std::string_view word) { return lowered.starts_with(word); });
  };
  std::vector<std::string> body;
  std::size_t at = library.LineIndex;
  while (at + 1 < lines.size() && !isEnd(lines[at])) body.push_back(lines[at++]);
  library.JumpToLine(std::min(at + 1, lines.size()));
  return body;
}

void BlockError(TTarnwickBasic& library, std::size_t bodyLine, std::string_view message) {
  library.LineIndex = bodyLine;
  library.ScriptError(message);
}

std::size_t LeadingSpaces(std::string_view line) {
  const std::size_t first = line.find_first_not_of(' ');
  return first == std::string_view::npos ? line.size() : first;
}

std::string_view Unindented(std::string_view line, std::size_t indentation) {
  line.remove_prefix(std::min(LeadingSpaces(line), indentation));
  return line;
}

std::string_view WithoutMarker(std::string_view line) {
  if (!line.empty()) line.remove_suffix(1);
  return line;
}

}  // namespace tw
