#pragma once
// The code of an expression in a stored line: the operations reading it performs, in order, over
// the line's literals and variable tokens, so that running it again reads no tokens. Only
// expressions of literals, variables, array elements and arithmetic have code. Running those has
// no effect but their value, so a run that fails can be left to the token reader, which raises the
// error at the token it always has.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "interpreter/value.h"

namespace tw {

struct LineTokens;
class TBasicInterpreter;

enum class ExpressionOp : std::uint8_t {
  Literal,      // the literal of token Operand, as text
  RealLiteral,  // the same literal made real (a whole number, which reads alike in every locale)
  Variable,     // the variable named by token Operand
  Element,      // the array element of Elements[Operand], its index values on the stack
  ToReal,
  Add,
  Subtract,
  Multiply,
  Divide,
  Power,
  Negate,
};

struct ExpressionStep {
  ExpressionOp Op;
  std::uint32_t Operand = 0;
};

// a[i, j]: the token naming the array and how many indexes follow it.
struct ElementShape {
  std::uint32_t NameToken = 0;
  std::uint32_t Indexes = 0;
};

struct ExpressionCode {
  std::vector<ExpressionStep> Steps;
  std::vector<ElementShape> Elements;
  std::uint32_t End = 0;         // the token reading stands at after the expression
  std::uint32_t Nesting = 0;     // the deepest nesting of terms, as the reader counts it
  std::uint32_t StackDepth = 0;  // values held at once while running
};

// A condition of if, while or case: comparisons joined by "and" or "or", strictly left to right.
struct ComparisonCode {
  ExpressionCode Left;
  ExpressionCode Right;
  std::uint8_t Operator = 0;  // 0 =, 1 <>, 2 <, 3 >, 4 <=, 5 >=
  bool And = false;           // how it joins the result so far ("and", else "or")
};

struct ConditionCode {
  std::vector<ComparisonCode> Comparisons;
  std::uint32_t End = 0;      // the token that ends the condition
  std::uint32_t Nesting = 0;  // the deepest nesting of its expressions
};

// The code of the expression whose first token is `first`, or null when the expression holds
// anything code does not express (calls, reading past the line, anything the reader reports).
std::unique_ptr<ExpressionCode> CompileExpression(const LineTokens& line, std::uint32_t first);

// The code of the condition whose first token is `first`, ended by the end of the line and, where
// allowed, by `then` or ":"; null when one of its expressions has none or its form is not plain.
std::unique_ptr<ConditionCode> CompileCondition(const LineTokens& line, std::uint32_t first, bool thenTerminates,
                                                bool colonTerminates);

// Runs code made from `line`. `stack` and `name` are scratch space the caller keeps between runs.
// Throws ScriptFailure where an operation fails.
ScriptValue RunExpressionCode(const ExpressionCode& code, LineTokens& line, TBasicInterpreter& reader,
                              std::vector<ScriptValue>& stack, std::string& name);
// For code starting at token `first` that is one array element a[...] and nothing more: leaves the
// element's name in `name` as tables store it (normalised), without reading it. False for other code.
bool RunElementNameCode(const ExpressionCode& code, std::uint32_t first, LineTokens& line, TBasicInterpreter& reader,
                        std::vector<ScriptValue>& stack, std::string& name);
// The same for a condition; throws ScriptFailure also where two values cannot be compared.
bool RunConditionCode(const ConditionCode& code, LineTokens& line, TBasicInterpreter& reader,
                      std::vector<ScriptValue>& stack, std::string& name);

}  // namespace tw
