// if, for, while, goto, gosub and caseof, and the skips that step over code not taken.

#include <charconv>

#include "interpreter/number_text.h"
#include "interpreter/interpreter.h"
#include "interpreter/invariant.h"

namespace tw {

namespace {
// gosub without return nests without bound; this many levels are more than any script needs.
constexpr std::size_t kMaximumGosubDepth = 10000;
}  // namespace

TStackItem TBasicInterpreter::OpenerEntry() const {
  TStackItem entry;
  entry.OpenerLine = LineIndex > 0 ? LineIndex - 1 : 0;
  entry.OpenerOffset = CurrentTokenOffset();
  entry.GosubDepth = gosubStack_.size();
  return entry;
}

// The same for, while or caseof running again at the same gosub level while its entry is still
// on the stack means a jump left that block: its entry and everything pushed after it are dropped.
// Blocks entered in order stand at ascending places on the stack, so a block that stands after the
// top entry cannot be on it, and nested blocks need no search (deep nesting stays linear).
void TBasicInterpreter::DropLeftEntries(std::vector<TStackItem>& stack, const TStackItem& opener) {
  if (stack.empty()) return;
  const TStackItem& top = stack.back();
  if (top.GosubDepth < opener.GosubDepth) return;
  if (top.GosubDepth == opener.GosubDepth &&
      (opener.OpenerLine > top.OpenerLine ||
       (opener.OpenerLine == top.OpenerLine && opener.OpenerOffset > top.OpenerOffset)))
    return;
  for (std::size_t i = stack.size(); i-- > 0;) {
    const TStackItem& entry = stack[i];
    if (entry.GosubDepth < opener.GosubDepth) return;
    if (entry.GosubDepth == opener.GosubDepth && entry.OpenerLine == opener.OpenerLine &&
        entry.OpenerOffset == opener.OpenerOffset) {
      stack.resize(i);
      return;
    }
  }
}

bool TBasicInterpreter::PlaceOfCurrentToken(TokenPlace& place) const {
  if (uncached_ || !cur_ || LineIndex == 0) return false;
  const std::size_t line = LineIndex - 1;
  const auto& cache = shared_->LineCache;
  if (line >= cache.size() || cache[line].get() != source_) return false;
  place = {static_cast<std::uint32_t>(line), static_cast<std::uint32_t>(cur_ - source_->Tokens.data())};
  return true;
}

const TokenPlace* TBasicInterpreter::KnownCloser(const TokenPlace& opener) const {
  for (const auto& [token, closer] : shared_->LineCache[opener.Line]->Closers)
    if (token == opener.Token) return &closer;
  return nullptr;
}

void TBasicInterpreter::ReadAt(const TokenPlace& place) {
  LineTokens* line = LineTokensAt(place.Line);
  source_ = line;
  cur_ = line->Tokens.data() + place.Token;
  next_ = cur_ + 1;
  end_ = line->Tokens.data() + line->Tokens.size();
  readGeneration_ = shared_->ReadGeneration;
  LineIndex = place.Line + 1;
  Token = cur_->Text;
  Kind = cur_->Kind;
  TokenId = cur_->Id;
}

// A skip counts open and close words; in cached reading it remembers, for each open word whose
// block it passed over, where that block closes, and later skips step over such a block at once.
// So skipping the same code again (a while whose condition turns false) costs nothing, and deeply
// nested blocks are skipped in time linear in their size.
void TBasicInterpreter::SkipToMatching(Keyword open, int middle, Keyword close, const TokenPlace* opener) {
  const bool savedHook = lineHookEnabled_;
  lineHookEnabled_ = false;
  auto endsSkip = [&](const CachedToken& t) {
    return t.Kind == TokenKind::tkStatement &&
           (t.Id == static_cast<int>(open) || t.Id == static_cast<int>(close) || t.Id == middle || t.Id == kIdBlock);
  };
  // The opener's block is known once the skip closes it, unless the words read since the opener
  // could count in a skip themselves.
  bool recordOpener = opener && !uncached_ && LineIndex > 0 && opener->Line == LineIndex - 1 &&
                      shared_->LineCache[opener->Line].get() == source_;
  if (recordOpener)
    for (const CachedToken* t = source_->Tokens.data() + opener->Token + 1; t < next_ && t < end_; ++t)
      if (endsSkip(*t)) recordOpener = false;
  if (recordOpener) {
    if (const TokenPlace* closer = KnownCloser(*opener)) {
      // A middle word (else) may stop the skip before the close: then the block is walked.
      if (middle < 0) {
        ReadAt(*closer);
        lineHookEnabled_ = savedHook;
        return;
      }
      recordOpener = false;
    }
  }
  constexpr TokenPlace kUnknown{UINT32_MAX, UINT32_MAX};
  std::vector<TokenPlace> opens;  // the nested open words being passed over
  for (;;) {
    NextToken();
    if (AtEndOfScript()) break;
    if (Kind != TokenKind::tkStatement) continue;
    if (TokenIs(open)) {
      TokenPlace place;
      if (PlaceOfCurrentToken(place)) {
        if (const TokenPlace* closer = KnownCloser(place)) {
          ReadAt(*closer);
          continue;
        }
        opens.push_back(place);
      } else {
        opens.push_back(kUnknown);
      }
    } else if (TokenIs(close)) {
      TokenPlace here;
      const bool known = PlaceOfCurrentToken(here);
      if (opens.empty()) {
        if (recordOpener && known) shared_->LineCache[opener->Line]->Closers.push_back({opener->Token, here});
        break;
      }
      if (known && opens.back().Line != UINT32_MAX)
        shared_->LineCache[opens.back().Line]->Closers.push_back({opens.back().Token, here});
      opens.pop_back();
    } else if (middle >= 0 && TokenId == middle && Kind != TokenKind::tkOperator) {
      if (opens.empty()) break;
    } else if (TokenId == kIdBlock) {
      SkipBlock(std::string(TokenLower()));
    }
  }
  lineHookEnabled_ = savedHook;
}

void TBasicInterpreter::RunIf() {
  TokenPlace opener;
  const bool placed = PlaceOfCurrentToken(opener);
  const bool holds = EvaluateCondition(true, false);
  if (!holds && !CheckMode) {
    SkipToMatching(Keyword::If, static_cast<int>(Keyword::Else), Keyword::EndIf, placed ? &opener : nullptr);
    return;
  }
  // The body starts on the next line: whatever follows `then` on this line is passed over.
  if (TokenIs(Keyword::Then)) NextToken();
}

void TBasicInterpreter::RunFor() {
  TStackItem opener = OpenerEntry();
  TokenPlace place;
  const bool placed = PlaceOfCurrentToken(place);
  NextToken();
  const std::string name(Token);
  VariableRef* variable = CurrentVariableRef();
  if (name.empty() || !((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z') ||
                        name[0] == '_')) {
    ScriptError("Syntax Error");
    return;
  }
  NextToken();
  if (!TokenIsOperator('=')) {
    ScriptError("Missing \"=\"");
    return;
  }
  auto readBound = [this](std::int32_t& bound) {
    ScriptValue value = Evaluate();
    try {
      bound = value.ToInteger();
      return true;
    } catch (const ScriptFailure&) {
      ScriptError("Invalid Value");
      return false;
    }
  };
  std::int32_t start = 0;
  std::int32_t limit = 0;
  if (!readBound(start)) return;
  NextToken();
  if (!TokenIs(Keyword::To)) {
    ScriptError("Missing TO");
    return;
  }
  if (!readBound(limit) || CheckMode) return;
  DropLeftEntries(forStack_, opener);
  if (limit < start) {
    SkipToMatching(Keyword::For, -1, Keyword::EndFor, placed ? &place : nullptr);
    return;
  }
  char text[16];
  const auto written = std::to_chars(text, text + sizeof text, start);
  const ScriptValue first(std::string_view(text, static_cast<std::size_t>(written.ptr - text)));
  if (variable)
    WriteVariable(*variable, name, first);
  else
    SetVariable(name, first);
  opener.Variable = variable;
  opener.Name = name;
  opener.Limit = limit;
  opener.Line = LineIndex;
  forStack_.push_back(std::move(opener));
}

void TBasicInterpreter::RunEndFor() {
  if (CheckMode) {
    DropRestOfLine();
    return;
  }
  if (forStack_.empty()) {
    ScriptError("ENDFOR/EXITFOR without FOR");
    return;
  }
  const TStackItem& loop = forStack_.back();
  TW_ASSERT(loop.Line <= shared_->Lines.size() && !loop.Name.empty());
  const ScriptValue current = loop.Variable ? ReadVariable(*loop.Variable, loop.Name) : GetVariable(loop.Name);
  const std::string converted = current.IsText() ? std::string() : current.ToText();
  const std::string_view text = current.IsText() ? current.TextView() : std::string_view(converted);
  auto value = ParseInteger(text);
  if (!value) {
    ScriptError("'" + std::string(text) + "' is not a valid integer value");
    return;
  }
  if (static_cast<std::int64_t>(*value) + 1 > loop.Limit) {
    forStack_.pop_back();  // the variable keeps its last value, the limit
    DropRestOfLine();
    return;
  }
  char next[24];
  const auto written = std::to_chars(next, next + sizeof next, static_cast<std::int64_t>(*value) + 1);
  const ScriptValue counted(std::string_view(next, static_cast<std::size_t>(written.ptr - next)));
  if (loop.Variable)
    WriteVariable(*loop.Variable, loop.Name, counted);
  else
    SetVariable(loop.Name, counted);
  JumpToLine(loop.Line);
}

void TBasicInterpreter::RunExit(Keyword open, Keyword close, const char* message) {
  NextToken();
  if (CheckMode) return;
  auto& stack = open == Keyword::For ? forStack_ : whileStack_;
  const bool inLoop = !stack.empty();
  if (inLoop) stack.pop_back();
  SkipToMatching(open, -1, close);
  if (!inLoop || !TokenIs(close)) {
    ScriptError(message);
    return;
  }
  DropRestOfLine();
}

void TBasicInterpreter::RunWhile() {
  TStackItem opener = OpenerEntry();
  TokenPlace place;
  const bool placed = PlaceOfCurrentToken(place);
  const bool holds = EvaluateCondition(false, false);
  if (CheckMode) return;
  DropLeftEntries(whileStack_, opener);
  if (holds) {
    opener.Line = opener.OpenerLine;
    whileStack_.push_back(std::move(opener));
  } else {
    SkipToMatching(Keyword::While, -1, Keyword::EndWhile, placed ? &place : nullptr);
  }
}

void TBasicInterpreter::RunEndWhile() {
  if (!CheckMode) {
    if (whileStack_.empty()) {
      ScriptError("ENDWHILE without WHILE");
      return;
    }
    const std::size_t line = whileStack_.back().Line;
    whileStack_.pop_back();
    JumpToLine(line);  // the while line evaluates its condition again
    return;
  }
  DropRestOfLine();
}

void TBasicInterpreter::RunJump(bool isGosub) {
  NextToken();
  const std::string word(Token);
  const std::string label = NormalizeName(word);
  auto it = shared_->Labels.find(label);
  if (it == shared_->Labels.end()) {
    ScriptError(isGosub ? std::string("GOSUB Error") : "Label not found " + word);
    return;
  }
  if (!CheckMode) {
    if (isGosub) {
      if (gosubStack_.size() >= kMaximumGosubDepth) {
        ScriptError("Maximum GOSUB Level of " + std::to_string(kMaximumGosubDepth) + " has been Reached");
        return;
      }
      gosubStack_.push_back({label, 0, LineIndex});
    }
    JumpToLine(it->second.Line);  // statements after the label on its line run too
    return;
  }
  DropRestOfLine();
}

void TBasicInterpreter::RunReturn() {
  if (!CheckMode) {
    if (gosubStack_.empty()) {
      ScriptError("RETURN without GOSUB");
      return;
    }
    const std::size_t line = gosubStack_.back().Line;
    gosubStack_.pop_back();
    // Blocks the subroutine left by returning from inside them are over.
    for (auto* stack : {&forStack_, &whileStack_, &caseStack_})
      while (!stack->empty() && stack->back().GosubDepth > gosubStack_.size()) stack->pop_back();
    JumpToLine(line);
    return;
  }
  DropRestOfLine();
}

void TBasicInterpreter::RunCaseOf() {
  TStackItem opener = OpenerEntry();
  NextToken();
  if (!AtEndOfLine()) {
    ScriptError("Syntax Error");
    return;
  }
  DropLeftEntries(caseStack_, opener);
  caseStack_.push_back(std::move(opener));
}

// Steps forward to this block's endcase, or also to its next case or otherwise, and leaves that
// word to be executed next. Nested caseof blocks are stepped over whole.
void TBasicInterpreter::SkipCaseBranch(bool stopAtBranches) {
  const bool savedHook = lineHookEnabled_;
  lineHookEnabled_ = false;
  for (;;) {
    NextToken();
    if (AtEndOfScript()) break;
    if (Kind != TokenKind::tkStatement) continue;
    if (TokenIs(Keyword::CaseOf)) {
      TokenPlace place;
      const bool placed = PlaceOfCurrentToken(place);
      SkipToMatching(Keyword::CaseOf, -1, Keyword::EndCase, placed ? &place : nullptr);
    } else if (TokenIs(Keyword::EndCase) ||
               (stopAtBranches && (TokenIs(Keyword::Case) || TokenIs(Keyword::Otherwise)))) {
      PushBackToken();
      break;
    } else if (TokenId == kIdBlock) {
      SkipBlock(std::string(TokenLower()));
    }
  }
  lineHookEnabled_ = savedHook;
}

void TBasicInterpreter::RunCase(bool isOtherwise) {
  if (caseStack_.empty()) {
    ScriptError("Syntax Error");
    return;
  }
  const std::size_t entry = caseStack_.size() - 1;
  if (caseStack_[entry].Limit != 0) {
    SkipCaseBranch(false);
    return;
  }
  if (isOtherwise) return;  // run the branch
  const bool holds = EvaluateCondition(false, true);
  if (holds) {
    if (!CheckMode && entry < caseStack_.size()) caseStack_[entry].Limit = 1;
    return;
  }
  SkipCaseBranch(true);
}

}  // namespace tw
