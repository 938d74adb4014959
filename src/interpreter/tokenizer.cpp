// The tokenizer: reads one token at a time from the unread rest of the current line and fetches
// the next stored line when the rest is used up.
//
// Two ways of reading give the same tokens. The cached way scans each stored line once into its
// tokens and walks them on every later read of the line; the uncached way scans the unread rest
// of the line again on every read. Both use the scanning rules below.

#include <algorithm>
#include <array>

#include "interpreter/interpreter.h"
#include "interpreter/invariant.h"
#include "interpreter/locale/locale.h"
#include "interpreter/number_text.h"
#include "text/ascii_text.h"

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

bool IsSkippedLine(std::string_view trimmed) {
  return trimmed == "~" || trimmed.empty() || trimmed.front() == '\'';
}

// The extent of the token that starts at `at` in `text` (blanks before it already passed over).
struct Extent {
  enum class Class { EndOfLine, Operator, String, Number, Word, Other } What;
  std::size_t End;        // where the unread rest begins after the token
  std::size_t TextStart;  // what Token shows
  std::size_t TextLength;
};

// Inlined into both readers: it runs once per token.
[[gnu::always_inline]] inline Extent ScanExtent(std::string_view text, std::size_t at) {
  const char first = text[at];
  const std::size_t left = text.size() - at;
  if (left == 1 && first == '~') return {Extent::Class::EndOfLine, at + 1, at, 1};
  if (IsOperatorChar(first)) {
    std::size_t length = 1;
    if ((first == '>' || first == '<') && left > 1 && (text[at + 1] == '>' || text[at + 1] == '='))
      length = 2;
    return {Extent::Class::Operator, at + length, at, length};
  }
  if (first == '"') {
    const std::size_t close = text.find('"', at + 1);
    if (close == std::string_view::npos) {
      // An unclosed literal takes the rest of the line, but not its end-of-line marker.
      const std::size_t end = text.back() == '~' ? text.size() - 1 : text.size();
      return {Extent::Class::String, end, at + 1, end - at - 1};
    }
    return {Extent::Class::String, close + 1, at + 1, close - at - 1};
  }
  if (IsDigit(first) || IsLetter(first) || first == '_') {
    std::size_t end = at + 1;
    while (end < text.size() && !IsDelimiter(text[end])) ++end;
    return {IsDigit(first) ? Extent::Class::Number : Extent::Class::Word, end, at, end - at};
  }
  return {Extent::Class::Other, at + 1, at, 1};
}

// The stop text that StopScript puts in place of the rest of the line, read as one `end`.
LineTokens& StopTokens() {
  static LineTokens tokens = [] {
    LineTokens stop;
    stop.Text = kStopText;
    stop.Lower = "end";
    stop.Tokens.push_back({kStopText, {}, 0, 3, static_cast<int>(Keyword::End), TokenKind::tkStatement, kNoAux});
    stop.Tokens.back().Lower = std::string_view(stop.Lower);
    return stop;
  }();
  return tokens;
}

}  // namespace

// ---- Words ---------------------------------------------------------------------------------------

WordClass TBasicInterpreter::ClassifyWord(std::string_view lowerWord, std::string_view text,
                                          std::size_t& end) const {
  if (shared_->WordClassesStale) shared_->RebuildWordClasses();
  if (const WordClass* known = shared_->WordClasses.Find(lowerWord)) return *known;
  std::size_t after = end;
  while (after < text.size() && IsAsciiBlank(text[after])) ++after;
  if (after < text.size() && text[after] == ':') {
    end = after + 1;  // the ":" belongs to the label
    return {TokenKind::tkLabel, kIdNone};
  }
  if (!shared_->UserFunctions.empty() && shared_->UserFunctions.count(lowerWord))
    return {TokenKind::tkUserFunction, kIdNone};
  return {TokenKind::tkVariable, kIdNone};
}

