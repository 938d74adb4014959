#pragma once
// The seconds argument of the functions that wait for a window or for terminal text.

#include <cstdint>

#include "interpreter/interpreter.h"

namespace tw {

// Converts the seconds a function waits; reports "Invalid Timeout Value" and answers false when the text is
// no number.
inline bool TimeoutArgument(TBasicInterpreter& interpreter, const ScriptValue& argument, std::int32_t& out) {
  try {
    out = argument.ToInteger();
    return true;
  } catch (const ScriptFailure&) {
    interpreter.ScriptError("Invalid Timeout Value");
    return false;
  }
}

}  // namespace tw
