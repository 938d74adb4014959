#pragma once
// The guide panel's logic: which word the caret is on and what the panel says about it. The panel looks the
// word up a moment after the last key or mouse release in a page, while it is shown and no run steps.

#include <string>
#include <string_view>

#include "editor/completion_list.h"

namespace tw::editor {

struct GuideText {
  std::string heading;
  std::string body;  // line breaks as "\n" or "\r\n"
  bool operator==(const GuideText&) const = default;
};

class ScriptGuide {
 public:
  static constexpr int kDelayMs = 500;
  static const GuideText& KeyboardText();

  explicit ScriptGuide(const CompletionList& list) : list_(list) {}

  // Whether a release in a page restarts the timer.
  static bool Follows(bool panelShown, bool stepping) { return panelShown && !stepping; }
  // The timer fired: the word at the caret (a byte offset into the line) becomes the current word; its entry's
  // heading and body when it has one after the list's first, else the keyboard text.
  GuideText Look(std::string_view line, std::size_t caret);
  const std::string& CurrentWord() const { return currentWord_; }

  // The text as the panel shows it: the heading bold navy, the body plain black below it.
  static std::string Html(const GuideText& text);

 private:
  const CompletionList& list_;
  std::string currentWord_;
};

}  // namespace tw::editor
