#pragma once
// The highlighter's rules for one line of script text, with no editing component: the line and the state the
// line before left in, tokens with their styles and the state for the next line out. Its words are the
// interpreter's own: whatever is registered on it (commands, functions, blocks) is highlighted as it is.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tw {
class TBasicInterpreter;
}

namespace tw::editor {

enum class TokenStyle : unsigned char {
  WhiteSpace,
  Comment,     // italic red
  String,      // blue; also a #...# token
  Number,      // navy
  Keyword,     // bold
  Identifier,  // plain: words that are no keyword, and characters of no other kind
  Symbol,
  Block,  // blue: the text of a block
};
inline constexpr int kTokenStyleCount = 8;

struct StyledToken {
  std::size_t Start = 0;
  std::size_t Length = 0;
  TokenStyle Style = TokenStyle::WhiteSpace;
};

// What one line hands to the next.
enum class LineState : int { Code = 0, InBlock = 1 };

class ScriptStyler {
 public:
  // The interpreter's keyword list, " _delay _endoncancel ", and its blocks' first and last words.
  explicit ScriptStyler(const TBasicInterpreter& interpreter);
  // Words written out: `keywords` separated by blanks; each list of words compared in lower case.
  ScriptStyler(std::string_view keywords, const std::vector<std::string>& blockBegins,
               const std::vector<std::string>& blockEnds);

  // Styles `line` (without its line break), beginning in `state`; `tokens` is replaced by the line's tokens,
  // which cover it whole. Returns the state the next line begins in.
  LineState StyleLine(std::string_view line, LineState state, std::vector<StyledToken>& tokens) const;

  bool IsKeyword(std::string_view word) const;
  // Every word shown bold, in lower case.
  const std::unordered_set<std::string>& Keywords() const { return keywords_; }

 private:
  bool EndsBlock(std::string_view line) const;

  std::unordered_set<std::string> keywords_;
  std::unordered_set<std::string> blockBegins_;
  std::vector<std::string> blockEnds_;
};

}  // namespace tw::editor
