// Expressions, argument readers and conditions.

#include "interpreter/builtins.h"
#include "interpreter/interpreter.h"
#include "interpreter/invariant.h"

namespace tw {

namespace {
constexpr const char* kUnbalanced = "Unbalanced \"(\" or \")\"";

// Every nesting of an expression (parentheses, powers, function arguments, array indexes, calls
// of script functions inside expressions) passes through PowerExpression; the count is shared by
// all interpreters of the process so that nesting across calls adds up too.
constexpr int kMaximumExpressionDepth = 256;
int expressionDepth = 0;

struct ExpressionDepthGuard {
  ExpressionDepthGuard() { ++expressionDepth; }
  ~ExpressionDepthGuard() { --expressionDepth; }
  ExpressionDepthGuard(const ExpressionDepthGuard&) = delete;
  ExpressionDepthGuard& operator=(const ExpressionDepthGuard&) = delete;
};
}

const ExpressionCode* TBasicInterpreter::ExpressionCodeAt(std::uint32_t first) {
  CachedToken& token = source_->Tokens[first];
  if (token.Expression == kNoAux) {
    token.Expression = static_cast<std::uint32_t>(source_->Expressions.size());
    source_->Expressions.push_back({first, false, nullptr});
    return nullptr;
  }
  ExpressionEntry& entry = source_->Expressions[token.Expression];
  TW_ASSERT(entry.Token == first);
  if (!entry.Compiled) {
    entry.Compiled = true;
    entry.Code = CompileExpression(*source_, first);
  }
  return entry.Code.get();
}

const ConditionCode* TBasicInterpreter::ConditionCodeAt(std::uint32_t first, std::uint8_t terminators) {
  for (ConditionEntry& entry : source_->Conditions) {
    if (entry.Token != first || entry.Terminators != terminators) continue;
    if (!entry.Compiled) {
      entry.Compiled = true;
      entry.Code = CompileCondition(*source_, first, terminators & 1, terminators & 2);
    }
    return entry.Code.get();
  }
  source_->Conditions.push_back({first, terminators, false, nullptr});
  return nullptr;
}

// In cached reading an expression read before runs as code when it has some. A host watching
// variables sees every access through the token reader, as ever.
ScriptValue TBasicInterpreter::Evaluate() {
  if (!uncached_ && next_ != end_ && !OnVariable && readGeneration_ == shared_->ReadGeneration &&
      !StopRequested.load(std::memory_order_relaxed)) {
    const CachedToken* const start = next_;
    const auto first = static_cast<std::uint32_t>(start - source_->Tokens.data());
    const ExpressionCode* code = ExpressionCodeAt(first);
    if (code && expressionDepth + static_cast<int>(code->Nesting) <= kMaximumExpressionDepth) {
      try {
        ScriptValue value = RunExpressionCode(*code, *source_, *this, expressionStack_, elementName_);
        cur_ = next_ = source_->Tokens.data() + code->End;
        Token = cur_->Text;
        Kind = cur_->Kind;
        TokenId = cur_->Id;
        return value;
      } catch (const ScriptFailure&) {
        // Nothing has changed: the token reader reads the expression again and fails where it does.
        next_ = start;
      }
    }
  }
  ScriptValue value = Expression();
  PushBackToken();
  return value;
}

// A number literal that begins an expression, or a term after "+" or "-", makes it real.
ScriptValue TBasicInterpreter::Expression() {
  NextToken();
  const bool startsWithNumber = Kind == TokenKind::tkNumber;
  ScriptValue value = Term();
  while (TokenIsOperator('+') || TokenIsOperator('-')) {
    const bool add = Token[0] == '+';
    NextToken();
    const bool termIsNumber = Kind == TokenKind::tkNumber;
    ScriptValue term = Term();
    if (termIsNumber) term = ToRealValue(term);
    value = add ? Add(value, term) : Subtract(value, term);
  }
  if (startsWithNumber) value = ToRealValue(value);
  return value;
}

ScriptValue TBasicInterpreter::Term() {
  ScriptValue value = PowerExpression();
  while (TokenIsOperator('*') || TokenIsOperator('/')) {
    const bool multiply = Token[0] == '*';
    NextToken();
    ScriptValue factor = PowerExpression();
    value = multiply ? Multiply(value, factor) : Divide(value, factor);
  }
  return value;
}

ScriptValue TBasicInterpreter::PowerExpression() {
  ExpressionDepthGuard depth;
  if (expressionDepth > kMaximumExpressionDepth) {
    ScriptError("Expression nested deeper than 256 levels");
    return ScriptValue();
  }
  ScriptValue value = Unary();
  if (TokenIsOperator('^')) {
    NextToken();
    ScriptValue exponent = PowerExpression();
    value = Power(value, exponent);
  }
  return value;
}

ScriptValue TBasicInterpreter::Unary() {
  if (TokenIsOperator('-') || TokenIsOperator('+')) {
    const bool negate = Token[0] == '-';
    NextToken();
    ScriptValue value = Primary();
    return negate ? Negate(value) : value;
  }
  return Primary();
}

ScriptValue TBasicInterpreter::Primary() {
  if (TokenIsOperator('(')) {
    ScriptValue value = Expression();
    if (!TokenIsOperator(')')) {
      ScriptError(kUnbalanced);
      return value;
    }
    NextToken();
    return value;
  }
  switch (Kind) {
    case TokenKind::tkVariable: {
      std::string_view name = Token;
      VariableRef* variable = CurrentVariableRef();
      NextToken();
      if (Kind == TokenKind::tkOther && Token == "[") {
        std::string element = ReadElementName(name);
        NextToken();
        return GetVariable(element);
      }
      return variable ? ReadVariable(*variable, name) : GetVariable(name);
    }
    case TokenKind::tkNumber:
    case TokenKind::tkString: {
      ScriptValue value(Token);
      NextToken();
      return value;
    }
    case TokenKind::tkFunction:
      if (TokenIs(Keyword::Include)) break;
      return CallFunctionToken();
    case TokenKind::tkUserFunction: {
      auto it = shared_->UserFunctions.find(TokenLower());
      return CallUserFunction(it == shared_->UserFunctions.end() ? nullptr : &it->second);
    }
    default:
      break;
  }
  ScriptError(AtEndOfScript() ? "Invalid Expression" : "Syntax Error");
  return ScriptValue();
}

ScriptValue TBasicInterpreter::CallFunctionToken() {
  const int id = TokenId;
  // Only extension functions and the error below need the name; built-ins go by their id.
  std::string name;
  if (id == kIdExtension || !FindBuiltin(static_cast<Builtin>(id - kBuiltinBase))) name = TokenLower();
  NextToken();
  if (!TokenIsOperator('(')) {
    ScriptError(kUnbalanced);
    return ScriptValue();
  }
  ScriptValue result;
  if (id == kIdExtension) {
    result = ScriptValue::Integer(0);
    ExecuteFunction(name, result);
  } else if (BuiltinHandler handler = FindBuiltin(static_cast<Builtin>(id - kBuiltinBase))) {
    handler(*this, result);
  } else {
    ScriptError("The function " + name + "() is not available in this version");
    return result;
  }
  NextToken();  // the ")", which is not checked
  NextToken();
  return result;
}

// The current token is the "[" after the name; reading ends at the "]", as ReadElementName's does.
bool TBasicInterpreter::ElementNameByCode(std::string& name) {
  if (uncached_ || OnVariable || !cur_ || cur_ + 1 != next_ || readGeneration_ != shared_->ReadGeneration ||
      StopRequested.load(std::memory_order_relaxed))
    return false;
  const CachedToken* const tokens = source_->Tokens.data();
  if (cur_ == tokens || cur_ >= tokens + source_->Tokens.size()) return false;
  const auto first = static_cast<std::uint32_t>(cur_ - tokens) - 1;
  const ExpressionCode* code = ExpressionCodeAt(first);
  if (!code || expressionDepth + static_cast<int>(code->Nesting) > kMaximumExpressionDepth) return false;
  try {
    if (!RunElementNameCode(*code, first, *source_, *this, expressionStack_, name)) return false;
  } catch (const ScriptFailure&) {
    return false;
  }
  cur_ = tokens + code->End - 1;
  next_ = cur_ + 1;
  Token = cur_->Text;
  Kind = cur_->Kind;
  TokenId = cur_->Id;
  return true;
}

std::string TBasicInterpreter::ReadElementName(std::string_view baseName) {
  std::string name(baseName);
  name += '[';
  for (bool first = true;; first = false) {
    if (!first) name += ',';
    name += ReadIndexList();
    if (TokenIsOperator(',')) continue;
    if (Kind != TokenKind::tkOther || Token != "]") ScriptError("Missing \"]\" after an array index");
    break;
  }
  name += ']';
  return name;
}

bool TBasicInterpreter::ReadItem(std::string& out, const char* failureMessage) {
  if (Kind == TokenKind::tkString) {
    out += Token;
    NextToken();
    return true;
  }
  PushBackToken();
  try {
    ScriptValue value = Evaluate();
    NextToken();
    value.AppendTextTo(out);
    return true;
  } catch (const ScriptFailure& failure) {
    ScriptError(failureMessage ? failureMessage : failure.what());
    return false;
  }
}

bool TBasicInterpreter::ReadItemValue(ScriptValue& out) {
  if (Kind == TokenKind::tkString) {
    out = ScriptValue(Token);
    NextToken();
    return true;
  }
  PushBackToken();
  try {
    ScriptValue value = Evaluate();
    NextToken();
    out = value.IsText() ? std::move(value) : ScriptValue(value.ToText());
    return true;
  } catch (const ScriptFailure& failure) {
    ScriptError(failure.what());
    return false;
  }
}

bool TBasicInterpreter::ReadArgumentItems(std::string& out, bool optional) {
  bool anyItem = false;
  for (;;) {
    NextToken();
    if (optional && (TokenIsOperator(')') || AtEndOfLine())) {
      PushBackToken();
      return anyItem;
    }
    if (!ReadItem(out, nullptr)) return anyItem;
    anyItem = true;
    if (TokenIsOperator(',') || AtEndOfLine() || AtEndOfScript()) return anyItem;
    if (TokenIsOperator(')')) {
      PushBackToken();
      return anyItem;
    }
    // Any other token joins the next item to this one ("a" + b).
  }
}

std::string TBasicInterpreter::ReadArgument() {
  std::string text;
  ReadArgumentItems(text, false);
  return text;
}

ScriptValue TBasicInterpreter::ReadTextArgument() {
  // As ReadArgumentItems, keeping the first item whole until a second one joins it.
  ScriptValue only;
  std::string joined;
  int items = 0;
  for (;;) {
    NextToken();
    ScriptValue item;
    if (!ReadItemValue(item)) break;
    if (++items == 1) {
      only = std::move(item);
    } else {
      if (items == 2) only.AppendTextTo(joined);
      item.AppendTextTo(joined);
    }
    if (TokenIsOperator(',') || AtEndOfLine() || AtEndOfScript()) break;
    if (TokenIsOperator(')')) {
      PushBackToken();
      break;
    }
  }
  return items > 1 ? ScriptValue(std::move(joined)) : only;
}

ScriptValue TBasicInterpreter::ReadOptionalArgument(const ScriptValue& defaultValue) {
  if (TokenIsOperator(')') || AtEndOfLine()) return defaultValue;
  const bool savedNoError = NoError;
  NoError = true;
  std::string text;
  bool anyItem = false;
  try {
    anyItem = ReadArgumentItems(text, true);
  } catch (...) {
    NoError = savedNoError;
    throw;
  }
  NoError = savedNoError;
  return anyItem ? ScriptValue(text) : defaultValue;
}

std::string TBasicInterpreter::ReadIndexList() {
  std::string text;
  for (;;) {
    NextToken();
    if (!ReadItem(text, nullptr)) return text;
    if (TokenIsOperator(',') || (Kind == TokenKind::tkOther && Token == "]") || AtEndOfLine() ||
        AtEndOfScript())
      return text;
  }
}

bool TBasicInterpreter::EvaluateCondition(bool thenTerminates, bool colonTerminates) {
  // A condition read before runs as code when it has some, as expressions do (Evaluate).
  if (!uncached_ && !CheckMode && next_ != end_ && !OnVariable && readGeneration_ == shared_->ReadGeneration &&
      !StopRequested.load(std::memory_order_relaxed)) {
    const CachedToken* const start = next_;
    const auto first = static_cast<std::uint32_t>(start - source_->Tokens.data());
    const auto terminators = static_cast<std::uint8_t>((thenTerminates ? 1 : 0) | (colonTerminates ? 2 : 0));
    const ConditionCode* code = ConditionCodeAt(first, terminators);
    if (code && expressionDepth + static_cast<int>(code->Nesting) <= kMaximumExpressionDepth) {
      try {
        const bool holds = RunConditionCode(*code, *source_, *this, expressionStack_, elementName_);
        cur_ = source_->Tokens.data() + code->End;
        next_ = cur_ + 1;
        Token = cur_->Text;
        Kind = cur_->Kind;
        TokenId = cur_->Id;
        return holds;
      } catch (const ScriptFailure&) {
        next_ = start;  // the token reader reads the condition again and fails where it does
      }
    }
  }
  bool result = false;
  bool first = true;
  bool conjunction = false;
  for (;;) {
    ScriptValue left = Evaluate();
    NextToken();
    int comparison = -1;  // 0 =, 1 <>, 2 <, 3 >, 4 <=, 5 >=
    if (Kind == TokenKind::tkOperator && Token.size() == 1) {
      comparison = Token[0] == '=' ? 0 : Token[0] == '<' ? 2 : Token[0] == '>' ? 3 : -1;
    } else if (Kind == TokenKind::tkOperator && Token.size() == 2) {
      if (Token == "<>") comparison = 1;
      if (Token == "<=") comparison = 4;
      if (Token == ">=") comparison = 5;
    }
    if (comparison < 0) {
      ScriptError("Invalid Comparison symbols");
      return false;
    }
    ScriptValue right = Evaluate();
    bool holds = false;
    if (!CheckMode) {
      int order = 0;
      try {
        order = Compare(left, right);
      } catch (const ScriptFailure&) {
        ScriptError("Invalid Comparison");
        return false;
      }
      holds = OrderHolds(comparison, order);
    }
    result = first ? holds : (conjunction ? (result && holds) : (result || holds));
    first = false;
    NextToken();
    if (AtEndOfLine() || AtEndOfScript() || (thenTerminates && TokenIs(Keyword::Then)) ||
        (colonTerminates && TokenIsOperator(':')))
      break;
    if (Kind == TokenKind::tkVariable && (TokenLower() == "and" || TokenLower() == "or")) {
      conjunction = TokenLower() == "and";
      continue;
    }
    ScriptError("Missing \"and\" or \"or\"");
    return false;
  }
  return CheckMode ? false : result;
}

}  // namespace tw
