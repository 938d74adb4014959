#pragma once
// Constants of the -lh5- bit stream, shared by the encoder and the decoder.

#include <cstddef>

namespace tw::lh5::detail {

inline constexpr std::size_t kDictionarySize = 8192;  // farthest distance a match may reach back
inline constexpr std::size_t kMinMatch = 3;
inline constexpr std::size_t kMaxMatch = 256;

// Literal/length alphabet: 0..255 are bytes, 256 + n is a match of length n + kMinMatch.
inline constexpr unsigned kNumLitLen = 256 + kMaxMatch - kMinMatch + 1;  // 510
inline constexpr unsigned kLitLenCountBits = 9;

// Code-length alphabet that describes the literal/length code lengths: 0 = one zero length,
// 1 = 3..18 zero lengths (4 more bits), 2 = 20..531 zero lengths (9 more bits), k + 2 = length k.
inline constexpr unsigned kNumCodeLen = 19;
inline constexpr unsigned kCodeLenCountBits = 5;
inline constexpr unsigned kCodeLenSpecialIndex = 3;  // after this many lengths, 2 bits count zero lengths

// Position alphabet: symbol 0 is distance 1, symbol k >= 1 covers distances 2^(k-1)+1 .. 2^k and is
// followed by k - 1 extra bits.
inline constexpr unsigned kNumPosition = 14;
inline constexpr unsigned kPositionCountBits = 4;

inline constexpr unsigned kMaxCodeLength = 16;
inline constexpr unsigned kBlockCountBits = 16;

// A block holds at most this many bytes in the encoder's buffer layout: one flag byte per eight codes,
// one byte per literal and three per match.
inline constexpr std::size_t kBlockBufferLimit = 16360;

// The fewest bits a valid block can take before its codes: the 16-bit code count, a code-length table
// in single-code form (10 bits), a literal/length table of just its 9-bit count whose lengths all take
// no bits (when the code-length table has a single code), and a single-code position table (8 bits).
// Its codes may take no bits at all, or be read from the zero bits past the end of the data.
inline constexpr std::size_t kMinBlockHeaderBits =
    kBlockCountBits + 2 * kCodeLenCountBits + kLitLenCountBits + 2 * kPositionCountBits;
inline constexpr std::size_t kMaxCodesPerBlock = 0xFFFF;

}  // namespace tw::lh5::detail
