// print and input, the output mode, and the one error path of a run.

#include <cstdio>

#include "interpreter/interpreter.h"
#include "interpreter/locale/datetime.h"
#include "interpreter/locale/locale.h"
#include "text/ascii_text.h"

namespace tw {

void TBasicInterpreter::ApplyEndOnCancel() {
  ScriptValue endOnCancel = GetVariable("_endoncancel");
  bool ends = false;
  try {
    ends = Compare(endOnCancel, ScriptValue::Integer(1)) == 0;
  } catch (const ScriptFailure&) {
    ends = false;
  }
  if (ends) StopScript();
}

void TBasicInterpreter::DeliverPrint(const std::string& text) {
  if (StopRequested || CheckMode) return;
  if (OutputMode == 1) {
    Host.AddConsoleLine(text);
    return;
  }
  if (OnPrint) {
    OnPrint(*this, text);
    return;
  }
  LastPromptOK = Host.ShowPrint(text);
  if (!LastPromptOK) ApplyEndOnCancel();
}

void TBasicInterpreter::RunPrint() {
  std::string text;
  NextToken();
  if (!AtEndOfLine() && !AtEndOfScript()) {
    for (;;) {
      if (!ReadItem(text, "Syntax Error")) return;
      if (AtEndOfLine() || AtEndOfScript()) break;
      if (TokenIsOperator(','))
        text += "     ";
      else if (!(Kind == TokenKind::tkOther && Token == ";") && !TokenIsOperator('+')) {
        ScriptError("Syntax Error");
        return;
      }
      NextToken();
      if (AtEndOfLine() || AtEndOfScript()) {
        ScriptError("Syntax Error");  // a separator needs an item after it
        return;
      }
    }
  }
  DeliverPrint(text);
}

void TBasicInterpreter::RunInput() {
  const std::string prompt = ReadArgument();
  if (!TokenIsOperator(',')) {
    ScriptError("Syntax Error");
    return;
  }
  NextToken();
  const std::string name(Token);
  if (CheckMode || StopRequested) return;
  auto entry = Host.ShowInput(prompt, GetVariable(name).ToText());
  LastPromptOK = entry.has_value();
  if (!entry) {
    ApplyEndOnCancel();
    return;
  }
  SetVariable(name, ScriptValue(Trimmed(*entry)));
}

const ModuleEntry* TBasicInterpreter::ModuleOfLine(std::size_t lineIndex) const {
  const auto& modules = shared_->Modules;
  for (auto it = modules.rbegin(); it != modules.rend(); ++it)
    if (it->FirstIndex <= lineIndex) return &*it;
  return nullptr;
}

ScriptPosition TBasicInterpreter::PositionOfLine(std::size_t lineIndex) const {
  // A line belongs to the last module that starts at or before it.
  const ModuleEntry* module = ModuleOfLine(lineIndex);
  if (!module) return {"Main", lineIndex + 1};
  return {module->FileName, lineIndex - module->FirstIndex + 1};
}

void TBasicInterpreter::ScriptError(std::string_view message) {
  // With noerror(1) in force nothing happens; once a run is ending, its first error stands.
  if (NoError || StopRequested) return;
  // LineIndex is the 1-based number of the line being run.
  const ScriptPosition where = LineIndex > 0 ? PositionOfLine(LineIndex - 1) : ScriptPosition{"Main", 0};
  const std::string& module = where.Module;
  const std::size_t line = where.Line;
  const std::string position = "[" + module + "] Error: " + std::string(message) +
                               " on line: " + std::to_string(line);
  if (ErrorLogFile.empty() || CheckMode) {
    Host.ShowScriptError(position, OutputMode == 1);
  } else {
    const Locale& locale = currentLocale();
    std::string entry =
        formatDateTime(locale.shortDateFormat + " " + locale.longTimeFormat, nowAsDateTime(), locale);
    entry += ' ';
    entry += position;
    entry += "\r\n";
    std::FILE* log = std::fopen(ErrorLogFile.c_str(), "ab");
    bool written = log && std::fwrite(entry.data(), 1, entry.size(), log) == entry.size();
    if (log && std::fclose(log) != 0) written = false;
    if (!written) Host.ShowErrorBox("Error Writing to a log file");
  }
  SetEndOfScript();
  StopRequested = true;
  shared_->EndedByError = true;
  if (OnError) OnError(*this, module, static_cast<int>(line));
}

}  // namespace tw
