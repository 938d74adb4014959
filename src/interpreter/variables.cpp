#include "interpreter/variables.h"

#include <utility>

#include "interpreter/name_hash.h"
#include "text/ascii_text.h"

namespace tw {

namespace {
std::uint64_t nextEpoch = 0;
}  // namespace

void NormalizeNameInto(std::string_view name, std::string& out) {
  name = Trimmed(name);
  out.resize(name.size());
  std::size_t length = 0;
  for (char c : name)
    if (c != ' ') out[length++] = LowerAsciiChar(c);
  out.resize(length);
}

std::string NormalizeName(std::string_view name) {
  std::string out;
  NormalizeNameInto(name, out);
  return out;
}

VariableTable::VariableTable() : epoch_(++nextEpoch) {}

std::uint32_t VariableTable::IndexOf(std::string_view name) const { return IndexOf(name, HashName(name)); }

std::uint32_t VariableTable::IndexOf(std::string_view name, std::size_t hash) const {
  if (index_.empty()) {
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].hash == hash && entries_[i].name == name) return static_cast<std::uint32_t>(i);
    return kNotFound;
  }
  const std::size_t mask = index_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t held = index_[slot];
    if (held == 0) return kNotFound;
    const Entry& e = entries_[held - 1];
    if (e.hash == hash && e.name == name) return held - 1;
  }
}

TVariable* VariableTable::Find(std::string_view normalizedName) {
  return const_cast<TVariable*>(std::as_const(*this).Find(normalizedName));
}

const TVariable* VariableTable::Find(std::string_view normalizedName) const {
  const std::uint32_t at = IndexOf(normalizedName);
  return at == kNotFound ? nullptr : &entries_[at].variable;
}

void VariableTable::Reindex(std::size_t slots) {
  index_.assign(slots, 0);
  const std::size_t mask = slots - 1;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    std::size_t slot = entries_[i].hash & mask;
    while (index_[slot] != 0) slot = (slot + 1) & mask;
    index_[slot] = static_cast<std::uint32_t>(i + 1);
  }
}

TVariable& VariableTable::Add(std::string_view normalizedName, const ScriptValue& value, bool readOnly) {
  return Add(normalizedName, HashName(normalizedName), value, readOnly);
}

TVariable& VariableTable::Add(std::string_view normalizedName, std::size_t hash, const ScriptValue& value,
                              bool readOnly) {
  if (entries_.capacity() == 0) entries_.reserve(kLinearLimit);
  // Made in place: a temporary entry would copy its name and value twice.
  Entry& entry = entries_.emplace_back();
  try {
    entry.name.assign(normalizedName);
  } catch (...) {
    entries_.pop_back();
    throw;
  }
  entry.hash = hash;
  entry.variable.Value = value;
  entry.variable.Kind = value.Kind();
  entry.variable.ReadOnly = readOnly;
  ++version_;
  if (entries_.size() > kLinearLimit) {
    // Kept at most half full, so that probes stay short.
    if (entries_.size() * 2 > index_.size())
      Reindex(index_.empty() ? 32 : index_.size() * 2);
    else {
      const std::size_t mask = index_.size() - 1;
      std::size_t slot = entries_.back().hash & mask;
      while (index_[slot] != 0) slot = (slot + 1) & mask;
      index_[slot] = static_cast<std::uint32_t>(entries_.size());
    }
  }
  return entries_.back().variable;
}

void VariableTable::TakeStorage(VariableTable& other) {
  Clear();
  other.Clear();
  entries_.swap(other.entries_);
  index_.swap(other.index_);
}

void VariableTable::Clear() {
  index_.clear();
  entries_.clear();
  epoch_ = ++nextEpoch;
  ++version_;
}

}  // namespace tw
