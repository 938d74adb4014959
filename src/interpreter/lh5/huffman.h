#pragma once
// Canonical Huffman codes as the -lh5- stream uses them: codes are assigned in order of length, and
// within one length in order of symbol; bits are sent most significant first.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "interpreter/lh5/format.h"

namespace tw::lh5::detail {

// Number of symbols with a non-zero frequency.
unsigned usedSymbols(std::span<const std::uint32_t> freq);

// Optimal code lengths for the given frequencies with no code longer than maxLength (package-merge).
// Unused symbols get length 0. Needs at least two used symbols and at most 2^maxLength of them.
std::vector<std::uint8_t> limitedCodeLengths(std::span<const std::uint32_t> freq, unsigned maxLength);

// The canonical code of every symbol for the given lengths (lengths of at most kMaxCodeLength).
std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths);

// Decodes one code table. Short codes are found in one table lookup of primaryBits bits; longer ones
// by comparing against the first code of each length.
class HuffmanDecoder {
 public:
  static constexpr unsigned kMaxPrimaryBits = 12;
  static constexpr unsigned kMaxSymbols = kNumLitLen;

  explicit HuffmanDecoder(unsigned primaryBits);

  // Accepts only lengths (each at most kMaxCodeLength) that form a complete prefix code; returns false
  // for anything else: over-subscribed, incomplete, or empty.
  bool build(std::span<const std::uint8_t> lengths);

  // A table with one symbol that takes no bits at all.
  void buildSingle(unsigned symbol);

  // The reader supplies peek16() (the next 16 bits, zeros past the end) and consume(n).
  template <class Reader>
  unsigned decode(Reader& reader) const {
    const std::uint32_t bits = reader.peek16();
    const std::uint16_t entry = table_[bits >> (16 - primaryBits_)];
    if (entry != kLongCode) {
      reader.consume(entry & kLengthMask);
      return entry >> kSymbolShift;
    }
    unsigned length = primaryBits_ + 1;
    while (bits >= limit_[length]) ++length;  // stops at maxLength_: the code is complete
    reader.consume(length);
    return sorted_[offset_[length] + (bits >> (16 - length)) - first_[length]];
  }

 private:
  static constexpr std::uint16_t kLongCode = 0xFFFF;
  static constexpr unsigned kSymbolShift = 5;
  static constexpr std::uint16_t kLengthMask = 0x1F;

  unsigned primaryBits_;
  std::array<std::uint16_t, 1u << kMaxPrimaryBits> table_{};
  // For each length: the limit of left-aligned 16-bit codes up to that length, the first code and
  // where its symbols begin in sorted_.
  std::array<std::uint32_t, kMaxCodeLength + 2> limit_{};
  std::array<std::uint16_t, kMaxCodeLength + 1> first_{};
  std::array<std::uint16_t, kMaxCodeLength + 1> offset_{};
  std::array<std::uint16_t, kMaxSymbols> sorted_{};
};

}  // namespace tw::lh5::detail
