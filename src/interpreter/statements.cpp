// The statement loop and the statements that do not change the flow of control.

#include "interpreter/interpreter.h"

namespace tw {

namespace {
// How often the loop looks at the clock, and how often it lets the host's events run.
constexpr unsigned kStatementsPerClockCheck = 64;
constexpr auto kPumpInterval = std::chrono::milliseconds(4);

bool StartsLikeName(std::string_view name) {
  if (name.empty()) return false;
  char c = name.front();
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
}  // namespace

void TBasicInterpreter::PumpIfDue() {
  if (++statementsSincePump_ < kStatementsPerClockCheck) return;
  statementsSincePump_ = 0;
  auto now = std::chrono::steady_clock::now();
  if (now - lastPump_ < kPumpInterval) return;
  lastPump_ = now;
  Host.PumpEvents();
}

void TBasicInterpreter::ExecuteStatements() {
  Running = true;
  for (;;) {
    NextToken();
    PumpIfDue();
    if (StopRequested || AtEndOfScript()) break;
    if (AtEndOfLine()) continue;  // what an expression left unread: nothing to run
    bool goOn = true;
    try {
      goOn = ExecuteStatement();
    } catch (const std::exception& failure) {
      ScriptError(FailureMessage(failure));
      DropRestOfLine();
    }
    if (!goOn || AtEndOfScript()) break;
  }
  Running = false;
}

bool TBasicInterpreter::ExecuteStatement() {
  switch (Kind) {
    case TokenKind::tkVariable:
      PushBackToken();
      RunAssignment();
      return true;
    case TokenKind::tkUserFunction: {
      auto it = shared_->UserFunctions.find(TokenLower());
      CallUserFunction(it == shared_->UserFunctions.end() ? nullptr : &it->second);
      return true;
    }
    case TokenKind::tkOther:
      ScriptError("Unknown Command or Symbol");
      return true;
    case TokenKind::tkFunction:
      if (TokenIs(Keyword::Include)) {
        ProcessInclude();
      } else if (TokenId == kIdExtension) {
        CallFunctionToken();
      } else {
        PushBackToken();
        Evaluate();
      }
      return true;
    case TokenKind::tkStatement:
      break;
    default:
      return true;  // numbers, literals, labels, operators and the end of a line do nothing
  }
  if (TokenId == kIdCommand) {
    ExecuteCommand(std::string(TokenLower()));
    return true;
  }
  if (TokenId == kIdBlock) {
    std::string word(TokenLower());
    if (!ExecuteBlock(word)) SkipBlock(word);  // text nobody understands is never run
    return true;
  }
  switch (static_cast<Keyword>(TokenId)) {
    case Keyword::Print: RunPrint(); break;
    case Keyword::Input: RunInput(); break;
    case Keyword::If: RunIf(); break;
    case Keyword::Else:
      if (!CheckMode) SkipToMatching(Keyword::If, -1, Keyword::EndIf);
      break;
    case Keyword::For: RunFor(); break;
    case Keyword::EndFor: RunEndFor(); break;
    case Keyword::ExitFor:
      RunExit(Keyword::For, Keyword::EndFor, "ENDFOR/EXITFOR without FOR");
      break;
    case Keyword::While: RunWhile(); break;
    case Keyword::EndWhile: RunEndWhile(); break;
    case Keyword::ExitWhile:
      RunExit(Keyword::While, Keyword::EndWhile, "ENDWHILE/EXITWHILE without WHILE");
      break;
    case Keyword::Goto: RunJump(false); break;
    case Keyword::Gosub: RunJump(true); break;
    case Keyword::Return: RunReturn(); break;
    case Keyword::CaseOf: RunCaseOf(); break;
    case Keyword::Case: RunCase(false); break;
    case Keyword::Otherwise: RunCase(true); break;
    case Keyword::EndCase:
      if (!caseStack_.empty()) caseStack_.pop_back();
      break;
    case Keyword::End:
      if (CheckMode) break;
      StopRequested = true;
      return false;
    case Keyword::Global: RunGlobal(); break;
    case Keyword::Clear: ClearVariables(); break;
    case Keyword::Sub:
    case Keyword::Subroutine:
    case Keyword::Func:
    case Keyword::Function:
      // A definition ends the code before it; a syntax check reads on into the body.
      if (!CheckMode) return false;
      DropRestOfLine();
      break;
    case Keyword::EndSub:
    case Keyword::EndFunc:
      if (CheckMode) {
        DropRestOfLine();
        break;
      }
      if (!Parent) ScriptError("ENDSUB/ENDFUNC without SUB/FUNC.");
      return false;
    default:
      break;  // then, to, endif
  }
  return true;
}

void TBasicInterpreter::RunAssignment() {
  NextToken();
  std::string_view name = Token;
  VariableRef* variable = CurrentVariableRef();
  if (!StartsLikeName(name)) {
    ScriptError("Invalid Variable Name");
    return;
  }
  NextToken();
  std::string element;
  bool elementNormalized = false;
  if (Kind == TokenKind::tkOther && Token == "[") {
    elementNormalized = ElementNameByCode(element);
    if (!elementNormalized) element = ReadElementName(name);
    NextToken();
  }
  if (!TokenIsOperator('=')) {
    ScriptError("Unknown Command or Symbol");
    return;
  }
  ScriptValue value = Evaluate();
  if (elementNormalized && !OnVariable)
    StoreVariable(element, HashName(element), value, false, false);
  else if (!element.empty())
    SetVariable(element, value);
  else if (variable)
    WriteVariable(*variable, name, value);
  else
    SetVariable(name, value);
}

void TBasicInterpreter::RunGlobal() {
  NextToken();
  VariableTable* globals = shared_->Globals;
  if (!globals) return;
  std::string name = NormalizeName(Token);
  if (!globals->Find(name)) globals->Add(name, ScriptValue("0"), false);
}

}  // namespace tw
