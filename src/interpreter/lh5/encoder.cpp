#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "interpreter/lh5/format.h"
#include "interpreter/lh5/huffman.h"
#include "interpreter/lh5/lh5.h"

namespace tw::lh5 {

namespace {

using namespace detail;

// Writes bits most significant first.
class BitWriter {
 public:
  void put(unsigned bits, std::uint32_t value) {
    assert(bits <= 24);
    if (bits == 0) return;
    buffer_ = (buffer_ << bits) | (value & ((std::uint32_t{1} << bits) - 1));
    count_ += bits;
    while (count_ >= 8) {
      count_ -= 8;
      out_.push_back(static_cast<char>(buffer_ >> count_));
    }
  }

  // Completes the last byte with zero bits.
  std::string finish() {
    if (count_ > 0) put(8 - count_, 0);
    return std::move(out_);
  }

 private:
  std::string out_;
  std::uint64_t buffer_ = 0;
  unsigned count_ = 0;
};

unsigned bitLength(std::uint32_t value) { return static_cast<unsigned>(std::bit_width(value)); }

// A literal (symbol < 256) or a match (symbol 256 + length - kMinMatch, with its distance).
struct Token {
  std::uint16_t symbol;
  std::uint16_t distance;
};

struct Code {
  std::vector<std::uint8_t> lengths;
  std::vector<std::uint16_t> codes;
  int single = -1;  // the only symbol, when just one is used (or none: then symbol 0)
};

Code makeCode(std::span<const std::uint32_t> freq) {
  Code code;
  code.lengths.assign(freq.size(), 0);
  code.codes.assign(freq.size(), 0);
  if (usedSymbols(freq) < 2) {
    const auto it = std::find_if(freq.begin(), freq.end(), [](std::uint32_t f) { return f != 0; });
    code.single = it == freq.end() ? 0 : static_cast<int>(it - freq.begin());
    return code;
  }
  code.lengths = limitedCodeLengths(freq, kMaxCodeLength);
  code.codes = canonicalCodes(code.lengths);
  return code;
}

// Calls emit(symbol, extra bits, extra value) for each code-length symbol that describes the
// literal/length lengths, in stream order.
template <class Emit>
void forEachCodeLenSymbol(std::span<const std::uint8_t> lengths, Emit emit) {
  std::size_t n = lengths.size();
  while (n > 0 && lengths[n - 1] == 0) --n;
  std::size_t i = 0;
  while (i < n) {
    if (lengths[i] != 0) {
      emit(lengths[i] + 2u, 0u, 0u);
      ++i;
      continue;
    }
    std::size_t zeros = 0;
    while (i < n && lengths[i] == 0) {
      ++zeros;
      ++i;
    }
    if (zeros <= 2) {
      for (std::size_t k = 0; k < zeros; ++k) emit(0u, 0u, 0u);
    } else if (zeros <= 18) {
      emit(1u, 4u, static_cast<unsigned>(zeros - 3));
    } else if (zeros == 19) {
      emit(0u, 0u, 0u);
      emit(1u, 4u, 15u);
    } else {
      emit(2u, kLitLenCountBits, static_cast<unsigned>(zeros - 20));
    }
  }
}

// How often each symbol occurs in a run of codes.
struct Histogram {
  std::array<std::uint32_t, kNumLitLen> litLen{};
  std::array<std::uint32_t, kNumPosition> position{};

