// The tokenizer: reads one token at a time from the unread rest of the current line and fetches
// the next stored line when the rest is used up.

#include <array>

#include "interpreter/interpreter.h"

namespace tw {

namespace {

constexpr std::string_view kStopText = "END";

constexpr std::array<bool, 256> MakeDelimiters() {
  std::array<bool, 256> table{};
  for (char c : std::string_view(" \t:;,+-<>^/*%=()~[]{}")) table[static_cast<unsigned char>(c)] = true;
  return table;
}
constexpr std::array<bool, 256> kDelimiters = MakeDelimiters();

bool IsDelimiter(char c) { return kDelimiters[static_cast<unsigned char>(c)]; }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsOperatorChar(char c) {
  switch (c) {
    case ':': case '+': case '-': case '*': case '^': case '/': case '=': case ',': case '>':
    case '<': case '(': case ')':
      return true;
    default:
      return false;
  }
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool StartsWithFolded(std::string_view text, std::string_view lowerPrefix) {
  if (text.size() < lowerPrefix.size()) return false;
  for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != lowerPrefix[i]) return false;
  }
  return true;
}

}  // namespace

void TBasicInterpreter::SetEndOfScript() {
  Token = {};
  Kind = TokenKind::tkOperator;
  TokenId = kIdEndOfScript;
  tokenStart_ = nullptr;
}

void TBasicInterpreter::ClearTokenState() {
  Token = {};
  Kind = TokenKind::None;
  TokenId = kIdNone;
  Rest = {};
  tokenStart_ = nullptr;
  restEnd_ = nullptr;
}

void TBasicInterpreter::DropRestOfLine() {
  Rest = {};
  tokenStart_ = nullptr;
}

std::size_t TBasicInterpreter::CurrentTokenOffset() const {
  if (!tokenStart_ || !lineStart_ || tokenStart_ < lineStart_ || tokenStart_ > restEnd_) return 0;
  return static_cast<std::size_t>(tokenStart_ - lineStart_);
}

void TBasicInterpreter::JumpToLine(std::size_t line) {
  LineIndex = line;
  ClearTokenState();
}

bool TBasicInterpreter::FetchLine() {
  const auto& lines = shared_->Lines;
  while (LineIndex < lines.size()) {
    std::string_view line = Trim(lines[LineIndex]);
    if (line == "~" || line.empty() || line.front() == '\'') {
      ++LineIndex;
      continue;
    }
    Rest = line;
    restEnd_ = line.data() + line.size();
    lineStart_ = line.data();
    if (Stepping && lineHookEnabled_ && !CheckMode && !StopRequested.load(std::memory_order_relaxed) &&
        OnLine && !StartsWithFolded(line, "sub") && !StartsWithFolded(line, "func"))
      OnLine(*this, LineIndex, line);
    ++LineIndex;
    return true;
  }
  return false;
}

void TBasicInterpreter::NextToken() {
  Token = {};
  Kind = TokenKind::None;
  TokenId = kIdNone;
  tokenStart_ = nullptr;
  // A stop (an error, `end`, or the host's stop command) ends all further reading at once.
  if (StopRequested.load(std::memory_order_relaxed) && Rest.data() != kStopText.data()) {
    SetEndOfScript();
    return;
  }
  Rest = Trim(Rest);
  if (Rest.empty() && !FetchLine()) {
    SetEndOfScript();
    return;
  }
  tokenStart_ = Rest.data();
  const char first = Rest.front();
  if (Rest.size() == 1 && first == '~') {
    Token = Rest;
    Kind = TokenKind::tkOperator;
    TokenId = kIdEndOfLine;
    Rest.remove_prefix(1);  // keeps its place in the line, so the marker can be pushed back
    return;
  }
  std::size_t length = 1;
  if (IsOperatorChar(first)) {
    if ((first == '>' || first == '<') && Rest.size() > 1 && (Rest[1] == '>' || Rest[1] == '='))
      length = 2;
    Token = Rest.substr(0, length);
    Kind = TokenKind::tkOperator;
  } else if (first == '"') {
    std::size_t close = Rest.find('"', 1);
    if (close == std::string_view::npos) {
      // An unclosed literal takes the rest of the line, but not its end-of-line marker.
      std::size_t end = Rest.back() == '~' ? Rest.size() - 1 : Rest.size();
      Token = Rest.substr(1, end - 1);
      length = end;
    } else {
      Token = Rest.substr(1, close - 1);
      length = close + 1;
    }
    Kind = TokenKind::tkString;
  } else if (IsDigit(first) || IsLetter(first) || first == '_') {
    while (length < Rest.size() && !IsDelimiter(Rest[length])) ++length;
    Token = Rest.substr(0, length);
    if (IsDigit(first)) {
      Kind = TokenKind::tkNumber;
    } else {
      Rest.remove_prefix(length);
      ClassifyWord(Token);
      return;
    }
  } else {
    Token = Rest.substr(0, 1);
    Kind = TokenKind::tkOther;
  }
  Rest.remove_prefix(length);
}

void TBasicInterpreter::ClassifyWord(std::string_view word) {
  tokenLower_.clear();
  for (char c : word) tokenLower_ += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  if (shared_->WordClassesStale) RebuildWordClasses();
  auto known = shared_->WordClasses.find(std::string_view(tokenLower_));
  if (known != shared_->WordClasses.end()) {
    Kind = known->second.Kind;
    TokenId = known->second.Id;
    return;
  }
  std::string_view after = Rest;
  while (!after.empty() && IsBlank(after.front())) after.remove_prefix(1);
  if (!after.empty() && after.front() == ':') {
    Kind = TokenKind::tkLabel;
    Rest = after.substr(1);
    return;
  }
  if (shared_->UserFunctions.count(std::string_view(tokenLower_))) {
    Kind = TokenKind::tkUserFunction;
    return;
  }
  Kind = TokenKind::tkVariable;
}

void TBasicInterpreter::RebuildWordClasses() {
  auto& classes = shared_->WordClasses;
  classes.clear();
  // Inserted from the lowest priority up, so that the first table that knows a word decides.
  for (const std::string& name : shared_->Functions) classes[name] = {TokenKind::tkFunction, kIdExtension};
  for (const auto& entry : kBuiltinFunctions)
    classes[std::string(entry.Name)] = {TokenKind::tkFunction, kBuiltinBase + static_cast<int>(entry.Token)};
  for (const auto& block : shared_->Blocks) classes[block.first] = {TokenKind::tkStatement, kIdBlock};
  for (const std::string& name : shared_->Commands) classes[name] = {TokenKind::tkStatement, kIdCommand};
  for (const auto& entry : kStatementKeywords)
    classes[std::string(entry.Name)] = {
        entry.Token == Keyword::Include ? TokenKind::tkFunction : TokenKind::tkStatement,
        static_cast<int>(entry.Token)};
  shared_->WordClassesStale = false;
}

void TBasicInterpreter::PushBackToken() {
  // Re-reading the same text gives the same token; a rest replaced meanwhile (by a stop) wins.
  if (tokenStart_ && restEnd_ && Rest.data() + Rest.size() == restEnd_ && tokenStart_ <= Rest.data())
    Rest = std::string_view(tokenStart_, static_cast<std::size_t>(restEnd_ - tokenStart_));
}

void TBasicInterpreter::StopScript() {
  if (!Running) return;
  Rest = kStopText;
  restEnd_ = kStopText.data() + kStopText.size();
  tokenStart_ = nullptr;
  StopRequested = true;
  Running = false;
  if (OnStop) OnStop(*this);
}

}  // namespace tw
