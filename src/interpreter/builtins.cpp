#include "interpreter/builtins.h"

namespace tw {

namespace {

BuiltinTable MakeTable() {
  BuiltinTable table;
  AddVariableFunctions(table);
  AddConsoleFunctions(table);
  AddDirectoryFunctions(table);
  AddFileFunctions(table);
  AddFileHandleFunctions(table);
  AddTextFunctions(table);
  AddNumberFunctions(table);
  AddDateTimeFunctions(table);
  AddMessageFunctions(table);
  return table;
}

}  // namespace

BuiltinHandler FindBuiltin(Builtin id) {
  static const BuiltinTable table = MakeTable();
  return table.Get(id);
}

}  // namespace tw

#include "interpreter/interpreter.h"

namespace tw {

bool IntegerArgument(TBasicInterpreter& interpreter, const ScriptValue& argument, std::int32_t& out,
                     std::string_view error) {
  try {
    out = argument.ToInteger();
    return true;
  } catch (const ScriptFailure&) {
    interpreter.ScriptError(error);
    return false;
  }
}

bool RealArgument(TBasicInterpreter& interpreter, const ScriptValue& argument, double& out) {
  try {
    out = argument.ToReal();
    return true;
  } catch (const ScriptFailure&) {
    interpreter.ScriptError("Invalid Value");
    return false;
  }
}

}  // namespace tw
