#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "interpreter/lh5/huffman.h"

namespace tw::lh5::detail {
namespace {

std::uint64_t cost(const std::vector<std::uint32_t>& freq, const std::vector<std::uint8_t>& lengths) {
  std::uint64_t bits = 0;
  for (std::size_t s = 0; s < freq.size(); ++s) bits += std::uint64_t{freq[s]} * lengths[s];
  return bits;
}

// Cost of an unrestricted Huffman code: the sum of all merged weights.
std::uint64_t huffmanCost(const std::vector<std::uint32_t>& freq) {
  std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> heap;
  for (std::uint32_t f : freq) {
    if (f != 0) heap.push(f);
  }
  std::uint64_t total = 0;
  while (heap.size() > 1) {
    const std::uint64_t a = heap.top();
    heap.pop();
    const std::uint64_t b = heap.top();
    heap.pop();
    total += a + b;
    heap.push(a + b);
  }
  return total;
}

// Kraft sum in units of 2^-16; 65536 is a complete prefix code.
std::uint32_t kraft(const std::vector<std::uint8_t>& lengths) {
  std::uint32_t sum = 0;
  for (std::uint8_t l : lengths) {
    if (l != 0) sum += std::uint32_t{1} << (16 - l);
  }
  return sum;
}

std::vector<std::uint32_t> fibonacci(std::size_t count) {
  std::vector<std::uint32_t> freq{1, 1};
  while (freq.size() < count) freq.push_back(freq[freq.size() - 1] + freq[freq.size() - 2]);
  return freq;
}

TEST(Lh5CodeLengths, AreOptimalWhenTheLimitDoesNotBind) {
  std::mt19937_64 engine(1);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::uint32_t> freq(2 + engine() % 509);
    // Weights within a factor of ten keep an unrestricted Huffman code well below 16 bits.
    for (std::uint32_t& f : freq) f = engine() % 3 == 0 ? 0 : static_cast<std::uint32_t>(100 + engine() % 900);
    freq[0] = freq[1] = 500;
    const std::vector<std::uint8_t> lengths = limitedCodeLengths(freq, 16);
    EXPECT_EQ(kraft(lengths), 65536u);
    EXPECT_EQ(cost(freq, lengths), huffmanCost(freq)) << "round " << round;
    for (std::size_t s = 0; s < freq.size(); ++s) EXPECT_EQ(lengths[s] == 0, freq[s] == 0);
  }
}

TEST(Lh5CodeLengths, StayWithinTheLimitForSkewedFrequencies) {
  // Fibonacci weights make an unrestricted Huffman tree as deep as there are symbols.
  const std::vector<std::uint32_t> freq = fibonacci(40);
  const std::vector<std::uint8_t> lengths = limitedCodeLengths(freq, 16);
  EXPECT_EQ(kraft(lengths), 65536u);
  EXPECT_EQ(*std::max_element(lengths.begin(), lengths.end()), 16);
  // Never worse than the flat code that the limit also allows.
  EXPECT_LT(cost(freq, lengths), cost(freq, std::vector<std::uint8_t>(freq.size(), 6)));
}

// Reads the bits of a '0'/'1' string for the decoder.
class TextBits {
 public:
  explicit TextBits(std::string bits) : bits_(std::move(bits)) {}
  std::uint32_t peek16() const {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 16; ++i) v = (v << 1) | (at_ + i < bits_.size() && bits_[at_ + i] == '1' ? 1 : 0);
    return v;
  }
  void consume(unsigned n) { at_ += n; }
  std::size_t at() const { return at_; }

 private:
  std::string bits_;
  std::size_t at_ = 0;
};

TEST(Lh5HuffmanDecoder, ReadsBackEveryCanonicalCodeShortAndLong) {
  // Lengths from 1 to 16: codes both inside and beyond the 12-bit lookup table.
  const std::vector<std::uint8_t> lengths = limitedCodeLengths(fibonacci(40), 16);
  const std::vector<std::uint16_t> codes = canonicalCodes(lengths);
  std::string bits;
  for (std::size_t s = 0; s < lengths.size(); ++s) {
    for (unsigned i = lengths[s]; i-- > 0;) bits += ((codes[s] >> i) & 1) ? '1' : '0';
  }
  HuffmanDecoder decoder(12);
  ASSERT_TRUE(decoder.build(lengths));
  TextBits in(bits);
  for (std::size_t s = 0; s < lengths.size(); ++s) EXPECT_EQ(decoder.decode(in), s);
  EXPECT_EQ(in.at(), bits.size());
}

TEST(Lh5HuffmanDecoder, AcceptsOnlyCompletePrefixCodes) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> lengths;
    bool valid;
  };
  const Case cases[] = {
      {"complete", {1, 2, 3, 3}, true},
      {"complete with unused symbols", {0, 2, 0, 2, 2, 2}, true},
      {"incomplete", {1, 2, 3}, false},
      {"one code", {0, 1, 0}, false},
      {"no code", {0, 0, 0}, false},
      {"over-subscribed", {1, 1, 2}, false},
      // Twice the code space: a sum kept modulo 2^16 would take it for complete.
      {"over-subscribed twice over", {1, 1, 1, 1}, false},
      {"longer than 16 bits", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 17}, false},
  };
  for (const Case& c : cases) {
    HuffmanDecoder decoder(8);
    EXPECT_EQ(decoder.build(c.lengths), c.valid) << c.name;
  }
}

}  // namespace
}  // namespace tw::lh5::detail
