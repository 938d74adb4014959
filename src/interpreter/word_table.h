#pragma once
// The class of every word the language and the host know, in one flat table probed from the word's hash:
// the tokenizer asks for each word it reads, and a probe of adjacent slots with the power-of-two size as a
// mask costs a fraction of a node-based map's division and pointer chase.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "interpreter/name_hash.h"
#include "interpreter/tokens.h"

namespace tw {

// How the tokenizer classifies a known word.
struct WordClass {
  TokenKind Kind = TokenKind::tkVariable;
  int Id = -1;
};

class WordTable {
 public:
  // Fills the table from lower-case words in order; a word given again takes its later class.
  void Build(const std::vector<std::pair<std::string_view, WordClass>>& words);

  // The class of a lower-case word, or nullptr for a word the table does not hold.
  const WordClass* Find(std::string_view word) const {
    if (slots_.empty() || word.empty()) return nullptr;
    const std::size_t hash = HashName(word);
    for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
      const Slot& slot = slots_[at];
      if (slot.Length == 0) return nullptr;
      if (slot.Hash == static_cast<std::uint32_t>(hash) && slot.Length == word.size() &&
          std::memcmp(keys_.data() + slot.Key, word.data(), word.size()) == 0)
        return &slot.Class;
    }
  }

 private:
  struct Slot {
    std::uint32_t Hash = 0;
    std::uint32_t Length = 0;  // 0 for an empty slot: no word is empty
    std::uint32_t Key = 0;     // where the word's bytes begin in keys_
    WordClass Class;
  };
  std::vector<Slot> slots_;  // a power of two, at most half full
  std::size_t mask_ = 0;
  std::string keys_;
};

}  // namespace tw
