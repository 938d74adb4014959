// Reading and writing variables through the host hook, the global table and the locals.

#include "interpreter/interpreter.h"
#include "interpreter/name_hash.h"

namespace tw {

namespace {

const ScriptValue& ZeroText() {
  static const ScriptValue zero("0");
  return zero;
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
  return LoadVariable(normalized, HashName(normalized));
}

ScriptValue TBasicInterpreter::GetKnownVariable(std::string_view asWritten, std::string_view normalized,
                                                std::size_t hash) {
  if (OnVariable) return GetVariable(asWritten);
  return LoadVariable(normalized, hash);
}

ScriptValue TBasicInterpreter::LoadVariable(std::string_view normalized, std::size_t hash) {
  if (VariableTable* globals = shared_->Globals)
    if (const std::uint32_t at = globals->IndexOf(normalized, hash); at != VariableTable::kNotFound)
      return globals->At(at).Value;
  if (const std::uint32_t at = Locals.IndexOf(normalized, hash); at != VariableTable::kNotFound)
    return Locals.At(at).Value;
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
  StoreVariable(normalized, HashName(normalized), value, global, readOnly);
}

void TBasicInterpreter::SetKnownVariable(std::string_view asWritten, std::string_view normalized, std::size_t hash,
                                         const ScriptValue& value, bool global, bool readOnly) {
  if (OnVariable) {
    SetVariable(asWritten, value, global, readOnly);
    return;
  }
  StoreVariable(normalized, hash, value, global, readOnly);
}

// A writable global of the name takes the value. A read-only one refuses it, and the name becomes
// a local. A new name becomes a global when asked for, when it has the global prefix, or when it
// is an element of a global array.
void TBasicInterpreter::StoreVariable(std::string_view normalized, std::size_t hash, const ScriptValue& value,
                                      bool global, bool readOnly, SlotCache* slot) {
  auto placed = [slot](VariableTable& table, std::uint32_t at, const VariableTable* globals) {
    if (!slot) return;
    const bool readValid = slot->ReadValid;
    *slot = {};
    slot->ReadValid = readValid;
    slot->Table = &table;
    slot->Epoch = table.Epoch();
    slot->Index = at;
    if (globals && &table != globals) {
      slot->Globals = globals;
      slot->GlobalsVersion = globals->Version();
    }
  };
  if (slot) *slot = {};
  VariableTable* globals = shared_->Globals;
  if (globals) {
    if (const std::uint32_t at = globals->IndexOf(normalized, hash); at != VariableTable::kNotFound) {
      TVariable& variable = globals->At(at);
      if (!variable.ReadOnly) {
        variable.Value = value;
        placed(*globals, at, globals);
        return;
      }
      if (slot) slot->ReadValid = false;
    } else {
      const std::size_t bracket = normalized.find('[');
      if (global || normalized.starts_with(GlobalPrefix) ||
          (bracket != std::string::npos && globals->Find(normalized.substr(0, bracket)))) {
        globals->Add(normalized, hash, value, readOnly);
        placed(*globals, static_cast<std::uint32_t>(globals->Size() - 1), globals);
        return;
      }
    }
  }
  if (const std::uint32_t at = Locals.IndexOf(normalized, hash); at != VariableTable::kNotFound) {
    TVariable& variable = Locals.At(at);
    if (!variable.ReadOnly) variable.Value = value;
    placed(Locals, at, globals);
    return;
  }
  Locals.Add(normalized, hash, value, readOnly);
  placed(Locals, static_cast<std::uint32_t>(Locals.Size() - 1), globals);
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

void TBasicInterpreter::FillSlot(SlotCache& slot, std::string_view name, std::size_t hash, bool forWrite) {
  slot = {};
  VariableTable* globals = shared_->Globals;
  if (globals) {
    const std::uint32_t at = globals->IndexOf(name, hash);
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
  const std::uint32_t at = Locals.IndexOf(name, hash);
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
  FillSlot(variable.Slot, variable.Normalized, variable.Hash, false);
  if (!variable.Slot.Table) return ZeroText();
  return variable.Slot.Table->At(variable.Slot.Index).Value;
}

void TBasicInterpreter::WriteVariable(VariableRef& variable, std::string_view asWritten, const ScriptValue& value) {
  if (!OnVariable && !variable.Normalized.starts_with(GlobalPrefix))
    if (TVariable* found = CachedSlot(variable.Slot, variable.Normalized, true); found && !found->ReadOnly) {
      found->Value = value;
      return;
    }
  if (OnVariable) {
    SetVariable(asWritten, value);
    return;
  }
  StoreVariable(variable.Normalized, variable.Hash, value, false, false, &variable.Slot);
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