  void add(const Token& t) {
    ++litLen[t.symbol];
    if (t.symbol >= 256) ++position[bitLength(t.distance - 1u)];
  }
  Histogram& operator+=(const Histogram& other) {
    for (unsigned s = 0; s < kNumLitLen; ++s) litLen[s] += other.litLen[s];
    for (unsigned s = 0; s < kNumPosition; ++s) position[s] += other.position[s];
    return *this;
  }
  Histogram& operator-=(const Histogram& other) {
    for (unsigned s = 0; s < kNumLitLen; ++s) litLen[s] -= other.litLen[s];
    for (unsigned s = 0; s < kNumPosition; ++s) position[s] -= other.position[s];
    return *this;
  }
};

Histogram histogram(std::span<const Token> tokens) {
  Histogram h;
  for (const Token& t : tokens) h.add(t);
  return h;
}

// The code tables of one block, fitted to its codes.
struct BlockCodes {
  Histogram freq;
  Code litLen;
  Code codeLen;  // unused when litLen has a single code
  Code position;
};

BlockCodes planBlock(const Histogram& freq) {
  BlockCodes block;
  block.freq = freq;
  block.litLen = makeCode(freq.litLen);
  block.position = makeCode(freq.position);
  if (block.litLen.single < 0) {
    std::array<std::uint32_t, kNumCodeLen> codeLenFreq{};
    forEachCodeLenSymbol(block.litLen.lengths, [&](unsigned symbol, unsigned, unsigned) { ++codeLenFreq[symbol]; });
    block.codeLen = makeCode(codeLenFreq);
  }
  return block;
}

// A code-length or position table: its count, then 3-bit lengths with 7 and up continued in unary.
template <class Sink>
void writeShortTable(Sink& out, const Code& code, unsigned countBits, unsigned special) {
  if (code.single >= 0) {
    out.put(countBits, 0);
    out.put(countBits, static_cast<std::uint32_t>(code.single));
    return;
  }
  const std::vector<std::uint8_t>& lengths = code.lengths;
  std::size_t n = lengths.size();
  while (n > 0 && lengths[n - 1] == 0) --n;
  out.put(countBits, static_cast<std::uint32_t>(n));
  std::size_t i = 0;
  while (i < n) {
    const unsigned length = lengths[i++];
    if (length <= 6) {
      out.put(3, length);
    } else {
      out.put(length - 3, (std::uint32_t{1} << (length - 3)) - 2);  // 7 + k is "111", k ones and a zero
    }
    if (i == special) {
      std::size_t zeros = 0;
      while (i < n && zeros < 3 && lengths[i] == 0) {
        ++zeros;
        ++i;
      }
      out.put(2, static_cast<std::uint32_t>(zeros));
    }
  }
}

// Everything of a block before its codes.
template <class Sink>
void writeBlockHeader(Sink& out, const BlockCodes& block, std::size_t codes) {
  out.put(kBlockCountBits, static_cast<std::uint32_t>(codes));
  if (block.litLen.single >= 0) {
    // No code-length table is needed: it and the literal/length table take their single-code form.
    out.put(kCodeLenCountBits, 0);
    out.put(kCodeLenCountBits, 0);
    out.put(kLitLenCountBits, 0);
    out.put(kLitLenCountBits, static_cast<std::uint32_t>(block.litLen.single));
  } else {
    writeShortTable(out, block.codeLen, kCodeLenCountBits, kCodeLenSpecialIndex);
    std::size_t n = kNumLitLen;
    while (n > 0 && block.litLen.lengths[n - 1] == 0) --n;
    out.put(kLitLenCountBits, static_cast<std::uint32_t>(n));
    forEachCodeLenSymbol(block.litLen.lengths, [&](unsigned symbol, unsigned extraBits, unsigned extra) {
      out.put(block.codeLen.lengths[symbol], block.codeLen.codes[symbol]);
      out.put(extraBits, extra);
    });
  }
  writeShortTable(out, block.position, kPositionCountBits, 0);
}

struct BitCounter {
  std::size_t bits = 0;
  void put(unsigned count, std::uint32_t) { bits += count; }
};

// Exact size in bits of a block of the given codes.
std::size_t blockBits(const Histogram& freq) {
  const BlockCodes block = planBlock(freq);
  std::size_t codes = 0;
  for (std::uint32_t f : freq.litLen) codes += f;
  BitCounter counter;
  writeBlockHeader(counter, block, codes);
  for (unsigned s = 0; s < kNumLitLen; ++s) counter.bits += std::size_t{freq.litLen[s]} * block.litLen.lengths[s];
  for (unsigned s = 0; s < kNumPosition; ++s) {
    counter.bits += std::size_t{freq.position[s]} * (block.position.lengths[s] + (s > 1 ? s - 1 : 0));
  }
  return counter.bits;
}

// Collects codes into blocks and writes each block with code tables fitted to it.
class BlockWriter {
 public:
  explicit BlockWriter(BitWriter& out) : out_(out) {}

