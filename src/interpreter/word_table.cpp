#include "interpreter/word_table.h"

#include <unordered_map>

namespace tw {

void WordTable::Build(const std::vector<std::pair<std::string_view, WordClass>>& words) {
  // The last class given for each word, in the order the words first came.
  std::unordered_map<std::string_view, std::size_t> index;
  std::vector<std::pair<std::string_view, WordClass>> unique;
  for (const auto& [word, wordClass] : words) {
    if (word.empty()) continue;
    auto [entry, added] = index.emplace(word, unique.size());
    if (added)
      unique.emplace_back(word, wordClass);
    else
      unique[entry->second].second = wordClass;
  }
  std::size_t size = 16;
  while (size < unique.size() * 2) size *= 2;
  slots_.assign(size, Slot{});
  mask_ = size - 1;
  keys_.clear();
  for (const auto& [word, wordClass] : unique) {
    const std::size_t hash = HashName(word);
    std::size_t at = hash & mask_;
    while (slots_[at].Length != 0) at = (at + 1) & mask_;
    slots_[at] = {static_cast<std::uint32_t>(hash), static_cast<std::uint32_t>(word.size()),
                  static_cast<std::uint32_t>(keys_.size()), wordClass};
    keys_ += word;
  }
}

}  // namespace tw
