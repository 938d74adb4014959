#pragma once
// The read form of a stored line: its tokens, scanned once and walked by every later read of the
// line. What a line reads as depends on the words the interpreter knows, so each form remembers
// the generation of the word tables it was made with.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/expression_code.h"
#include "interpreter/tokens.h"
#include "interpreter/value.h"

namespace tw {

class VariableTable;

inline constexpr std::uint32_t kNoAux = UINT32_MAX;

struct CachedToken {
  std::string_view Text;   // what Token shows (a literal without its quotes)
  std::string_view Lower;  // words: the word lowered
  std::uint32_t Start = 0; // where the token begins in its line
  std::uint32_t Next = 0;  // where the unread rest begins after it
  int Id = -1;
  TokenKind Kind = TokenKind::None;
  std::uint32_t Aux = kNoAux;  // literals and variables: their entry in the line's side tables
  std::uint32_t Expression = kNoAux;  // the line's expression entry that starts at this token
};

// A number or string literal as a value, and a number literal also as the real it reads as.
struct LiteralValue {
  ScriptValue Text;
  double Real = 0;
  char Separator = 0;  // the decimal separator Real was read with; 0 when it did not read
};

// Where a variable token's name was last found: a position in a table, checked against the table's
// epoch, and for a local, against the version of the globals that could hide it.
struct SlotCache {
  VariableTable* Table = nullptr;
  std::uint64_t Epoch = 0;
  const VariableTable* Globals = nullptr;
  std::uint64_t GlobalsVersion = 0;
  std::uint32_t Index = 0;
  // False for a local written because a read-only global of that name refuses the write: reads
  // still find the global.
  bool ReadValid = true;
};

struct VariableRef {
  std::string_view Normalized;  // the name as tables store it
  std::size_t Hash = 0;         // HashName of Normalized
  SlotCache Slot;
};

// Where a token stands: a line and the token's position in that line's tokens.
struct TokenPlace {
  std::uint32_t Line = 0;
  std::uint32_t Token = 0;
};

// An expression of the line by its first token: read by the token reader the first time, given
// code the second time (or marked as having none).
struct ExpressionEntry {
  std::uint32_t Token = 0;
  bool Compiled = false;
  std::unique_ptr<ExpressionCode> Code;
};

// A condition of the line by its first token and by what may end it, as expressions are kept.
struct ConditionEntry {
  std::uint32_t Token = 0;
  std::uint8_t Terminators = 0;  // 1: then, 2: ":"
  bool Compiled = false;
  std::unique_ptr<ConditionCode> Code;
};

struct LineTokens {
  std::uint64_t WordGeneration = 0;      // of the keyword, command, block and function lists
  std::uint64_t FunctionGeneration = 0;  // of the user function table
  bool Skipped = false;                  // blank or comment line
  std::string_view Text;                 // the trimmed line
  std::string Lower;                     // the trimmed line lowered, where words' Lower points
  std::vector<CachedToken> Tokens;
  std::vector<LiteralValue> Literals;
  std::vector<VariableRef> Variables;
  // For a for, while, if or caseof token: the token that closes its block, once a skip found it.
  std::vector<std::pair<std::uint32_t, TokenPlace>> Closers;
  std::vector<ExpressionEntry> Expressions;
  std::vector<ConditionEntry> Conditions;
};

}  // namespace tw
