#pragma once
// Variable records and the name-keyed tables that hold them.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

#include "interpreter/value.h"

namespace tw {

struct TVariable {
  ScriptValue Value;
  ValueKind Kind = ValueKind::Text;  // the kind the variable was created with
  bool ReadOnly = false;
};

// Script names are case-insensitive: tables store names trimmed, lower-cased and without spaces.
void NormalizeNameInto(std::string_view name, std::string& out);
std::string NormalizeName(std::string_view name);

// Names in insertion order (savevars writes them in that order) with hashed lookup once the
// table grows past a handful of entries.
class VariableTable {
 public:
  VariableTable() = default;
  VariableTable(const VariableTable&) = delete;
  VariableTable& operator=(const VariableTable&) = delete;

  TVariable* Find(std::string_view normalizedName);
  const TVariable* Find(std::string_view normalizedName) const;
  TVariable& Add(std::string_view normalizedName, const ScriptValue& value, bool readOnly);
  void Clear();
  std::size_t Size() const { return entries_.size(); }

  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (const Entry& e : entries_) visit(std::string_view(e.name), e.variable);
  }

 private:
  struct Entry {
    std::string name;
    TVariable variable;
  };
  static constexpr std::size_t kLinearLimit = 8;
  const Entry* Locate(std::string_view name) const;

  std::deque<Entry> entries_;  // a deque keeps the names the index points into in place
  std::unordered_map<std::string_view, std::size_t> index_;
};

}  // namespace tw
