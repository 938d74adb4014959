#pragma once
// The built-in functions' dispatch table. Each handler is entered after the "(" of its call,
// reads its own arguments with the interpreter's readers, and leaves its result; the caller
// then reads the ")" and the token after it.

#include <cstdint>
#include <string_view>

#include "interpreter/tokens.h"
#include "interpreter/value.h"

namespace tw {

class TBasicInterpreter;

using BuiltinHandler = void (*)(TBasicInterpreter& interpreter, ScriptValue& result);

class BuiltinTable {
 public:
  void Set(Builtin id, BuiltinHandler handler) { handlers_[static_cast<int>(id)] = handler; }
  BuiltinHandler Get(Builtin id) const { return handlers_[static_cast<int>(id)]; }

 private:
  BuiltinHandler handlers_[static_cast<int>(Builtin::Count_)] = {};
};

// The handler of a function, or null while that function is not part of this build.
BuiltinHandler FindBuiltin(Builtin id);

// Each group of functions adds its handlers.
void AddVariableFunctions(BuiltinTable& table);
void AddConsoleFunctions(BuiltinTable& table);
void AddDirectoryFunctions(BuiltinTable& table);
void AddFileFunctions(BuiltinTable& table);
void AddFileHandleFunctions(BuiltinTable& table);
void AddTextFunctions(BuiltinTable& table);
void AddNumberFunctions(BuiltinTable& table);
void AddDateTimeFunctions(BuiltinTable& table);
void AddMessageFunctions(BuiltinTable& table);

}  // namespace tw

namespace tw {

// Converts an argument where a function needs a number; reports the error (by default "Invalid Value")
// and answers false when the text is no number. The functions that wait say "Invalid Timeout Value" of
// their seconds; the file functions report every failure as "Syntax Error".
bool IntegerArgument(TBasicInterpreter& interpreter, const ScriptValue& argument, std::int32_t& out,
                     std::string_view error = "Invalid Value");
inline constexpr std::string_view kInvalidTimeout = "Invalid Timeout Value";
bool RealArgument(TBasicInterpreter& interpreter, const ScriptValue& argument, double& out);

}  // namespace tw
