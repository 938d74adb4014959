// The mouse: mousemove, mouseclickabs, mouseupdown, getmousepos and the commands mousesave and mouserestore.

#include "commands/tarnwick_basic.h"
#include "commands/window_search.h"
#include "interpreter/builtins.h"

namespace tw {

namespace {

// The upper-cased text must occur in `letters`; else "Invalid Value". An empty text occurs in every set.
bool OneOf(TTarnwickBasic& library, const std::string& upper, std::string_view letters) {
  if (letters.find(upper) != std::string_view::npos) return true;
  library.ScriptError("Invalid Value");
  return false;
}

bool ReadPoint(TTarnwickBasic& library, port::Point& where) {
  const ScriptValue xText(library.ReadArgument());
  const ScriptValue yText(library.ReadArgument());
  if (library.CheckMode) return false;
  return IntegerArgument(library, xText, where.x) && IntegerArgument(library, yText, where.y);
}

void MouseMove(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  port::Point where;
  if (!ReadPoint(library, where)) return;
  library.MouseController->MoveTo(where);
  result = ScriptValue::Integer(1);
}

void MouseClickAbs(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  port::Point where;
  if (!ReadPoint(library, where)) return;
  library.MouseController->MoveTo(where);
  library.MouseController->MouseClick();
  result = ScriptValue::Integer(1);
}

void MouseUpDown(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string button = UpperAscii(library.ReadArgument());
  const std::string action = UpperAscii(library.ReadArgument());
  const ScriptValue xText = library.ReadOptionalArgument(ScriptValue::Integer(-1));
  const ScriptValue yText = library.ReadOptionalArgument(ScriptValue::Integer(-1));
  if (library.CheckMode) return;
  // Only the first letter counts; an empty button or action has none and is refused.
  if (!OneOf(library, button, "LMR") || !OneOf(library, action, "UD12")) return;
  if (button.empty() || action.empty()) {
    library.ScriptError("Invalid Value");
    return;
  }
  std::int32_t x = -1, y = -1;
  if (!IntegerArgument(library, xText, x) || !IntegerArgument(library, yText, y)) return;
  TMouseControl& mouse = *library.MouseController;
  mouse.Button = button[0] == 'L' ? port::MouseButton::Left
                 : button[0] == 'M' ? port::MouseButton::Middle
                                    : port::MouseButton::Right;
  if (x != -1) mouse.SetX(x);
  if (y != -1) mouse.SetY(y);
  if (action[0] == '1' || action[0] == 'D')
    mouse.MouseDown();
  else
    mouse.MouseUp();
  result = ScriptValue::Integer(1);
}

void GetMousePos(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string axis = UpperAscii(library.ReadArgument());
  if (library.CheckMode || !OneOf(library, axis, "XY12")) return;
  result = ScriptValue::Integer(axis == "X" || axis == "1" ? library.MouseController->X()
                                                           : library.MouseController->Y());
}

void MouseSave(TTarnwickBasic& library) {
  if (library.CheckMode) return;
  library.SavedMousePos = library.Desktop.mouse().position();
}

void MouseRestore(TTarnwickBasic& library) {
  if (library.CheckMode) return;
  library.MouseController->MoveTo(library.SavedMousePos);
}

}  // namespace

void AddMouseCommands(LibraryHandlers& handlers) {
  handlers.AddCommand("mousesave", MouseSave);
  handlers.AddCommand("mouserestore", MouseRestore);
}

void AddMouseFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("mousemove", MouseMove);
  handlers.AddFunction("mouseclickabs", MouseClickAbs);
  handlers.AddFunction("mouseupdown", MouseUpDown);
  handlers.AddFunction("getmousepos", GetMousePos);
}

}  // namespace tw
