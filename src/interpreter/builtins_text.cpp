// asc, chr, find/pos, left, right, mid, length, lower, upper, trim, str, val, leftpad, rightpad
// and parse. Text is single-byte: positions and lengths count bytes, and only the letters A to Z
// change case.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "interpreter/ascii_text.h"
#include "interpreter/builtins.h"
#include "interpreter/interpreter.h"
#include "interpreter/number_text.h"

namespace tw {

namespace {

std::string FoldedUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

std::string FoldedLower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

// Where needle first occurs in haystack, npos when it does not or when it is empty. Mode 1
// ignores the case of the letters a to z; every other mode compares exactly.
std::size_t FindText(std::string_view haystack, std::string_view needle, std::int32_t mode) {
  if (needle.empty()) return std::string_view::npos;
  if (mode == 1) return FoldedUpper(haystack).find(FoldedUpper(needle));
  return haystack.find(needle);
}

void Asc(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string text = in.ReadArgument();
  if (in.CheckMode || text.empty()) return;
  result = ScriptValue::Integer(static_cast<unsigned char>(text[0]));
}

void Chr(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue argument(in.ReadArgument());
  if (in.CheckMode) return;
  std::int32_t code = 0;
  if (!IntegerArgument(in, argument, code)) return;
  const int byte = ((code % 256) + 256) % 256;  // negative codes wrap too
  result = ScriptValue(std::string(1, static_cast<char>(byte)));
}

void Find(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string text = in.ReadArgument();
  const std::string sub = in.ReadArgument();
  const ScriptValue modeArgument = in.ReadOptionalArgument(ScriptValue::Integer(0));
  if (in.CheckMode) return;
  std::int32_t mode = 0;
  if (!IntegerArgument(in, modeArgument, mode)) return;
  const std::size_t at = FindText(text, sub, mode);
  if (at != std::string_view::npos) result = ScriptValue::Integer(static_cast<std::int32_t>(at + 1));
}

// Reads a text and a count; false when the run must not go on with them.
bool ReadTextAndCount(TBasicInterpreter& in, std::string& text, std::int32_t& count) {
  text = in.ReadArgument();
  const ScriptValue countArgument(in.ReadArgument());
  if (in.CheckMode) return false;
  return IntegerArgument(in, countArgument, count);
}

void Left(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  std::string text;
  std::int32_t count = 0;
  if (!ReadTextAndCount(in, text, count) || count <= 0) return;
  result = ScriptValue(std::string_view(text).substr(0, static_cast<std::size_t>(count)));
}

void Right(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  std::string text;
  std::int32_t count = 0;
  if (!ReadTextAndCount(in, text, count) || count <= 0) return;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(count));
  result = ScriptValue(std::string_view(text).substr(text.size() - n));
}

void Mid(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string text = in.ReadArgument();
  const ScriptValue startArgument(in.ReadArgument());
  const ScriptValue countArgument(in.ReadArgument());
  if (in.CheckMode) return;
  std::int32_t start = 0;
  std::int32_t count = 0;
  if (!IntegerArgument(in, startArgument, start) || !IntegerArgument(in, countArgument, count)) return;
  if (start < 1) start = 1;
  const std::size_t from = static_cast<std::size_t>(start) - 1;
  if (from >= text.size() || count < 1) return;
  result = ScriptValue(std::string_view(text).substr(from, static_cast<std::size_t>(count)));
}

void Length(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string text = in.ReadArgument();
  if (in.CheckMode) return;
  result = ScriptValue::Integer(static_cast<std::int32_t>(text.size()));
}

void Lower(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string text = in.ReadArgument();
  if (!in.CheckMode) result = ScriptValue(FoldedLower(text));
}

void Upper(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string text = in.ReadArgument();
  if (!in.CheckMode) result = ScriptValue(FoldedUpper(text));
}

void Trim(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string text = in.ReadArgument();
  if (in.CheckMode) return;
  result = ScriptValue(Trimmed(text));
}

void Str(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string text = in.ReadArgument();
  if (!in.CheckMode) result = ScriptValue(text);
}

void Val(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string text = in.ReadArgument();
  if (in.CheckMode) return;
  result = ScriptValue::Real(ParseReal(text).value_or(0.0));
}

// leftpad and rightpad. An empty pad text leaves s as it is: there is nothing to pad with.
void Pad(TBasicInterpreter& in, ScriptValue& result, bool before) {
  result = ScriptValue("");
  const std::string text = in.ReadArgument();
  const ScriptValue lengthArgument(in.ReadArgument());
  const std::string pad = in.ReadArgument();
  if (in.CheckMode) return;
  std::int32_t length = 0;
  if (!IntegerArgument(in, lengthArgument, length)) return;
  if (pad.empty() || length <= 0 || text.size() >= static_cast<std::size_t>(length)) {
    result = ScriptValue(text);
    return;
  }
  const std::string fill(static_cast<std::size_t>(length) - text.size(), pad[0]);
  result = ScriptValue(before ? fill + text : text + fill);
}

void LeftPad(TBasicInterpreter& in, ScriptValue& result) { Pad(in, result, true); }
void RightPad(TBasicInterpreter& in, ScriptValue& result) { Pad(in, result, false); }

// parse(name, delim [, mode]): name is a plain variable token, not an expression. Its text up to
// the delimiter is the result and the rest goes back into the variable; without a delimiter the
// whole text is the result and the variable becomes empty.
void Parse(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  in.NextToken();
  const bool isName = in.Kind == TokenKind::tkVariable;
  const std::string name(in.Token);
  in.NextToken();
  if (!isName || !in.TokenIsOperator(',')) {
    // An element, an expression or a missing "," cannot name the variable to split.
    in.ScriptError("Syntax Error");
    return;
  }
  const std::string delimiter = in.ReadArgument();
  const ScriptValue modeArgument = in.ReadOptionalArgument(ScriptValue::Integer(0));
  if (in.CheckMode) return;
  std::int32_t mode = 0;
  if (!IntegerArgument(in, modeArgument, mode)) return;
  const std::string text = in.GetVariable(name).ToText();
  const std::size_t at = FindText(text, delimiter, mode);
  if (at == std::string::npos) {
    result = ScriptValue(text);
    in.SetVariable(name, ScriptValue(""));
    return;
  }
  result = ScriptValue(std::string_view(text).substr(0, at));
  in.SetVariable(name, ScriptValue(std::string_view(text).substr(at + delimiter.size())));
}

}  // namespace

void AddTextFunctions(BuiltinTable& table) {
  table.Set(Builtin::Asc, Asc);
  table.Set(Builtin::Chr, Chr);
  table.Set(Builtin::Find, Find);
  table.Set(Builtin::Left, Left);
  table.Set(Builtin::Right, Right);
  table.Set(Builtin::Mid, Mid);
  table.Set(Builtin::Length, Length);
  table.Set(Builtin::Lower, Lower);
  table.Set(Builtin::Upper, Upper);
  table.Set(Builtin::Trim, Trim);
  table.Set(Builtin::Str, Str);
  table.Set(Builtin::Val, Val);
  table.Set(Builtin::LeftPad, LeftPad);
  table.Set(Builtin::RightPad, RightPad);
  table.Set(Builtin::Parse, Parse);
}

}  // namespace tw
