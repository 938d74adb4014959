// Reading and writing variables through the host hook, the global table and the locals.

#include "interpreter/interpreter.h"

namespace tw {

namespace {

const ScriptValue& ZeroText() {
  static const ScriptValue zero("0");
  return zero;
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
  // A writable global of the name takes the value. A read-only one refuses it, and the name becomes
  // a local. A new name becomes a global when asked for, when it has the global prefix, or when it
  // is an element of a global array.
  if (VariableTable* globals = shared_->Globals) {
    if (TVariable* variable = globals->Find(normalized)) {
      if (!variable->ReadOnly) {
        variable->Value = value;
        return;
      }
    } else {
      const std::size_t bracket = normalized.find('[');
      if (global || normalized.starts_with(GlobalPrefix) ||
          (bracket != std::string::npos && globals->Find(std::string_view(normalized).substr(0, bracket)))) {
        globals->Add(normalized, value, readOnly);
        return;
      }
    }
  }
  UpdateOrCreate(Locals, normalized, value, readOnly);
}

// A variable named by a token keeps where its name was found; the common access then costs a
// check of the table's epoch instead of a lookup. Hosts that watch variables see every access
// by its name as written, as before.
TVariable* TBasicInterpreter::CachedSlot(SlotCache& slot, std::string_view name, bool forWrite) {
  VariableTable* globals = shared_->Globals;
  if (!forWrite && !slot.ReadValid) return nullptr;
  if (globals && slot.Table == globals) {
    if (slot.Epoch == globals->Epoch()) return &globals->At(slot.Index);
    return nullptr;
  }
  if (slot.Table != &Locals || slot.Globals != globals || (globals && slot.GlobalsVersion != globals->Version()))
    return nullptr;
  if (slot.Epoch != Locals.Epoch()) {
    // The locals of a call are made anew for each call, mostly in the same order.
    if (slot.Index >= Locals.Size() || Locals.NameAt(slot.Index) != name) return nullptr;
    slot.Epoch = Locals.Epoch();
  }
  return &Locals.At(slot.Index);
}

void TBasicInterpreter::FillSlot(SlotCache& slot, std::string_view name, bool forWrite) {
  slot = {};
  VariableTable* globals = shared_->Globals;
  if (globals) {
    const std::uint32_t at = globals->IndexOf(name);
    if (at != VariableTable::kNotFound) {
      if (!forWrite || !globals->At(at).ReadOnly) {
        slot.Table = globals;
        slot.Epoch = globals->Epoch();
        slot.Index = at;
        return;
      }
      slot.ReadValid = false;
    }
  }
  const std::uint32_t at = Locals.IndexOf(name);
  if (at == VariableTable::kNotFound) return;
  slot.Table = &Locals;
  slot.Epoch = Locals.Epoch();
  slot.Index = at;
  slot.Globals = globals;
  slot.GlobalsVersion = globals ? globals->Version() : 0;
}

ScriptValue TBasicInterpreter::ReadVariable(VariableRef& variable, std::string_view asWritten) {
  if (OnVariable) return GetVariable(asWritten);
  if (const TVariable* found = CachedSlot(variable.Slot, variable.Normalized, false)) return found->Value;
  FillSlot(variable.Slot, variable.Normalized, false);
  if (!variable.Slot.Table) return ZeroText();
  return variable.Slot.Table->At(variable.Slot.Index).Value;
}

void TBasicInterpreter::WriteVariable(VariableRef& variable, std::string_view asWritten, const ScriptValue& value) {
  if (!OnVariable && !variable.Normalized.starts_with(GlobalPrefix))
    if (TVariable* found = CachedSlot(variable.Slot, variable.Normalized, true); found && !found->ReadOnly) {
      found->Value = value;
      return;
    }
  SetVariable(asWritten, value);
  if (!OnVariable) FillSlot(variable.Slot, variable.Normalized, true);
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