void ScriptShared::RebuildWordClasses() {
  // From the lowest priority up, so that the first table that knows a word decides.
  std::vector<std::pair<std::string_view, WordClass>> words;
  for (const std::string& name : Functions)
    words.push_back({name, {TokenKind::tkFunction, TBasicInterpreter::kIdExtension}});
  for (const auto& entry : kBuiltinFunctions)
    words.push_back(
        {entry.Name, {TokenKind::tkFunction, TBasicInterpreter::kBuiltinBase + static_cast<int>(entry.Token)}});
  for (const auto& block : Blocks)
    words.push_back({block.first, {TokenKind::tkStatement, TBasicInterpreter::kIdBlock}});
  for (const std::string& name : Commands)
    words.push_back({name, {TokenKind::tkStatement, TBasicInterpreter::kIdCommand}});
  for (const auto& entry : kStatementKeywords)
    words.push_back({entry.Name,
                     {entry.Token == Keyword::Include ? TokenKind::tkFunction : TokenKind::tkStatement,
                      static_cast<int>(entry.Token)}});
  WordClasses.Build(words);
  WordClassesStale = false;
}

void ScriptShared::WordsChanged() {
  WordClassesStale = true;
  ++WordGeneration;
  ++ReadGeneration;
}

void ScriptShared::FunctionsChanged() {
  ++FunctionGeneration;
  ++ReadGeneration;
}

void ScriptShared::ClearLines() {
  Lines.clear();
  LineCache.clear();
  RetiredLines.clear();
  ++ReadGeneration;
}

// ---- Scanning a whole line -----------------------------------------------------------------------

void TBasicInterpreter::ScanLineTokens(LineTokens& line, std::string_view text, std::size_t from) const {
  line.Text = text;
  line.Lower.assign(text);
  for (char& c : line.Lower) c = LowerAsciiChar(c);
  // The tokens gather in lists kept from line to line and move to the line at its end, so that a
  // line's lists are allocated once, at their size, and not grown token by token.
  thread_local std::vector<CachedToken> tokens;
  thread_local std::vector<LiteralValue> literals;
  thread_local std::vector<VariableRef> variables;
  tokens.clear();
  literals.clear();
  variables.clear();
  line.Closers.clear();
  line.Expressions.clear();
  line.Conditions.clear();
  line.WordGeneration = shared_->WordGeneration;
  line.FunctionGeneration = shared_->FunctionGeneration;
  const char separator = currentLocale().decimalSeparator;
  std::size_t at = from;
  for (;;) {
    while (at < text.size() && IsAsciiBlank(text[at])) ++at;
    if (at >= text.size()) break;
    const Extent extent = ScanExtent(text, at);
    CachedToken token;
    token.Start = static_cast<std::uint32_t>(at);
    token.Text = text.substr(extent.TextStart, extent.TextLength);
    std::size_t end = extent.End;
    switch (extent.What) {
      case Extent::Class::EndOfLine:
        token.Kind = TokenKind::tkOperator;
        token.Id = kIdEndOfLine;
        break;
      case Extent::Class::Operator: token.Kind = TokenKind::tkOperator; break;
      case Extent::Class::Other: token.Kind = TokenKind::tkOther; break;
      case Extent::Class::String:
      case Extent::Class::Number: {
        token.Kind = extent.What == Extent::Class::String ? TokenKind::tkString : TokenKind::tkNumber;
        LiteralValue literal{ScriptValue(token.Text)};
        if (token.Kind == TokenKind::tkNumber)
          if (auto real = ParseReal(token.Text)) {
            literal.Real = *real;
            literal.Separator = separator;
          }
        token.Aux = static_cast<std::uint32_t>(literals.size());
        literals.push_back(std::move(literal));
        break;
      }
      case Extent::Class::Word: {
        token.Lower = std::string_view(line.Lower).substr(extent.TextStart, extent.TextLength);
        const WordClass word = ClassifyWord(token.Lower, text, end);
        token.Kind = word.Kind;
        token.Id = word.Id;
        // Any word can name a variable for the statements that read a name themselves.
        std::string_view normalized = token.Lower;
        while (!normalized.empty() && IsAsciiBlank(normalized.back())) normalized.remove_suffix(1);
        token.Aux = static_cast<std::uint32_t>(variables.size());
        variables.push_back({normalized, HashName(normalized), {}});
        break;
      }
    }
    token.Next = static_cast<std::uint32_t>(end);
    tokens.push_back(token);
    at = end;
  }
  line.Tokens.assign(tokens.begin(), tokens.end());
  line.Variables.assign(variables.begin(), variables.end());
  line.Literals.assign(std::make_move_iterator(literals.begin()), std::make_move_iterator(literals.end()));
  literals.clear();  // no text of this line stays held by the list
}

