// Terminal text: ReadConsoleText and the functions grab and waitdos.

#include "commands/screen_text.h"

#include <algorithm>

#include "commands/tarnwick_basic.h"
#include "commands/window_search.h"
#include "interpreter/builtins.h"
#include "text/utf8.h"

namespace tw {

namespace {

void Grab(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const ScriptValue rowText(library.ReadArgument());
  const ScriptValue columnText(library.ReadArgument());
  const ScriptValue lengthText(library.ReadArgument());
  const ScriptValue menuKeysText = library.ReadOptionalArgument(ScriptValue::Integer(0));
  const ScriptValue keyDelayText = library.ReadOptionalArgument(ScriptValue::Integer(2));
  if (library.CheckMode) return;
  std::int32_t row = 0, column = 0, length = 0, menuKeys = 0, keyDelay = 0;
  for (auto [text, out] : {std::pair{&rowText, &row}, {&columnText, &column}, {&lengthText, &length},
                           {&menuKeysText, &menuKeys}, {&keyDelayText, &keyDelay}})
    if (!IntegerArgument(library, *text, *out)) return;
  result = ScriptValue(ReadConsoleText(library, row, column, length, keyDelay, menuKeys != 0, library.TargetWindow));
}

void WaitDos(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue rowText(library.ReadArgument());
  const ScriptValue columnText(library.ReadArgument());
  const std::string wanted = LowerAscii(library.ReadArgument());
  const ScriptValue secondsText(library.ReadArgument());
  const ScriptValue menuKeysText = library.ReadOptionalArgument(ScriptValue::Integer(0));
  if (library.CheckMode) return;
  std::int32_t row = 0, column = 0, seconds = 0, menuKeys = 0;
  if (!IntegerArgument(library, rowText, row) || !IntegerArgument(library, columnText, column) ||
      !IntegerArgument(library, secondsText, seconds, kInvalidTimeout) ||
      !IntegerArgument(library, menuKeysText, menuKeys))
    return;
  if (wanted.empty()) return;
  const int length = static_cast<int>(text::CharacterCount(wanted));
  std::string last;
  for (std::int32_t waited = 0; !TBasicInterpreter::StopRequested && waited <= seconds; ++waited) {
    last = LowerAscii(ReadConsoleText(library, row, column, length, 2, menuKeys != 0, library.TargetWindow));
    if (last == wanted) {
      result = ScriptValue::Integer(1);
      return;
    }
    library.Delay(1000, true);
  }
}

}  // namespace

std::string ReadConsoleText(TTarnwickBasic& library, int row, int column, int length, int, bool,
                            port::WindowId window) {
  if (length <= 0) return {};
  const auto screen = library.Desktop.terminalText().screen(window);
  if (!screen) {
    library.Host.ShowErrorBox("Cannot read text from DOS Screen.");
    return {};
  }
  if (screen->empty()) return {};
  const std::size_t rowIndex = static_cast<std::size_t>(std::clamp<long>(row, 1, static_cast<long>(screen->size())) - 1);
  const std::string& line = (*screen)[rowIndex];
  const std::size_t from = text::SkipCharacters(line, 0, static_cast<std::size_t>(std::max(column, 1) - 1));
  const std::size_t to = text::SkipCharacters(line, from, static_cast<std::size_t>(length));
  return line.substr(from, to - from);
}

void AddScreenTextFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("grab", Grab);
  handlers.AddFunction("waitdos", WaitDos);
}

}  // namespace tw
