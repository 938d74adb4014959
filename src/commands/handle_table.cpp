#include "commands/handle_table.h"

#include "commands/tarnwick_basic.h"

namespace tw {

bool HandleArgument(TTarnwickBasic& library, const std::string& text, int& number) {
  try {
    number = ScriptValue(text).ToInteger();
    return true;
  } catch (const ScriptFailure&) {
    library.ScriptError("Invalid Handle");
    return false;
  }
}

}  // namespace tw