// Words are classified again in place when only the user functions changed: which word is a
// function call and which a variable is all that depends on them.
void TBasicInterpreter::ReclassifyFunctionWords(LineTokens& line) const {
  for (CachedToken& token : line.Tokens)
    if (token.Kind == TokenKind::tkVariable || token.Kind == TokenKind::tkUserFunction)
      token.Kind = shared_->UserFunctions.count(token.Lower) ? TokenKind::tkUserFunction : TokenKind::tkVariable;
  line.FunctionGeneration = shared_->FunctionGeneration;
  line.Expressions.clear();  // a variable of their code may now call a function
  line.Conditions.clear();
  for (CachedToken& token : line.Tokens) token.Expression = kNoAux;
}

LineTokens* TBasicInterpreter::LineTokensAt(std::size_t index) {
  auto& cache = shared_->LineCache;
  if (index < cache.size()) {  // the common case: a line read before, under the same words
    LineTokens* known = cache[index].get();
    if (known && (known->Skipped || (known->WordGeneration == shared_->WordGeneration &&
                                     known->FunctionGeneration == shared_->FunctionGeneration)))
      return known;
  }
  if (cache.size() <= index) cache.resize(shared_->Lines.size() > index ? shared_->Lines.size() : index + 1);
  std::unique_ptr<LineTokens>& slot = cache[index];
  if (!slot) {
    slot = std::make_unique<LineTokens>();
    const std::string_view trimmed = Trimmed(shared_->Lines[index]);
    slot->Skipped = IsSkippedLine(trimmed);
    if (slot->Skipped) return slot.get();
    ScanLineTokens(*slot, trimmed, 0);
    return slot.get();
  }
  if (slot->Skipped) return slot.get();
  if (slot->WordGeneration != shared_->WordGeneration) {
    // Readers may still stand in the old tokens; they stay until the script is loaded again.
    auto fresh = std::make_unique<LineTokens>();
    ScanLineTokens(*fresh, slot->Text, 0);
    shared_->RetiredLines.push_back(std::move(slot));
    slot = std::move(fresh);
  } else if (slot->FunctionGeneration != shared_->FunctionGeneration) {
    ReclassifyFunctionWords(*slot);
  }
  return slot.get();
}

// ---- Reading -------------------------------------------------------------------------------------

void TBasicInterpreter::SetEndOfScript() {
  Token = {};
  Kind = TokenKind::tkOperator;
  TokenId = kIdEndOfScript;
  cur_ = nullptr;
  tokenStart_ = nullptr;
}

void TBasicInterpreter::ClearTokenState() {
  Token = {};
  Kind = TokenKind::None;
  TokenId = kIdNone;
  cur_ = nullptr;
  source_ = nullptr;
  next_ = end_ = nullptr;
  rest_ = {};
  tokenStart_ = nullptr;
  restEnd_ = nullptr;
}

void TBasicInterpreter::DropRestOfLine() {
  cur_ = nullptr;
  next_ = end_;
  rest_ = {};
  tokenStart_ = nullptr;
}

