// varbyname, loadvars and savevars.

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "files/atomic_file.h"
#include "interpreter/builtins.h"
#include "interpreter/interpreter.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

// Line breaks inside a saved value are kept as this marker.
constexpr std::string_view kLineBreakMarker = "\\n\\";

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t at = 0;
  for (std::size_t hit; (hit = text.find(from, at)) != std::string_view::npos; at = hit + from.size()) {
    out += text.substr(at, hit - at);
    out += to;
  }
  out += text.substr(at);
  return out;
}

void VarByName(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string name = in.ReadArgument();
  if (in.CheckMode) return;
  result = in.GetVariable(name);
}

void LoadVars(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("0");
  const std::string file = in.ReadArgument();
  const std::string prefix = LowerAscii(in.ReadOptionalArgument(ScriptValue("")).ToText());
  if (in.CheckMode) return;
  std::ifstream stream(file, std::ios::binary);
  if (!stream) {
    result = ScriptValue::Integer(0);
    return;
  }
  const std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + at, end - at);
    std::size_t equals = line.find('=');
    if (equals != std::string_view::npos) {
      std::string_view name = line.substr(0, equals);
      if (LowerAscii(name).starts_with(prefix))
        in.SetVariable(name, ScriptValue(ReplaceAll(line.substr(equals + 1), kLineBreakMarker, "\r\n")));
    }
    if (end == text.size()) break;
    at = end + 1;
    if (text[end] == '\r' && at < text.size() && text[at] == '\n') ++at;
  }
  result = ScriptValue::Integer(1);
}

void SaveVars(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("0");
  const std::string file = in.ReadArgument();
  const std::string prefix = LowerAscii(in.ReadOptionalArgument(ScriptValue("")).ToText());
  if (in.CheckMode) return;
  std::string lines;
  bool any = false;
  auto add = [&](std::string_view name, const TVariable& variable) {
    if (!name.starts_with(prefix)) return;
    lines += name;
    lines += '=';
    lines += ReplaceAll(variable.Value.ToText(), "\r\n", kLineBreakMarker);
    lines += "\r\n";
    any = true;
  };
  if (VariableTable* globals = in.Globals()) globals->ForEach(add);
  in.Locals.ForEach(add);
  if (!any) {
    result = ScriptValue::Integer(0);
    return;
  }
  try {
    WriteFileAtomically(file, lines);
  } catch (const std::runtime_error& failure) {
    in.ScriptError(failure.what());
    return;
  }
  result = ScriptValue::Integer(1);
}

}  // namespace

void AddVariableFunctions(BuiltinTable& table) {
  table.Set(Builtin::VarByName, VarByName);
  table.Set(Builtin::LoadVars, LoadVars);
  table.Set(Builtin::SaveVars, SaveVars);
}

}  // namespace tw
