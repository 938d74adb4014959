// output, noerror, errorlog, version and allcommands.

#include <cstdio>

#include "interpreter/builtins.h"
#include "interpreter/interpreter.h"

namespace tw {

namespace {

void Output(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(1);
  const ScriptValue argument = in.ReadOptionalArgument(ScriptValue::Integer(1));
  if (in.CheckMode) return;
  std::int32_t mode = 0;
  if (!IntegerArgument(in, argument, mode)) return;
  if (mode != 1 && mode != 2) {
    in.ScriptError("Invalid Value");
    return;
  }
  in.OutputMode = mode - 1;
  if (mode == 1)
    in.Host.CloseConsole();
  else
    in.Host.OpenConsole();
}

void NoError(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue argument(in.ReadArgument());
  if (in.CheckMode) return;
  bool on = false;
  try {
    on = Compare(argument, ScriptValue::Integer(1)) == 0;
  } catch (const ScriptFailure&) {
    on = false;
  }
  in.NoError = on;
}

void ErrorLog(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string file = in.ReadArgument();
  TBasicInterpreter::ErrorLogFile.clear();
  if (in.CheckMode || file.empty()) return;
  std::FILE* log = std::fopen(file.c_str(), "ab");
  if (!log || std::fclose(log) != 0) {
    in.ScriptError("Invalid Error Log File Name Specified");
    return;
  }
  TBasicInterpreter::ErrorLogFile = file;
  result = ScriptValue::Integer(1);
}

void Version(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  if (!in.CheckMode) result = ScriptValue(in.GetVersion());
}

void AllCommands(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  if (!in.CheckMode) result = ScriptValue(in.GetAllCommands());
}

}  // namespace

void AddConsoleFunctions(BuiltinTable& table) {
  table.Set(Builtin::Output, Output);
  table.Set(Builtin::NoError, NoError);
  table.Set(Builtin::ErrorLog, ErrorLog);
  table.Set(Builtin::Version, Version);
  table.Set(Builtin::AllCommands, AllCommands);
}

}  // namespace tw