  void add(Token token) {
    const bool isMatch = token.symbol >= 256;
    assert(!isMatch || (token.distance >= 1 && token.distance <= kDictionarySize));
    if (bufferedAfter(isMatch) > kBlockBufferLimit) flush();
    tokens_.push_back(token);
    if (isMatch) ++matches_;
  }

  // Writes what is buffered; an empty input still gets its one (empty) block.
  void finish() {
    if (!tokens_.empty() || blocks_ == 0) flush();
  }

 private:
  static constexpr std::size_t kSplitPoints = 16;     // a block is tried cut at each 16th of its codes
  static constexpr std::size_t kSmallestSplit = 64;  // codes; smaller blocks are not cut further

  // Bytes the block would take in the buffer layout after one more code.
  std::size_t bufferedAfter(bool isMatch) const {
    const std::size_t codes = tokens_.size() + 1;
    return codes + (codes + 7) / 8 + 2 * (matches_ + (isMatch ? 1 : 0));
  }

  void flush() {
    writeSplit(tokens_, blockBits(histogram(tokens_)));
    tokens_.clear();
    matches_ = 0;
  }

  // Writes the codes as one block, or as several where that is smaller: where the statistics change,
  // separate tables can save more than another block header costs.
  void writeSplit(std::span<const Token> tokens, std::size_t wholeBits) {
    std::size_t bestAt = 0;
    std::size_t bestLeft = 0;
    std::size_t bestRight = 0;
    std::size_t best = wholeBits;
    if (tokens.size() >= 2 * kSmallestSplit) {
      std::array<std::size_t, kSplitPoints + 1> at{};
      std::array<Histogram, kSplitPoints> part;
      for (std::size_t k = 0; k <= kSplitPoints; ++k) at[k] = tokens.size() * k / kSplitPoints;
      Histogram right;
      for (std::size_t k = 0; k < kSplitPoints; ++k) {
        part[k] = histogram(tokens.subspan(at[k], at[k + 1] - at[k]));
        right += part[k];
      }
      Histogram left;
      for (std::size_t k = 1; k < kSplitPoints; ++k) {
        left += part[k - 1];
        right -= part[k - 1];
        const std::size_t leftBits = blockBits(left);
        const std::size_t rightBits = blockBits(right);
        if (leftBits + rightBits < best) {
          best = leftBits + rightBits;
          bestAt = at[k];
          bestLeft = leftBits;
          bestRight = rightBits;
        }
      }
    }
    if (bestAt == 0) {
      writeBlock(tokens);
      return;
    }
    writeSplit(tokens.first(bestAt), bestLeft);
    writeSplit(tokens.subspan(bestAt), bestRight);
  }

  void writeBlock(std::span<const Token> tokens) {
    const BlockCodes block = planBlock(histogram(tokens));
    writeBlockHeader(out_, block, tokens.size());
    for (const Token& t : tokens) {
      out_.put(block.litLen.lengths[t.symbol], block.litLen.codes[t.symbol]);
      if (t.symbol < 256) continue;
      const std::uint32_t p = t.distance - 1u;
      const unsigned slot = bitLength(p);
      out_.put(block.position.lengths[slot], block.position.codes[slot]);
      if (slot > 1) out_.put(slot - 1, p);
    }
    ++blocks_;
  }

