// Reading and writing variables through the host hook, the global table and the locals.

#include "interpreter/interpreter.h"

namespace tw {

namespace {

const ScriptValue& ZeroText() {
  static const ScriptValue zero("0");
  return zero;
}

// Updates an existing, writable variable.
bool Update(VariableTable& table, std::string_view name, const ScriptValue& value) {
  TVariable* variable = table.Find(name);
  if (!variable || variable->ReadOnly) return false;
  variable->Value = value;
  return true;
}

bool UpdateOrCreate(VariableTable& table, std::string_view name, const ScriptValue& value,
                    bool readOnly) {
  if (TVariable* variable = table.Find(name)) {
    if (variable->ReadOnly) return false;
    variable->Value = value;
    return true;
  }
  table.Add(name, value, readOnly);
  return true;
}

}  // namespace

ScriptValue TBasicInterpreter::GetVariable(std::string_view name) {
  if (OnVariable) {
    ScriptValue value = ZeroText();
    bool handled = false;
    OnVariable(*this, name, false, value, handled);
    if (handled) return value;
  }
  std::string normalized;
  NormalizeNameInto(name, normalized);
  if (VariableTable* globals = shared_->Globals)
    if (const TVariable* variable = globals->Find(normalized)) return variable->Value;
  if (const TVariable* variable = Locals.Find(normalized)) return variable->Value;
  return ZeroText();
}

void TBasicInterpreter::SetVariable(std::string_view name, const ScriptValue& value, bool global,
                                    bool readOnly) {
  if (OnVariable) {
    ScriptValue offered = value;
    bool handled = false;
    OnVariable(*this, name, true, offered, handled);
    if (handled) return;
  }
  std::string normalized;
  NormalizeNameInto(name, normalized);
  if (VariableTable* globals = shared_->Globals) {
    if ((global || normalized.starts_with(GlobalPrefix)) &&
        UpdateOrCreate(*globals, normalized, value, readOnly))
      return;
    if (Update(*globals, normalized, value)) return;
    std::size_t bracket = normalized.find('[');
    if (bracket != std::string::npos && globals->Find(std::string_view(normalized).substr(0, bracket)) &&
        UpdateOrCreate(*globals, normalized, value, readOnly))
      return;
  }
  UpdateOrCreate(Locals, normalized, value, readOnly);
}

std::string TBasicInterpreter::ExpandVariables(std::string_view text) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t open = text.find('|', at);
    if (open == std::string_view::npos) {
      out += text.substr(at);
      break;
    }
    out += text.substr(at, open - at);
    std::size_t close = text.find('|', open + 1);
    if (close == std::string_view::npos) {
      out += text.substr(open + 1);  // a lone bar is dropped
      break;
    }
    std::string name = NormalizeName(text.substr(open + 1, close - open - 1));
    if (!name.empty()) {
      try {
        GetVariable(name).AppendTextTo(out);
      } catch (const std::exception&) {
        // a read that fails produces nothing
      }
    }
    at = close + 1;
  }
  return out;
}

}  // namespace tw
