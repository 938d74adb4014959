#include "interpreter/variables.h"

#include <utility>

namespace tw {

void NormalizeNameInto(std::string_view name, std::string& out) {
  out.clear();
  while (!name.empty() && static_cast<unsigned char>(name.front()) <= ' ') name.remove_prefix(1);
  while (!name.empty() && static_cast<unsigned char>(name.back()) <= ' ') name.remove_suffix(1);
  for (char c : name) {
    if (c == ' ') continue;
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
  }
}

std::string NormalizeName(std::string_view name) {
  std::string out;
  NormalizeNameInto(name, out);
  return out;
}

const VariableTable::Entry* VariableTable::Locate(std::string_view name) const {
  if (entries_.size() <= kLinearLimit) {
    for (const Entry& e : entries_)
      if (e.name == name) return &e;
    return nullptr;
  }
  auto it = index_.find(name);
  return it == index_.end() ? nullptr : &entries_[it->second];
}

TVariable* VariableTable::Find(std::string_view normalizedName) {
  return const_cast<TVariable*>(std::as_const(*this).Find(normalizedName));
}

const TVariable* VariableTable::Find(std::string_view normalizedName) const {
  const Entry* e = Locate(normalizedName);
  return e ? &e->variable : nullptr;
}

TVariable& VariableTable::Add(std::string_view normalizedName, const ScriptValue& value,
                              bool readOnly) {
  Entry& e = entries_.emplace_back(Entry{std::string(normalizedName), {value, value.Kind(), readOnly}});
  if (entries_.size() > kLinearLimit) {
    if (index_.empty())
      for (std::size_t i = 0; i < entries_.size(); ++i) index_.emplace(entries_[i].name, i);
    else
      index_.emplace(e.name, entries_.size() - 1);
  }
  return e.variable;
}

void VariableTable::Clear() {
  index_.clear();
  entries_.clear();
}

}  // namespace tw