  BitWriter& out_;
  std::vector<Token> tokens_;
  std::size_t matches_ = 0;
  std::size_t blocks_ = 0;
};

struct Match {
  std::uint16_t length = 0;
  std::uint16_t distance = 0;
};

// Finds matches with hash chains over 4-byte prefixes, plus a table of the latest position of every
// 3-byte prefix for the nearest match of 3. Positions are kept modulo 2^32 and every candidate is
// checked against the data, so a stale entry can only cost time.
class MatchFinder {
 public:
  explicit MatchFinder(std::string_view data)
      : data_(reinterpret_cast<const unsigned char*>(data.data())), size_(data.size()) {
    head3_.fill(kEmpty);
    head4_.fill(kEmpty);
    prev_.fill(kEmpty);
  }

  // Appends to out every match at pos that is longer than all nearer ones (so lengths and distances
  // both increase), looking at no more than chain candidates and stopping at nice bytes. Matches do not
  // run past limit. Must come before insert(pos).
  void find(std::size_t pos, std::size_t limit, unsigned chain, std::size_t nice, std::vector<Match>& out) const {
    const std::size_t maxLength = std::min(kMaxMatch, limit - pos);
    if (maxLength >= kMinMatch) search(pos, maxLength, chain, std::min(nice, maxLength), out);
  }

  void insert(std::size_t pos) {
    const std::size_t left = size_ - pos;
    if (left < kMinMatch) return;
    const auto pos32 = static_cast<std::uint32_t>(pos);
    head3_[hash3(data_ + pos)] = pos32;
    if (left < 4) return;
    std::uint32_t& head = head4_[hash4(data_ + pos)];
    prev_[pos & kMask] = head;
    head = pos32;
  }

 private:
  static constexpr unsigned kHash3Bits = 14;
  static constexpr unsigned kHash4Bits = 15;
  static constexpr std::size_t kMask = kDictionarySize - 1;
  static constexpr std::uint32_t kEmpty = 0x80000000u;

  static std::uint32_t hash3(const unsigned char* p) {
    const std::uint32_t v = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    return (v * 2654435761u) >> (32 - kHash3Bits);
  }
  static std::uint32_t hash4(const unsigned char* p) {
    const std::uint32_t v = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
    return (v * 2654435761u) >> (32 - kHash4Bits);
  }

  // Length of the common prefix of a and b, at most maxLength; compares eight bytes at a time.
  static std::size_t commonLength(const unsigned char* a, const unsigned char* b, std::size_t maxLength) {
    std::size_t length = 0;
    if constexpr (std::endian::native == std::endian::little) {
      while (length + 8 <= maxLength) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a + length, 8);
        std::memcpy(&y, b + length, 8);
        if (x != y) return length + static_cast<std::size_t>(std::countr_zero(x ^ y) / 8);
        length += 8;
      }
    }
    while (length < maxLength && a[length] == b[length]) ++length;
    return length;
  }

  static bool reachable(std::uint32_t distance, std::size_t pos) { return distance != 0 && distance <= kDictionarySize && distance <= pos; }

  void search(std::size_t pos, std::size_t maxLength, unsigned chain, std::size_t nice, std::vector<Match>& out) const {
    std::size_t bestLength = kMinMatch - 1;
    const unsigned char* current = data_ + pos;
    const auto pos32 = static_cast<std::uint32_t>(pos);

    // The latest position with the same 3 bytes is the nearest match of 3 or more; any match the chains
    // find lies at least as far back.
    const std::uint32_t near = pos32 - head3_[hash3(current)];
    if (reachable(near, pos)) {
      const std::size_t length = commonLength(current - near, current, maxLength);
      if (length >= kMinMatch) {
        bestLength = length;
        out.push_back({static_cast<std::uint16_t>(length), static_cast<std::uint16_t>(near)});
        if (length >= nice) return;
      }
    }
    if (maxLength < 4) return;

    std::uint32_t distance = pos32 - head4_[hash4(current)];
    std::uint32_t previous = 0;
    // The distance must grow along the chain: that also ends chains through stale entries.
    while (distance > previous && reachable(distance, pos) && chain-- > 0) {
      const unsigned char* candidate = current - distance;
      if (candidate[bestLength] == current[bestLength] && candidate[0] == current[0]) {
        const std::size_t length = commonLength(candidate, current, maxLength);
        if (length > bestLength) {
          bestLength = length;
          out.push_back({static_cast<std::uint16_t>(length), static_cast<std::uint16_t>(distance)});
          if (length >= nice) break;
        }
      }
      previous = distance;
      distance = pos32 - prev_[(pos - distance) & kMask];
    }
  }