std::size_t TBasicInterpreter::CurrentTokenOffset() const {
  if (!uncached_) return cur_ ? cur_->Start : 0;
  if (!tokenStart_ || !lineStart_ || tokenStart_ < lineStart_ || tokenStart_ > restEnd_) return 0;
  return static_cast<std::size_t>(tokenStart_ - lineStart_);
}

std::string_view TBasicInterpreter::RestOfLine() const {
  if (uncached_) return rest_;
  if (!source_) return {};
  std::size_t from = source_->Text.size();
  if (cur_ && next_ == cur_ + 1)
    from = cur_->Next;
  else if (next_ != end_)
    from = next_->Start;
  return source_->Text.substr(from);
}

void TBasicInterpreter::JumpToLine(std::size_t line) {
  TW_ASSERT(line <= shared_->Lines.size());  // loops, labels and returns point into the script
  LineIndex = line;
  ClearTokenState();
}

bool TBasicInterpreter::OnLineWanted(std::string_view line) const {
  return Stepping && lineHookEnabled_ && !CheckMode && !StopRequested.load(std::memory_order_relaxed) && OnLine &&
         !StartsWithKeyword(line, "sub") && !StartsWithKeyword(line, "func");
}

bool TBasicInterpreter::FetchLine() {
  const auto& lines = shared_->Lines;
  const std::size_t lineCount = lines.size();
  const auto& cache = shared_->LineCache;
  while (LineIndex < lineCount) {
    if (!uncached_) {
      // A line read before under the same words is taken as it is; LineTokensAt makes the others.
      LineTokens* line = LineIndex < cache.size() ? cache[LineIndex].get() : nullptr;
      if (!line || (!line->Skipped && (line->WordGeneration != shared_->WordGeneration ||
                                       line->FunctionGeneration != shared_->FunctionGeneration)))
        line = LineTokensAt(LineIndex);
      if (line->Skipped) {
        ++LineIndex;
        continue;
      }
      source_ = line;
      next_ = line->Tokens.data();
      end_ = next_ + line->Tokens.size();
      readGeneration_ = shared_->ReadGeneration;
      if (OnLine && OnLineWanted(line->Text)) OnLine(*this, LineIndex, line->Text);
      ++LineIndex;
      return true;
    }
    std::string_view line = Trimmed(lines[LineIndex]);
    if (IsSkippedLine(line)) {
      ++LineIndex;
      continue;
    }
    rest_ = line;
    restEnd_ = line.data() + line.size();
    lineStart_ = line.data();
    if (OnLineWanted(line)) OnLine(*this, LineIndex, line);
    ++LineIndex;
    return true;
  }
  return false;
}

void TBasicInterpreter::NextTokenSlow() {
  Token = {};
  Kind = TokenKind::None;
  TokenId = kIdNone;
  cur_ = nullptr;
  // A stop (an error, `end`, or the host's stop command) ends all further reading at once.
  if (StopRequested.load(std::memory_order_relaxed)) {
    LineTokens* stop = &StopTokens();
    if (!(source_ == stop && next_ == stop->Tokens.data())) {
      SetEndOfScript();
      return;
    }
  }
  if (source_ && readGeneration_ != shared_->ReadGeneration && source_ != &StopTokens()) RefreshCurrentLine();
  if (next_ == end_) {
    if (!FetchLine()) {
      SetEndOfScript();
      return;
    }
    // The line hook may have stopped the run, which puts the stop text in place of the line.
    if (next_ == end_) {
      NextTokenSlow();
      return;
    }
  }
  cur_ = next_++;
  Token = cur_->Text;
  Kind = cur_->Kind;
  TokenId = cur_->Id;
}

