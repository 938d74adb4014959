#include "recorder/recording_script.h"

#include <algorithm>

namespace tw {

std::string ScriptTextLiteral(std::string_view text) {
  std::string out;
  const auto join = [&out](const std::string& part) { out += (out.empty() ? "" : " + ") + part; };
  for (std::size_t at = 0;;) {
    const std::size_t quote = std::min(text.find('"', at), text.size());
    if (quote > at) join('"' + std::string(text.substr(at, quote - at)) + '"');
    if (quote == text.size()) break;
    join("chr(34)");
    at = quote + 1;
  }
  return out.empty() ? "\"\"" : out;
}

std::string RecordingScriptText(std::string_view recorded, const RecordingTarget& target, int caretColumn) {
  if (recorded.empty()) return {};
  std::string text;
  const bool byTitle = !target.title.empty();
  const bool wrapped = byTitle || !target.windowClass.empty();
  if (wrapped)
    text += std::string("IF ") + (byTitle ? "FOCUS" : "FOCUSCLASS") + "(" +
            ScriptTextLiteral(byTitle ? target.title : target.windowClass) + ", 5) = True THEN\r\n";
  for (std::size_t at = 0; at < recorded.size();) {
    const std::size_t end = std::min(recorded.find("\r\n", at), recorded.size());
    text += "SEND " + ScriptTextLiteral(recorded.substr(at, end - at)) + "\r\n";
    at = end + 2;
  }
  if (wrapped) text += "ENDIF\r\n";
  return IndentLaterLines(text, caretColumn);
}

std::string IndentLaterLines(std::string_view text, int caretColumn) {
  const std::string indent(static_cast<std::size_t>(std::max(caretColumn - 1, 0)), ' ');
  std::string indented;
  for (const char c : text) {
    indented += c;
    if (c == '\n') indented += indent;
  }
  return indented;
}

}  // namespace tw