  const unsigned char* data_;
  std::size_t size_;
  std::array<std::uint32_t, std::size_t{1} << kHash3Bits> head3_;
  std::array<std::uint32_t, std::size_t{1} << kHash4Bits> head4_;
  std::array<std::uint32_t, kDictionarySize> prev_;
};

constexpr unsigned kChain = 128;           // candidates looked at per position
constexpr std::size_t kNice = 256;         // the search ends at a match this long
constexpr std::size_t kTakeWhole = 32;     // a match this long is taken whole, no shorter part of it tried
constexpr std::size_t kChunk = 1 << 16;    // input parsed at a time
constexpr int kPasses = 2;                 // parses priced with the statistics of the one before

// Matches found at each position of a chunk.
struct Candidates {
  std::vector<Match> matches;
  std::vector<std::uint32_t> begin;  // matches of position i: [begin[i], begin[i + 1])

  std::span<const Match> at(std::size_t i) const {
    return std::span<const Match>(matches.data() + begin[i], begin[i + 1] - begin[i]);
  }
  std::size_t longest(std::size_t i) const { return begin[i + 1] == begin[i] ? 0 : matches[begin[i + 1] - 1].length; }
};

// Bit prices of each symbol, with the extra bits of a position included.
struct Prices {
  std::array<float, kNumLitLen> litLen{};
  std::array<float, kNumPosition> position{};

  float literal(unsigned char byte) const { return litLen[byte]; }
  float length(std::size_t n) const { return litLen[256 + n - kMinMatch]; }
  float distance(std::size_t d) const { return position[bitLength(static_cast<std::uint32_t>(d - 1))]; }
  float match(std::size_t n, std::size_t d) const { return length(n) + distance(d); }
};

// Prices from the code lengths the given tokens would get; unseen symbols stay possible but dear.
Prices pricesFor(std::span<const Token> tokens) {
  std::array<std::uint32_t, kNumLitLen> litLen;
  std::array<std::uint32_t, kNumPosition> position;
  litLen.fill(1);
  position.fill(1);
  for (const Token& t : tokens) {
    litLen[t.symbol] += 4;
    if (t.symbol >= 256) position[bitLength(t.distance - 1u)] += 4;
  }
  Prices prices;
  const std::vector<std::uint8_t> litLenLengths = limitedCodeLengths(litLen, kMaxCodeLength);
  const std::vector<std::uint8_t> positionLengths = limitedCodeLengths(position, kMaxCodeLength);
  for (unsigned s = 0; s < kNumLitLen; ++s) prices.litLen[s] = litLenLengths[s];
  for (unsigned s = 0; s < kNumPosition; ++s) prices.position[s] = static_cast<float>(positionLengths[s] + (s > 1 ? s - 1 : 0));
  return prices;
}

Token literalToken(unsigned char byte) { return {byte, 0}; }
Token matchToken(std::size_t length, std::size_t distance) {
  return {static_cast<std::uint16_t>(256 + length - kMinMatch), static_cast<std::uint16_t>(distance)};
}

