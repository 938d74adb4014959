// asc, chr, find/pos, left, right, mid, length, lower, upper, trim, str, val, leftpad, rightpad
// and parse. Text is UTF-8: positions and lengths count characters, a byte outside a valid
// sequence counts as one character and stays as it is, and case maps all of Unicode.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/builtins.h"
#include "interpreter/interpreter.h"
#include "interpreter/number_text.h"
#include "text/ascii_text.h"
#include "text/case_mapping.h"
#include "text/text_search.h"
#include "text/utf8.h"

namespace tw {

namespace {

// Where needle first occurs in haystack; absent also when it is empty. Mode 1 ignores the case of
// letters; every other mode compares exactly.
text::Match FindText(std::string_view haystack, std::string_view needle, std::int32_t mode) {
  if (needle.empty()) return {};
  return mode == 1 ? text::FindIgnoringCase(haystack, needle) : text::FindExact(haystack, needle);
}

// A character of the Windows-1252 code page keeps its code there (128 is the euro sign); every
// other character is its Unicode code point; a stray byte is its byte value.
void Asc(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue value = in.ReadTextArgument();
  const std::string_view argument = value.TextView();
  if (in.CheckMode || argument.empty()) return;
  const text::Character c = text::DecodeAt(argument, 0);
  const int codePage = c.Valid ? text::ToWindows1252(c.Code) : -1;
  result = ScriptValue::Integer(static_cast<std::int32_t>(codePage >= 0 ? static_cast<char32_t>(codePage) : c.Code));
}

// The inverse of asc: 0 to 255 as in Windows-1252, above that the Unicode code point.
void Chr(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue argument(in.ReadArgument());
  if (in.CheckMode) return;
  std::int32_t code = 0;
  if (!IntegerArgument(in, argument, code)) return;
  if (code < 0 || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
    in.ScriptError("Invalid Value");
    return;
  }
  const auto character = static_cast<char32_t>(code);
  result = ScriptValue(text::Utf8(code < 256 ? text::FromWindows1252(static_cast<unsigned char>(code)) : character));
}

void Find(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue text = in.ReadTextArgument();
  const ScriptValue sub = in.ReadTextArgument();
  const ScriptValue modeArgument = in.ReadOptionalArgument(ScriptValue::Integer(0));
  if (in.CheckMode) return;
  std::int32_t mode = 0;
  if (!IntegerArgument(in, modeArgument, mode)) return;
  const text::Match match = FindText(text.TextView(), sub.TextView(), mode);
  if (match.At != std::string_view::npos)
    result = ScriptValue::Integer(static_cast<std::int32_t>(text.CharactersBefore(match.At) + 1));
}

// Reads a text and a count; false when the run must not go on with them.
bool ReadTextAndCount(TBasicInterpreter& in, ScriptValue& text, std::int32_t& count) {
  text = in.ReadTextArgument();
  const ScriptValue countArgument(in.ReadArgument());
  if (in.CheckMode) return false;
  return IntegerArgument(in, countArgument, count);
}

void Left(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  ScriptValue text;
  std::int32_t count = 0;
  if (!ReadTextAndCount(in, text, count) || count <= 0) return;
  result = ScriptValue(text.TextView().substr(0, text.SkipCharacters(static_cast<std::size_t>(count))));
}

void Right(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  ScriptValue text;
  std::int32_t count = 0;
  if (!ReadTextAndCount(in, text, count) || count <= 0) return;
  const std::string_view view = text.TextView();
  const auto wanted = static_cast<std::size_t>(count);
  std::size_t start = 0;
  if (wanted > 64) {
    // Far from the end, counting and skipping from the start go by what the text remembers.
    const std::size_t total = text.CharactersBefore(view.size());
    start = wanted >= total ? 0 : text.SkipCharacters(total - wanted);
  } else {
    start = text::StartOfLastCharacters(view, wanted);
  }
  result = ScriptValue(view.substr(start));
}

void Mid(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue textValue = in.ReadTextArgument();
  const ScriptValue startArgument(in.ReadArgument());
  const ScriptValue countArgument(in.ReadArgument());
  if (in.CheckMode) return;
  std::int32_t start = 0;
  std::int32_t count = 0;
  if (!IntegerArgument(in, startArgument, start) || !IntegerArgument(in, countArgument, count)) return;
  if (start < 1) start = 1;
  if (count < 1) return;
  const std::string_view text = textValue.TextView();
  const auto before = static_cast<std::size_t>(start) - 1;
  const std::size_t from = textValue.SkipCharacters(before);
  if (from >= text.size()) return;
  const std::size_t to = textValue.SkipCharacters(from, before, static_cast<std::size_t>(count));
  result = ScriptValue(text.substr(from, to - from));
}

void Length(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue text = in.ReadTextArgument();
  if (in.CheckMode) return;
  result = ScriptValue::Integer(static_cast<std::int32_t>(text.CharactersBefore(text.TextView().size())));
}

void Lower(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue text = in.ReadTextArgument();
  if (!in.CheckMode) result = ScriptValue(text::LowerCase(text.TextView()));
}

void Upper(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue text = in.ReadTextArgument();
  if (!in.CheckMode) result = ScriptValue(text::UpperCase(text.TextView()));
}

void Trim(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue text = in.ReadTextArgument();
  if (in.CheckMode) return;
  result = ScriptValue(Trimmed(text.TextView()));
}

void Str(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  ScriptValue text = in.ReadTextArgument();
  if (!in.CheckMode) result = std::move(text);
}

void Val(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue text = in.ReadTextArgument();
  if (in.CheckMode) return;
  result = ScriptValue::Real(ParseReal(text.TextView()).value_or(0.0));
}

// leftpad and rightpad. An empty pad text leaves s as it is: there is nothing to pad with.
void Pad(TBasicInterpreter& in, ScriptValue& result, bool before) {
  result = ScriptValue("");
  const ScriptValue textValue = in.ReadTextArgument();
  const ScriptValue lengthArgument(in.ReadArgument());
  const ScriptValue padValue = in.ReadTextArgument();
  if (in.CheckMode) return;
  std::int32_t length = 0;
  if (!IntegerArgument(in, lengthArgument, length)) return;
  const std::string_view text = textValue.TextView();
  const std::string_view pad = padValue.TextView();
  const std::size_t characters = length > 0 && !pad.empty() ? textValue.CharactersBefore(text.size()) : 0;
  if (pad.empty() || length <= 0 || characters >= static_cast<std::size_t>(length)) {
    result = textValue;
    return;
  }
  const std::string_view padCharacter = text::FirstCharacter(pad);
  std::string fill;
  const std::size_t copies = static_cast<std::size_t>(length) - characters;
  fill.reserve(copies * padCharacter.size());
  for (std::size_t i = 0; i < copies; ++i) fill += padCharacter;
  std::string padded;
  padded.reserve(text.size() + fill.size());
  if (before) padded += fill;
  padded += text;
  if (!before) padded += fill;
  result = ScriptValue(std::move(padded));
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
  const ScriptValue delimiter = in.ReadTextArgument();
  const ScriptValue modeArgument = in.ReadOptionalArgument(ScriptValue::Integer(0));
  if (in.CheckMode) return;
  std::int32_t mode = 0;
  if (!IntegerArgument(in, modeArgument, mode)) return;
  ScriptValue value = in.GetVariable(name);
  if (!value.IsText()) value = ScriptValue(value.ToText());
  const std::string_view text = value.TextView();
  const text::Match match = FindText(text, delimiter.TextView(), mode);
  if (match.At == std::string::npos) {
    result = value;
    in.SetVariable(name, ScriptValue(""));
    return;
  }
  result = ScriptValue(text.substr(0, match.At));
  in.SetVariable(name, ScriptValue(text.substr(match.At + match.Length)));
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
