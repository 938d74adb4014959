// Compiling an expression follows the token reader's grammar step by step (Expression, Term,
// PowerExpression, Unary, Primary and the index lists of elements) over the stored tokens, and
// gives up wherever the reader would call something, report an error or leave the line.

#include "interpreter/expression_code.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "interpreter/interpreter.h"
#include "interpreter/line_tokens.h"
#include "interpreter/name_hash.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

// Deeper expressions are left to the reader; they are rare and it counts their nesting itself.
constexpr std::uint32_t kMaximumCompiledNesting = 64;

class Compiler {
 public:
  Compiler(const LineTokens& line, ExpressionCode& code) : line_(line), code_(code) {}

  // Each step takes the index of the current token (the one the reader has just read) and
  // answers the index of the token it stands at afterwards; false when the expression has no code.
  bool Expression(std::uint32_t& at) {
    const bool startsWithNumber = Token(at).Kind == TokenKind::tkNumber;
    if (!Term(at)) return false;
    while (IsOperator(at, '+') || IsOperator(at, '-')) {
      const bool add = Token(at).Text[0] == '+';
      if (!Advance(at)) return false;
      const bool termIsNumber = Token(at).Kind == TokenKind::tkNumber;
      if (!Term(at)) return false;
      if (termIsNumber) EmitToReal();
      Emit(add ? ExpressionOp::Add : ExpressionOp::Subtract);
    }
    if (startsWithNumber) EmitToReal();
    return true;
  }

 private:
  const CachedToken& Token(std::uint32_t at) const { return line_.Tokens[at]; }
  bool IsOperator(std::uint32_t at, char c) const {
    const CachedToken& t = Token(at);
    return t.Kind == TokenKind::tkOperator && t.Text.size() == 1 && t.Text[0] == c;
  }
  bool IsOther(std::uint32_t at, char c) const {
    const CachedToken& t = Token(at);
    return t.Kind == TokenKind::tkOther && t.Text.size() == 1 && t.Text[0] == c;
  }
  // The reader's NextToken; reading past the line's end-of-line token would fetch the next line.
  bool Advance(std::uint32_t& at) const {
    if (at + 1 >= line_.Tokens.size()) return false;
    ++at;
    return true;
  }

  void Emit(ExpressionOp op, std::uint32_t operand = 0) {
    code_.Steps.push_back({op, operand});
    switch (op) {
      case ExpressionOp::Literal:
      case ExpressionOp::RealLiteral:
      case ExpressionOp::Variable:
        if (++depth_ > code_.StackDepth) code_.StackDepth = depth_;
        break;
      case ExpressionOp::Add:
      case ExpressionOp::Subtract:
      case ExpressionOp::Multiply:
      case ExpressionOp::Divide:
      case ExpressionOp::Power:
        --depth_;
        break;
      case ExpressionOp::Element:
        depth_ -= code_.Elements[operand].Indexes - 1;
        break;
      case ExpressionOp::ToReal:
      case ExpressionOp::Negate:
        break;
    }
  }

  // A literal made real at once reads the same every time when it is a plain whole number.
  void EmitToReal() {
    if (!code_.Steps.empty() && code_.Steps.back().Op == ExpressionOp::Literal) {
      const CachedToken& t = Token(code_.Steps.back().Operand);
      bool digits = t.Kind == TokenKind::tkNumber && !t.Text.empty() && t.Text.size() <= 15 &&
                    line_.Literals[t.Aux].Separator != 0;
      for (char c : t.Text) digits = digits && c >= '0' && c <= '9';
      if (digits) {
        code_.Steps.back().Op = ExpressionOp::RealLiteral;
        return;
      }
    }
    Emit(ExpressionOp::ToReal);
  }

  bool Term(std::uint32_t& at) {
    if (!Power(at)) return false;
    while (IsOperator(at, '*') || IsOperator(at, '/')) {
      const bool multiply = Token(at).Text[0] == '*';
      if (!Advance(at) || !Power(at)) return false;
      Emit(multiply ? ExpressionOp::Multiply : ExpressionOp::Divide);
    }
    return true;
  }

  bool Power(std::uint32_t& at) {
    if (++nesting_ > kMaximumCompiledNesting) return false;
    if (nesting_ > code_.Nesting) code_.Nesting = nesting_;
    if (!Unary(at)) return false;
    if (IsOperator(at, '^')) {
      if (!Advance(at) || !Power(at)) return false;
      Emit(ExpressionOp::Power);
    }
    --nesting_;
    return true;
  }

  bool Unary(std::uint32_t& at) {
    if (IsOperator(at, '-') || IsOperator(at, '+')) {
      const bool negate = Token(at).Text[0] == '-';
      if (!Advance(at) || !Primary(at)) return false;
      if (negate) Emit(ExpressionOp::Negate);
      return true;
    }
    return Primary(at);
  }