// A first parse without prices: the longest match, unless the next position offers a longer one.
void lazyParse(const unsigned char* bytes, std::size_t size, const Candidates& candidates, std::vector<Token>& out) {
  std::size_t i = 0;
  while (i < size) {
    std::size_t length = candidates.longest(i);
    if (length >= kMinMatch && (i + 1 >= size || candidates.longest(i + 1) <= length)) {
      out.push_back(matchToken(length, candidates.at(i).back().distance));
      i += length;
    } else {
      out.push_back(literalToken(bytes[i]));
      ++i;
    }
  }
}

// The cheapest sequence of literals and matches under the given prices (shortest path over positions).
void optimalParse(const unsigned char* bytes, std::size_t size, const Candidates& candidates, const Prices& prices,
                  std::vector<float>& cost, std::vector<Match>& step, std::vector<Token>& out) {
  constexpr float kUnreached = 1e30f;
  cost.assign(size + 1, kUnreached);
  step.assign(size + 1, Match{});
  cost[0] = 0;
  std::size_t skipUntil = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const float here = cost[i];
    if (here + prices.literal(bytes[i]) < cost[i + 1]) {
      cost[i + 1] = here + prices.literal(bytes[i]);
      step[i + 1] = {1, 0};
    }
    if (i < skipUntil) continue;  // inside a long match that was taken whole
    const std::size_t longest = candidates.longest(i);
    if (longest >= kTakeWhole) {
      const Match m = candidates.at(i).back();
      const float c = here + prices.match(longest, m.distance);
      if (c < cost[i + longest]) {
        cost[i + longest] = c;
        step[i + longest] = m;
      }
      skipUntil = i + longest;
      continue;
    }
    // Each length is tried with the nearest match that reaches it.
    std::size_t length = kMinMatch;
    for (const Match& m : candidates.at(i)) {
      const float base = here + prices.distance(m.distance);
      for (; length <= m.length; ++length) {
        const float c = base + prices.length(length);
        if (c < cost[i + length]) {
          cost[i + length] = c;
          step[i + length] = {static_cast<std::uint16_t>(length), m.distance};
        }
      }
    }
  }
  const std::size_t first = out.size();
  for (std::size_t i = size; i > 0;) {
    const Match m = step[i];
    i -= m.length;
    out.push_back(m.length == 1 ? literalToken(bytes[i]) : matchToken(m.length, m.distance));
  }
  std::reverse(out.begin() + static_cast<std::ptrdiff_t>(first), out.end());
}

}  // namespace

std::string compress(std::string_view data) {
  BitWriter bits;
  BlockWriter block(bits);
  auto finder = std::make_unique<MatchFinder>(data);
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());

  Candidates candidates;
  std::vector<Token> tokens;
  std::vector<float> cost;
  std::vector<Match> step;
  for (std::size_t start = 0; start < data.size(); start += kChunk) {
    const std::size_t size = std::min(kChunk, data.size() - start);
    candidates.matches.clear();
    candidates.begin.assign(1, 0);
    // The parsers take a long match whole, so nothing inside one needs a search of its own.
    std::size_t skipUntil = 0;
    for (std::size_t i = 0; i < size; ++i) {
      if (i >= skipUntil) finder->find(start + i, start + size, kChain, kNice, candidates.matches);
      candidates.begin.push_back(static_cast<std::uint32_t>(candidates.matches.size()));
      if (candidates.longest(i) >= kTakeWhole) skipUntil = i + candidates.longest(i);
      finder->insert(start + i);
    }
    tokens.clear();
    lazyParse(bytes + start, size, candidates, tokens);
    for (int pass = 0; pass < kPasses; ++pass) {
      const Prices prices = pricesFor(tokens);
      tokens.clear();
      optimalParse(bytes + start, size, candidates, prices, cost, step, tokens);
    }
    for (const Token& t : tokens) block.add(t);
  }
  block.finish();
  return bits.finish();
}

}  // namespace tw::lh5
