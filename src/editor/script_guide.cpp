#include "editor/script_guide.h"

namespace tw::editor {

namespace {

std::string Escaped(std::string_view text) {
  std::string html;
  for (std::size_t i = 0; i < text.size(); ++i) {
    switch (text[i]) {
      case '&': html += "&amp;"; break;
      case '<': html += "&lt;"; break;
      case '>': html += "&gt;"; break;
      case '"': html += "&quot;"; break;
      case '\r':
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        html += "<br>";
        break;
      case '\n': html += "<br>"; break;
      default: html += text[i];
    }
  }
  return html;
}

}  // namespace

const GuideText& ScriptGuide::KeyboardText() {
  static const GuideText text{
      "Keyboard Tarnwicks:",
      "CTRL+J=Auto Complete\r\nCTRL+SHIFT+(0 to 9)=Place Bookmark\r\nCTRL+(0 to 9)=Goto Bookmark"};
  return text;
}

GuideText ScriptGuide::Look(std::string_view line, std::size_t caret) {
  currentWord_ = WordAt(line, caret);
  // The list's first entry is its heading: it gives no guide.
  const std::optional<std::size_t> index = currentWord_.empty() ? std::nullopt : list_.IndexOf(currentWord_);
  if (!index || *index == 0) return KeyboardText();
  const CompletionEntry& entry = list_.Entries()[*index];
  return {entry.heading, entry.body};
}

std::string ScriptGuide::Html(const GuideText& text) {
  return "<p style=\"margin:0\"><b style=\"color:#000080\">" + Escaped(text.heading) +
         "</b></p><p style=\"margin:0; color:#000000; white-space:pre-wrap\">" + Escaped(text.body) + "</p>";
}

}  // namespace tw::editor