  bool Primary(std::uint32_t& at) {
    if (IsOperator(at, '(')) {
      if (!Advance(at) || !Expression(at) || !IsOperator(at, ')')) return false;
      return Advance(at);
    }
    const CachedToken& t = Token(at);
    switch (t.Kind) {
      case TokenKind::tkVariable: {
        if (t.Aux == kNoAux || t.Lower.empty()) return false;
        const std::uint32_t name = at;
        if (!Advance(at)) return false;
        if (IsOther(at, '[')) return Element(name, at);
        Emit(ExpressionOp::Variable, name);
        return true;
      }
      case TokenKind::tkNumber:
      case TokenKind::tkString:
        if (t.Aux == kNoAux) return false;
        Emit(ExpressionOp::Literal, at);
        return Advance(at);
      default:
        return false;
    }
  }

  // name[item, item, ...]: each item a string literal taken as it stands or an expression, and
  // each followed at once by "," or "]" (other forms are left to the reader).
  bool Element(std::uint32_t name, std::uint32_t& at) {
    ElementShape shape{name, 0};
    for (;;) {
      if (!Advance(at)) return false;
      if (Token(at).Kind == TokenKind::tkString) {
        if (Token(at).Aux == kNoAux) return false;
        Emit(ExpressionOp::Literal, at);
        if (!Advance(at)) return false;
      } else if (!Expression(at)) {
        return false;
      }
      ++shape.Indexes;
      if (IsOperator(at, ',')) continue;
      if (!IsOther(at, ']')) return false;
      break;
    }
    code_.Elements.push_back(shape);
    Emit(ExpressionOp::Element, static_cast<std::uint32_t>(code_.Elements.size() - 1));
    return Advance(at);
  }

  const LineTokens& line_;
  ExpressionCode& code_;
  std::uint32_t nesting_ = 0;
  std::uint32_t depth_ = 0;
};

// Two reals or two whole numbers, the operands of counters and loops, are added, subtracted or
// multiplied here without a call; the result replaces the left operand. Anything else (text, mixed
// kinds, a result out of range or not finite) is left to the operators, which raise the errors.
bool ArithmeticInPlace(ScriptValue*& sp, ExpressionOp op) {
  const ScriptValue& left = sp[-2];
  const ScriptValue& right = sp[-1];
  if (left.Kind() == ValueKind::Real && right.Kind() == ValueKind::Real) {
    const double a = left.RealValue();
    const double b = right.RealValue();
    const double result = op == ExpressionOp::Add ? a + b : op == ExpressionOp::Subtract ? a - b : a * b;
    if (!std::isfinite(result)) return false;
    sp[-2] = ScriptValue::Real(result);
  } else if (left.Kind() == ValueKind::Integer && right.Kind() == ValueKind::Integer) {
    const std::int64_t a = left.IntegerValue();
    const std::int64_t b = right.IntegerValue();
    const std::int64_t result = op == ExpressionOp::Add ? a + b : op == ExpressionOp::Subtract ? a - b : a * b;
    if (result < INT32_MIN || result > INT32_MAX) return false;
    sp[-2] = ScriptValue::Integer(static_cast<std::int32_t>(result));
  } else {
    return false;
  }
  --sp;  // a number holds nothing that needs letting go
  return true;
}

}  // namespace

std::unique_ptr<ExpressionCode> CompileExpression(const LineTokens& line, std::uint32_t first) {
  if (first >= line.Tokens.size()) return nullptr;
  auto code = std::make_unique<ExpressionCode>();
  Compiler compiler(line, *code);
  std::uint32_t at = first;
  if (!compiler.Expression(at)) return nullptr;
  code->End = at;
  code->Steps.shrink_to_fit();
  return code;
}

namespace {

int ComparisonOf(const CachedToken& t) {
  if (t.Kind != TokenKind::tkOperator) return -1;
  if (t.Text == "=") return 0;
  if (t.Text == "<>") return 1;
  if (t.Text == "<") return 2;
  if (t.Text == ">") return 3;
  if (t.Text == "<=") return 4;
  if (t.Text == ">=") return 5;
  return -1;
}

}  // namespace

// Follows EvaluateCondition: expression, comparison operator, expression, then the terminator or
// "and"/"or" and the next comparison.
std::unique_ptr<ConditionCode> CompileCondition(const LineTokens& line, std::uint32_t first, bool thenTerminates,
                                                bool colonTerminates) {
  auto condition = std::make_unique<ConditionCode>();
  std::uint32_t at = first;
  bool conjunction = false;
  for (;;) {
    std::unique_ptr<ExpressionCode> left = CompileExpression(line, at);
    if (!left) return nullptr;
    const int comparison = ComparisonOf(line.Tokens[left->End]);
    if (comparison < 0) return nullptr;
    std::unique_ptr<ExpressionCode> right = CompileExpression(line, left->End + 1);
    if (!right) return nullptr;
    const std::uint32_t after = right->End;
    ComparisonCode& part = condition->Comparisons.emplace_back();
    part.Left = std::move(*left);
    part.Right = std::move(*right);
    part.Operator = static_cast<std::uint8_t>(comparison);
    part.And = conjunction;
    condition->Nesting = std::max({condition->Nesting, part.Left.Nesting, part.Right.Nesting});
    const CachedToken& t = line.Tokens[after];
    if (t.Id == TBasicInterpreter::kIdEndOfLine ||
        (thenTerminates && t.Kind != TokenKind::tkOperator && t.Id == static_cast<int>(Keyword::Then)) ||
        (colonTerminates && t.Kind == TokenKind::tkOperator && t.Text == ":")) {
      condition->End = after;
      return condition;
    }
    if (t.Kind != TokenKind::tkVariable || (t.Lower != "and" && t.Lower != "or")) return nullptr;
    conjunction = t.Lower == "and";
    at = after + 1;
  }
}