// The word tables changed while this interpreter stood inside a line: the rest of the line reads
// with the new tables, as the uncached way would read it.
void TBasicInterpreter::RefreshCurrentLine() {
  if (source_->WordGeneration == shared_->WordGeneration) {
    if (source_->FunctionGeneration != shared_->FunctionGeneration) ReclassifyFunctionWords(*source_);
    readGeneration_ = shared_->ReadGeneration;
    return;
  }
  const std::size_t from = next_ != end_ ? next_->Start : source_->Text.size();
  auto rest = std::make_unique<LineTokens>();
  ScanLineTokens(*rest, source_->Text, from);
  source_ = rest.get();
  shared_->RetiredLines.push_back(std::move(rest));  // kept, like replaced lines, until the next load
  cur_ = nullptr;
  next_ = source_->Tokens.data();
  end_ = next_ + source_->Tokens.size();
  readGeneration_ = shared_->ReadGeneration;
}

void TBasicInterpreter::NextTokenUncached() {
  Token = {};
  Kind = TokenKind::None;
  TokenId = kIdNone;
  tokenStart_ = nullptr;
  cur_ = nullptr;
  // A stop (an error, `end`, or the host's stop command) ends all further reading at once.
  if (StopRequested.load(std::memory_order_relaxed) && rest_.data() != kStopText.data()) {
    SetEndOfScript();
    return;
  }
  rest_ = Trimmed(rest_);
  if (rest_.empty() && !FetchLine()) {
    SetEndOfScript();
    return;
  }
  tokenStart_ = rest_.data();
  const Extent extent = ScanExtent(rest_, 0);
  std::size_t end = extent.End;
  // The token is made in locals and then stored: reading back the fields just written would wait for the stores.
  const std::string_view text = rest_.substr(extent.TextStart, extent.TextLength);
  std::string_view lower;
  TokenKind kind = TokenKind::None;
  int id = kIdNone;
  switch (extent.What) {
    case Extent::Class::EndOfLine:
      kind = TokenKind::tkOperator;
      id = kIdEndOfLine;
      break;
    case Extent::Class::Operator: kind = TokenKind::tkOperator; break;
    case Extent::Class::Other: kind = TokenKind::tkOther; break;
    case Extent::Class::String: kind = TokenKind::tkString; break;
    case Extent::Class::Number: kind = TokenKind::tkNumber; break;
    case Extent::Class::Word: {
      scratchLower_.resize(text.size());
      std::transform(text.begin(), text.end(), scratchLower_.begin(), LowerAsciiChar);
      lower = scratchLower_;
      const WordClass word = ClassifyWord(lower, rest_, end);
      kind = word.Kind;
      id = word.Id;
      break;
    }
  }
  scratch_ = {};
  scratch_.Text = text;
  scratch_.Lower = lower;
  scratch_.Kind = kind;
  scratch_.Id = id;
  rest_.remove_prefix(end);  // the end-of-line marker keeps its place, so it can be pushed back
  cur_ = &scratch_;
  Token = text;
  Kind = kind;
  TokenId = id;
}

void TBasicInterpreter::PushBackToken() {
  if (!uncached_) {
    if (cur_ && cur_ + 1 == next_) next_ = cur_;
    return;
  }
  // Re-reading the same text gives the same token; a rest replaced meanwhile (by a stop) wins.
  if (tokenStart_ && restEnd_ && rest_.data() + rest_.size() == restEnd_ && tokenStart_ <= rest_.data())
    rest_ = std::string_view(tokenStart_, static_cast<std::size_t>(restEnd_ - tokenStart_));
}

void TBasicInterpreter::StopScript() {
  if (!Running) return;
  LineTokens& stop = StopTokens();
  source_ = &stop;
  next_ = stop.Tokens.data();
  end_ = next_ + stop.Tokens.size();
  cur_ = nullptr;
  rest_ = kStopText;
  restEnd_ = kStopText.data() + kStopText.size();
  tokenStart_ = nullptr;
  StopRequested = true;
  Running = false;
  if (OnStop) OnStop(*this);
}

}  // namespace tw
