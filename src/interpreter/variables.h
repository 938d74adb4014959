#pragma once
// Variable records and the name-keyed tables that hold them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
// table grows past a handful of entries. Variables are only ever added or all cleared at once,
// so a position found once stays the same variable until the table's epoch changes: readers
// may keep positions and check them with Epoch() instead of looking the name up again.
class VariableTable {
 public:
  static constexpr std::uint32_t kNotFound = UINT32_MAX;

  VariableTable();
  VariableTable(const VariableTable&) = delete;
  VariableTable& operator=(const VariableTable&) = delete;

  TVariable* Find(std::string_view normalizedName);
  const TVariable* Find(std::string_view normalizedName) const;
  TVariable& Add(std::string_view normalizedName, const ScriptValue& value, bool readOnly);
  // The same with the name's HashName known.
  TVariable& Add(std::string_view normalizedName, std::size_t hash, const ScriptValue& value, bool readOnly);
  void Clear();
  std::size_t Size() const { return entries_.size(); }
  // Empties both tables and leaves this one with the other's storage, so that the locals of a
  // call start without allocating.
  void TakeStorage(VariableTable& other);

  // Position of a name, or kNotFound.
  std::uint32_t IndexOf(std::string_view normalizedName) const;
  std::uint32_t IndexOf(std::string_view normalizedName, std::size_t hash) const;
  TVariable& At(std::uint32_t index) { return entries_[index].variable; }
  std::string_view NameAt(std::uint32_t index) const { return entries_[index].name; }
  // Changes when the table is cleared; never the same for two tables or two clearings.
  std::uint64_t Epoch() const { return epoch_; }
  // Changes whenever a name is added or the table is cleared.
  std::uint64_t Version() const { return version_; }

  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (const Entry& e : entries_) visit(std::string_view(e.name), e.variable);
  }

 private:
  struct Entry {
    std::string name;
    std::size_t hash;
    TVariable variable;
  };
  static constexpr std::size_t kLinearLimit = 8;
  void Reindex(std::size_t slots);

  std::vector<Entry> entries_;
  std::vector<std::uint32_t> index_;  // open addressing: entry position + 1, 0 for a free slot
  std::uint64_t epoch_;
  std::uint64_t version_ = 0;
};

}  // namespace tw
