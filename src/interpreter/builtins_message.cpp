// msgbox: a message box through the host; 1 when the user chose OK or Yes, else 0.

#include <cstdint>
#include <string>

#include "interpreter/builtins.h"
#include "interpreter/interpreter.h"

namespace tw {

namespace {

// msgbox(text [, type [, buttons]]): type 1 warning, 2 error, 3 information, 4 confirmation;
// buttons 1 OK and Cancel, 2 Yes and No.
void MsgBox(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string text = in.ReadArgument();
  const ScriptValue typeArgument = in.ReadOptionalArgument(ScriptValue::Integer(3));
  const ScriptValue buttonsArgument = in.ReadOptionalArgument(ScriptValue::Integer(1));
  if (in.CheckMode) return;
  std::int32_t type = 0;
  std::int32_t buttons = 0;
  if (!IntegerArgument(in, typeArgument, type) || !IntegerArgument(in, buttonsArgument, buttons)) return;
  if (text.empty() || type < 1 || type > 4 || buttons < 1 || buttons > 2) {
    in.ScriptError("Invalid Value");
    return;
  }
  const bool accepted =
      in.Host.ShowMessage(text, static_cast<MessageKind>(type), static_cast<MessageButtons>(buttons));
  result = ScriptValue::Integer(accepted ? 1 : 0);
}

}  // namespace

void AddMessageFunctions(BuiltinTable& table) { table.Set(Builtin::MsgBox, MsgBox); }

}  // namespace tw
