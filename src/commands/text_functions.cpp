// The text functions of the library: format, strreplace and gettext.

#include "commands/tarnwick_basic.h"
#include "files/file_text.h"
#include "interpreter/builtins.h"
#include "text/ascii_text.h"
#include "text/text_search.h"
#include "text/utf8.h"

namespace tw {

namespace {

bool FollowedByComma(TTarnwickBasic& library) { return library.TokenIsOperator(','); }

// Each "%s" (any letter case) takes the next value; a "%s" without a value stays. Values beyond the last "%s"
// are read and left unused, so that the call still ends at its ")".
void Format(TTarnwickBasic& library, ScriptValue& result) {
  std::string rest = library.ReadArgument();
  bool more = FollowedByComma(library);
  std::string text;
  while (more) {
    const std::size_t placeholder = LowerAscii(rest).find("%s");
    if (placeholder == std::string::npos) break;
    text.append(rest, 0, placeholder);
    text += library.ReadArgument();
    more = FollowedByComma(library);
    rest.erase(0, placeholder + 2);
  }
  text += rest;
  while (more) {
    library.ReadArgument();
    more = FollowedByComma(library);
  }
  result = ScriptValue(text);
}

void StrReplace(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const std::string text = library.ReadArgument();
  const std::string find = library.ReadArgument();
  const std::string replacement = library.ReadArgument();
  const ScriptValue ignoreCaseText = library.ReadOptionalArgument(ScriptValue::Integer(0));
  if (library.CheckMode) return;
  std::int32_t ignoreCase = 0;
  if (!IntegerArgument(library, ignoreCaseText, ignoreCase)) return;
  std::string out;
  std::size_t at = 0;
  for (const text::Match& match : text::FindAll(text, find, ignoreCase == 1)) {
    out.append(text, at, match.At - at).append(replacement);
    at = match.At + match.Length;
  }
  out.append(text, at);
  result = ScriptValue(out);
}

void GetText(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("<eot>");
  const std::string text = library.ReadArgument();
  const ScriptValue lineText(library.ReadArgument());
  const ScriptValue columnText(library.ReadArgument());
  const ScriptValue countText = library.ReadOptionalArgument(ScriptValue::Integer(999));
  if (library.CheckMode) return;
  std::int32_t line = 0, column = 0, count = 0;
  if (!IntegerArgument(library, lineText, line) || !IntegerArgument(library, columnText, column) ||
      !IntegerArgument(library, countText, count))
    return;
  if (line < 1) {
    library.ScriptError("List index out of bounds (" + std::to_string(static_cast<std::int64_t>(line) - 1) + ")");
    return;
  }
  const std::vector<std::string_view> lines = SplitLines(text);
  if (static_cast<std::size_t>(line) > lines.size()) return;
  const std::string_view chosen = lines[static_cast<std::size_t>(line) - 1];
  const std::size_t from = text::SkipCharacters(chosen, 0, static_cast<std::size_t>(std::max(column, 1)) - 1);
  const std::size_t to = count > 0 ? text::SkipCharacters(chosen, from, static_cast<std::size_t>(count)) : from;
  result = ScriptValue(chosen.substr(from, to - from));
}

}  // namespace

void AddTextFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("format", Format);
  handlers.AddFunction("strreplace", StrReplace);
  handlers.AddFunction("gettext", GetText);
}

}  // namespace tw
