// The settings store: regopen, regclose, regdelkey, regdelval, the regget family and the regput family.
// A key handle holds a root and a path; every call goes to the store afresh, so other programs see a
// value as soon as it is written and a key deleted elsewhere is gone here too.

#include <bit>
#include <cstring>

#include "commands/tarnwick_basic.h"
#include "interpreter/builtins.h"

namespace tw {

namespace {

using port::RegistryType;
using port::RegistryValue;

// The root and the key names of its path joined by "\" (no leading or trailing one).
class TRegistryKey final : public THandleObject {
 public:
  TRegistryKey(port::RegistryRoot root, std::string path) : Root(root), Path(std::move(path)) {}
  port::RegistryRoot Root;
  std::string Path;

  // "HKEY_CURRENT_USER\Software\Tool", for messages.
  std::string FullName() const {
    return std::string(port::RegistryRootName(Root)) + (Path.empty() ? "" : "\\") + Path;
  }
};

// The names joined by "\".
std::string JoinedPath(const std::vector<std::string_view>& names) {
  std::string path;
  for (std::string_view name : names) (path.empty() ? path : path.append("\\")).append(name);
  return path;
}

enum class Form { Text, Integer, Boolean, Real };

// The open key a handle argument names; null (and nothing reported) for an unknown handle.
TRegistryKey* FindKey(TTarnwickBasic& library, const std::string& handleText) {
  int number = 0;
  if (!HandleArgument(library, handleText, number)) return nullptr;
  return library.Handles->Find<TRegistryKey>(number);
}

std::string ValueLabel(const std::string& name) { return name.empty() ? "(Default)" : name; }

// "a string", "binary data of 4 bytes", ... for messages about a stored value.
std::string StoredKind(const RegistryValue& value) {
  if (value.is(RegistryType::Binary)) return "binary data of " + std::to_string(value.data.size()) + " bytes";
  if (value.is(RegistryType::ExpandString)) return "an expandable string";
  if (value.is(RegistryType::String) || value.is(RegistryType::DWord))
    return "a " + port::RegistryTypeName(value.type);
  return "a value of " + port::RegistryTypeName(value.type);
}

const char* WantedKind(Form form) {
  switch (form) {
    case Form::Text: return "a string";
    case Form::Integer:
    case Form::Boolean: return "a double word";
    case Form::Real: return "a real (8 bytes of binary data)";
  }
  return "";
}

bool Readable(const RegistryValue& value, Form form) {
  switch (form) {
    case Form::Text: return value.is(RegistryType::String) || value.is(RegistryType::ExpandString);
    case Form::Integer:
    case Form::Boolean: return value.is(RegistryType::DWord) && value.data.size() == 4;
    case Form::Real: return value.is(RegistryType::Binary) && value.data.size() == 8;
  }
  return false;
}

ScriptValue DefaultOf(Form form) { return form == Form::Text ? ScriptValue("") : ScriptValue::Integer(0); }

void RegOpen(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string rootName = library.ReadArgument();
  const std::string path = library.ReadArgument();
  const ScriptValue createText = library.ReadOptionalArgument(ScriptValue::Integer(0));
  const auto root = port::RegistryRootNamed(rootName);
  if (!root) {
    library.ScriptError("Invalid Value");
    return;
  }
  if (library.CheckMode) return;
  std::int32_t create = 0;
  if (!IntegerArgument(library, createText, create)) return;
  try {
    if (!library.Desktop.registry().openKey(*root, path, create == 1)) return;
  } catch (const std::exception&) {
    return;  // a store that cannot be opened opens no key
  }
  result = ScriptValue::Integer(
      library.Handles->Add(std::make_unique<TRegistryKey>(*root, JoinedPath(*port::SplitRegistryPath(path)))));
}

void RegClose(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string handleText = library.ReadArgument();
  if (library.CheckMode) return;
  int number = 0;
  if (HandleArgument(library, handleText, number)) library.Handles->Remove<TRegistryKey>(number);
}

void RegDelKey(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string handleText = library.ReadArgument();
  const std::string subkey = library.ReadArgument();
  if (library.CheckMode) return;
  const TRegistryKey* key = FindKey(library, handleText);
  const auto names = port::SplitRegistryPath(subkey);
  // An empty name would be the open key itself (or a root), which is not a subkey of it.
  if (!key || !names || names->empty()) return;
  const bool deleted = library.Desktop.registry().deleteKey(key->Root, key->Path + "\\" + JoinedPath(*names));
  result = ScriptValue::Integer(deleted ? 1 : 0);
}

void RegDelVal(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string handleText = library.ReadArgument();
  const std::string name = library.ReadArgument();
  if (library.CheckMode) return;
  const TRegistryKey* key = FindKey(library, handleText);
  if (!key) return;
  result = ScriptValue::Integer(library.Desktop.registry().deleteValue(key->Root, key->Path, name) ? 1 : 0);
}

void RegGet(TTarnwickBasic& library, ScriptValue& result, Form form) {
  result = DefaultOf(form);
  const std::string handleText = library.ReadArgument();
  const std::string name = library.ReadArgument();
  if (library.CheckMode) return;
  const TRegistryKey* key = FindKey(library, handleText);
  if (!key) return;
  const auto value = library.Desktop.registry().readValue(key->Root, key->Path, name);
  if (!value) {
    if (form != Form::Text)
      library.ScriptError("Registry value '" + ValueLabel(name) + "' does not exist in " + key->FullName());
    return;
  }
  if (!Readable(*value, form)) {
    library.ScriptError("Registry value '" + ValueLabel(name) + "' holds " + StoredKind(*value) + ", not " +
                        WantedKind(form));
    return;
  }
  switch (form) {
    case Form::Text: result = ScriptValue(value->data); break;
    case Form::Integer: result = ScriptValue::Integer(static_cast<std::int32_t>(value->dword())); break;
    case Form::Boolean: result = ScriptValue::Boolean(value->dword() != 0); break;
    case Form::Real: {
      std::uint64_t bits = 0;
      for (std::size_t i = 0; i < 8; ++i)
        bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(value->data[i])) << (8 * i);
      result = ScriptValue::Real(std::bit_cast<double>(bits));
      break;
    }
  }
}

RegistryValue StoredForm(const ScriptValue& text, Form form) {
  switch (form) {
    case Form::Text: return RegistryValue::String(text.ToText());
    case Form::Integer: return RegistryValue::DWord(static_cast<std::uint32_t>(text.ToInteger()));
    case Form::Boolean: return RegistryValue::DWord(text.ToBoolean() ? 1 : 0);
    case Form::Real: {
      // An IEEE double, least significant byte first, as the binary value of the Windows design holds it.
      const auto bits = std::bit_cast<std::uint64_t>(text.ToReal());
      std::string bytes(8, '\0');
      for (std::size_t i = 0; i < 8; ++i) bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xff);
      return RegistryValue::Binary(std::move(bytes));
    }
  }
  return {};
}

