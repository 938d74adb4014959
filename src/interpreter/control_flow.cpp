// if, for, while, goto, gosub and caseof, and the skips that step over code not taken.

#include "interpreter/number_text.h"
#include "interpreter/interpreter.h"

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
void TBasicInterpreter::DropLeftEntries(std::vector<TStackItem>& stack, const TStackItem& opener) {
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

void TBasicInterpreter::SkipToMatching(Keyword open, int middle, Keyword close) {
  const bool savedHook = lineHookEnabled_;
  lineHookEnabled_ = false;
  int depth = 1;
  for (;;) {
    NextToken();
    if (AtEndOfScript()) break;
    if (Kind != TokenKind::tkStatement) continue;
    if (TokenIs(open)) {
      ++depth;
    } else if (TokenIs(close)) {
      if (depth == 1) break;
      --depth;
    } else if (middle >= 0 && TokenId == middle && Kind != TokenKind::tkOperator) {
      if (depth == 1) break;
    } else if (TokenId == kIdBlock) {
      SkipBlock(std::string(TokenLower()));
    }
  }
  lineHookEnabled_ = savedHook;
}

void TBasicInterpreter::RunIf() {
  const bool holds = EvaluateCondition(true, false);
  if (!holds && !CheckMode) {
    SkipToMatching(Keyword::If, static_cast<int>(Keyword::Else), Keyword::EndIf);
    return;
  }
  // The body starts on the next line: whatever follows `then` on this line is passed over.
  if (TokenIs(Keyword::Then)) NextToken();
}

void TBasicInterpreter::RunFor() {
  TStackItem opener = OpenerEntry();
  NextToken();
  const std::string name(Token);
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
    SkipToMatching(Keyword::For, -1, Keyword::EndFor);
    return;
  }
  std::string text;
  AppendInteger(text, start);
  SetVariable(name, ScriptValue(text));
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
  const std::string text = GetVariable(loop.Name).ToText();
  auto value = ParseInteger(text);
  if (!value) {
    ScriptError("'" + text + "' is not a valid integer value");
    return;
  }
  if (static_cast<std::int64_t>(*value) + 1 > loop.Limit) {
    forStack_.pop_back();  // the variable keeps its last value, the limit
    DropRestOfLine();
    return;
  }
  std::string next;
  AppendInteger(next, static_cast<std::int64_t>(*value) + 1);
  SetVariable(loop.Name, ScriptValue(next));
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
  const bool holds = EvaluateCondition(false, false);
  if (CheckMode) return;
  DropLeftEntries(whileStack_, opener);
  if (holds) {
    opener.Line = opener.OpenerLine;
    whileStack_.push_back(std::move(opener));
  } else {
    SkipToMatching(Keyword::While, -1, Keyword::EndWhile);
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
      SkipToMatching(Keyword::CaseOf, -1, Keyword::EndCase);
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
