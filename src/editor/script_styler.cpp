#include "editor/script_styler.h"

#include <algorithm>

#include "interpreter/interpreter.h"
#include "text/ascii_text.h"

namespace tw::editor {

namespace {

constexpr std::string_view kExtraKeywords = " _delay _endoncancel ";

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNumberCharacter(char c) { return IsDigit(c) || c == '.' || c == 'E' || c == 'e'; }
bool IsSymbol(char c) { return std::string_view("&()*+,-./:;=^{}<>").find(c) != std::string_view::npos; }

void AddWords(std::unordered_set<std::string>& set, std::string_view words) {
  std::size_t at = 0;
  while (at < words.size()) {
    while (at < words.size() && IsAsciiBlank(words[at])) ++at;
    std::size_t end = at;
    while (end < words.size() && !IsAsciiBlank(words[end])) ++end;
    if (end > at) set.insert(LowerAscii(words.substr(at, end - at)));
    at = end;
  }
}

// The word in lower case, in a buffer kept for the next word.
const std::string& LoweredWord(std::string_view word) {
  thread_local std::string lowered;
  lowered.assign(word);
  for (char& c : lowered) c = LowerAsciiChar(c);
  return lowered;
}

}  // namespace

ScriptStyler::ScriptStyler(std::string_view keywords, const std::vector<std::string>& blockBegins,
                           const std::vector<std::string>& blockEnds) {
  AddWords(keywords_, keywords);
  for (const std::string& word : blockBegins) blockBegins_.insert(LowerAscii(word));
  for (const std::string& word : blockEnds)
    if (!word.empty()) blockEnds_.push_back(LowerAscii(word));
}

ScriptStyler::ScriptStyler(const TBasicInterpreter& interpreter) {
  AddWords(keywords_, interpreter.GetKeywords());
  AddWords(keywords_, kExtraKeywords);
  for (const auto& [begin, tokens] : interpreter.Shared().Blocks) {
    blockBegins_.insert(LowerAscii(begin));
    if (!tokens.EndWord.empty()) blockEnds_.push_back(LowerAscii(tokens.EndWord));
  }
}

bool ScriptStyler::IsKeyword(std::string_view word) const { return keywords_.count(LoweredWord(word)) != 0; }

// A block ends where the run ends it: at a line whose trimmed text begins with a block's last word, so
// `enddialog 'done` ends it as `enddialog` does.
bool ScriptStyler::EndsBlock(std::string_view line) const {
  const std::string_view trimmed = Trimmed(line);
  return std::any_of(blockEnds_.begin(), blockEnds_.end(), [trimmed](const std::string& word) {
    if (trimmed.size() < word.size()) return false;
    for (std::size_t n = 0; n < word.size(); ++n)
      if (LowerAsciiChar(trimmed[n]) != word[n]) return false;
    return true;
  });
}

LineState ScriptStyler::StyleLine(std::string_view line, LineState state, std::vector<StyledToken>& tokens) const {
  tokens.clear();
  if (line.empty()) return state;
  if (state == LineState::InBlock) {
    if (!EndsBlock(line)) {
      tokens.push_back({0, line.size(), TokenStyle::Block});
      return LineState::InBlock;
    }
    state = LineState::Code;
  }
  const std::size_t size = line.size();
  std::size_t at = 0;
  while (at < size) {
    const std::size_t start = at;
    const char c = line[at];
    TokenStyle style = TokenStyle::Identifier;
    if (c == '\'') {
      at = size;
      style = TokenStyle::Comment;
    } else if (c == '"' || c == '#') {
      const std::size_t close = line.find(c, at + 1);
      at = close == std::string_view::npos ? size : close + 1;
      style = TokenStyle::String;
    } else if (IsDigit(c)) {
      while (at < size && IsNumberCharacter(line[at])) ++at;
      style = TokenStyle::Number;
    } else if (IsLetter(c)) {
      while (at < size && IsAsciiNameCharacter(line[at])) ++at;
      const std::string& lowered = LoweredWord(line.substr(start, at - start));
      if (keywords_.count(lowered)) {
        tokens.push_back({start, at - start, TokenStyle::Keyword});
        if (blockBegins_.count(lowered)) {
          // The rest of the line belongs to the block already.
          if (at < size) tokens.push_back({at, size - at, TokenStyle::Block});
          return LineState::InBlock;
        }
        continue;
      }
    } else if (IsAsciiBlank(c)) {
      while (at < size && IsAsciiBlank(line[at])) ++at;
      style = TokenStyle::WhiteSpace;
    } else if (IsSymbol(c)) {
      ++at;
      if (at < size && ((c == '<' && (line[at] == '=' || line[at] == '>')) || (c == '>' && line[at] == '='))) ++at;
      style = TokenStyle::Symbol;
    } else {
      ++at;
    }
    tokens.push_back({start, at - start, style});
  }
  return state;
}

}  // namespace tw::editor