// 1 only for a write that happened; an unknown handle, a bad value or a failed write answer 0.
void RegPut(TTarnwickBasic& library, ScriptValue& result, Form form) {
  result = ScriptValue::Integer(1);
  const std::string handleText = library.ReadArgument();
  const std::string name = library.ReadArgument();
  const ScriptValue valueText(library.ReadArgument());
  if (library.CheckMode) return;
  result = ScriptValue::Integer(0);
  const TRegistryKey* key = FindKey(library, handleText);
  if (!key) return;
  const RegistryValue value = StoredForm(valueText, form);
  if (!library.Desktop.registry().writeValue(key->Root, key->Path, name, value)) {
    library.ScriptError("Registry key " + key->FullName() + " no longer exists");
    return;
  }
  result = ScriptValue::Integer(1);
}

void RegGetStr(TTarnwickBasic& l, ScriptValue& r) { RegGet(l, r, Form::Text); }
void RegGetInt(TTarnwickBasic& l, ScriptValue& r) { RegGet(l, r, Form::Integer); }
void RegGetBool(TTarnwickBasic& l, ScriptValue& r) { RegGet(l, r, Form::Boolean); }
void RegGetFlt(TTarnwickBasic& l, ScriptValue& r) { RegGet(l, r, Form::Real); }
void RegPutStr(TTarnwickBasic& l, ScriptValue& r) { RegPut(l, r, Form::Text); }
void RegPutInt(TTarnwickBasic& l, ScriptValue& r) { RegPut(l, r, Form::Integer); }
void RegPutBool(TTarnwickBasic& l, ScriptValue& r) { RegPut(l, r, Form::Boolean); }
void RegPutFlt(TTarnwickBasic& l, ScriptValue& r) { RegPut(l, r, Form::Real); }

}  // namespace

void AddRegistryFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("regopen", RegOpen);
  handlers.AddFunction("regclose", RegClose);
  handlers.AddFunction("regdelkey", RegDelKey);
  handlers.AddFunction("regdelval", RegDelVal);
  handlers.AddFunction("reggetstr", RegGetStr);
  handlers.AddFunction("reggetint", RegGetInt);
  handlers.AddFunction("reggetbool", RegGetBool);
  handlers.AddFunction("reggetflt", RegGetFlt);
  handlers.AddFunction("regputstr", RegPutStr);
  handlers.AddFunction("regputint", RegPutInt);
  handlers.AddFunction("regputbool", RegPutBool);
  handlers.AddFunction("regputflt", RegPutFlt);
}

}  // namespace tw