bool RunConditionCode(const ConditionCode& code, LineTokens& line, TBasicInterpreter& reader,
                      std::vector<ScriptValue>& stack, std::string& name) {
  bool result = false;
  for (const ComparisonCode& part : code.Comparisons) {
    const ScriptValue left = RunExpressionCode(part.Left, line, reader, stack, name);
    const ScriptValue right = RunExpressionCode(part.Right, line, reader, stack, name);
    const int order = Compare(left, right);
    const bool holds = OrderHolds(part.Operator, order);
    result = &part == &code.Comparisons.front() ? holds : (part.And ? (result && holds) : (result || holds));
  }
  return result;
}

namespace {

// With `elementName`, code that ends in reading an element stops short of the read: its name is
// left in `name` and the value answered is empty.
template <bool elementName>
ScriptValue RunSteps(const ExpressionCode& code, LineTokens& line, TBasicInterpreter& reader,
                     std::vector<ScriptValue>& stack, std::string& name) {
  if (stack.size() < code.StackDepth) stack.resize(code.StackDepth);
  struct Values {  // values left by a failure would hold on to their text
    ScriptValue* base;
    ScriptValue* end;  // one past the last value pushed
    ~Values() {
      while (end > base) *--end = ScriptValue();
    }
  } values{stack.data(), stack.data()};
  ScriptValue*& sp = values.end;
  auto binary = [&sp](ScriptValue (*op)(const ScriptValue&, const ScriptValue&)) {
    sp[-2] = op(sp[-2], sp[-1]);
    *--sp = ScriptValue();
  };
  for (const ExpressionStep& step : code.Steps) {
    switch (step.Op) {
      case ExpressionOp::Literal:
        *sp++ = line.Literals[line.Tokens[step.Operand].Aux].Text;
        break;
      case ExpressionOp::RealLiteral:
        *sp++ = ScriptValue::Real(line.Literals[line.Tokens[step.Operand].Aux].Real);
        break;
      case ExpressionOp::Variable: {
        const CachedToken& t = line.Tokens[step.Operand];
        *sp++ = reader.ReadVariable(line.Variables[t.Aux], t.Text);
        break;
      }
      case ExpressionOp::Element: {
        const ElementShape& shape = code.Elements[step.Operand];
        ScriptValue* first = sp - shape.Indexes;
        // The name as tables store it: the word is lowered already, the index texts are here.
        name.assign(line.Tokens[shape.NameToken].Lower);
        name += '[';
        for (ScriptValue* index = first; index < sp; ++index) {
          if (index != first) name += ',';
          const std::size_t from = name.size();
          index->AppendTextTo(name);
          std::size_t kept = from;
          for (std::size_t at = from; at < name.size(); ++at)
            if (name[at] != ' ') name[kept++] = LowerAsciiChar(name[at]);
          name.resize(kept);
        }
        name += ']';
        while (sp > first + 1) *--sp = ScriptValue();
        if constexpr (elementName)
          if (&step == &code.Steps.back()) return ScriptValue();
        *first = reader.GetKnownVariable(name, name, HashName(name));
        break;
      }
      case ExpressionOp::ToReal:
        if (sp[-1].Kind() != ValueKind::Real) sp[-1] = ToRealValue(sp[-1]);
        break;
      case ExpressionOp::Add:
        if (!ArithmeticInPlace(sp, step.Op)) binary(Add);
        break;
      case ExpressionOp::Subtract:
        if (!ArithmeticInPlace(sp, step.Op)) binary(Subtract);
        break;
      case ExpressionOp::Multiply:
        if (!ArithmeticInPlace(sp, step.Op)) binary(Multiply);
        break;
      case ExpressionOp::Divide: binary(Divide); break;
      case ExpressionOp::Power: binary(Power); break;
      case ExpressionOp::Negate: sp[-1] = Negate(sp[-1]); break;
    }
  }
  return std::move(*--sp);
}

}  // namespace

ScriptValue RunExpressionCode(const ExpressionCode& code, LineTokens& line, TBasicInterpreter& reader,
                              std::vector<ScriptValue>& stack, std::string& name) {
  return RunSteps<false>(code, line, reader, stack, name);
}

bool RunElementNameCode(const ExpressionCode& code, std::uint32_t first, LineTokens& line, TBasicInterpreter& reader,
                        std::vector<ScriptValue>& stack, std::string& name) {
  if (code.Steps.empty() || code.Steps.back().Op != ExpressionOp::Element ||
      code.Elements[code.Steps.back().Operand].NameToken != first)
    return false;
  RunSteps<true>(code, line, reader, stack, name);
  return true;
}

}  // namespace tw
