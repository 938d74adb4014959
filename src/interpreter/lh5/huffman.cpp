#include "interpreter/lh5/huffman.h"

#include <algorithm>
#include <cassert>

namespace tw::lh5::detail {

unsigned usedSymbols(std::span<const std::uint32_t> freq) {
  return static_cast<unsigned>(std::count_if(freq.begin(), freq.end(), [](std::uint32_t f) { return f != 0; }));
}

std::vector<std::uint8_t> limitedCodeLengths(std::span<const std::uint32_t> freq, unsigned maxLength) {
  struct Leaf {
    std::uint64_t weight;
    unsigned symbol;
  };
  std::vector<Leaf> leaves;
  for (unsigned s = 0; s < freq.size(); ++s) {
    if (freq[s] != 0) leaves.push_back({freq[s], s});
  }
  assert(leaves.size() >= 2 && leaves.size() <= (std::size_t{1} << maxLength));
  std::sort(leaves.begin(), leaves.end(),
            [](const Leaf& a, const Leaf& b) { return a.weight != b.weight ? a.weight < b.weight : a.symbol < b.symbol; });

  // A plain Huffman code (two queues over the sorted leaves) is optimal whenever it respects the limit,
  // which it nearly always does.
  const std::size_t n = leaves.size();
  {
    std::vector<std::uint64_t> weight(n - 1);
    std::vector<std::size_t> parent(2 * n - 1);  // leaves 0..n-1, then internal nodes
    std::size_t leaf = 0;
    std::size_t node = 0;
    for (std::size_t k = 0; k < n - 1; ++k) {
      std::uint64_t sum = 0;
      for (int pick = 0; pick < 2; ++pick) {
        if (leaf < n && (node >= k || leaves[leaf].weight <= weight[node])) {
          sum += leaves[leaf].weight;
          parent[leaf++] = n + k;
        } else {
          sum += weight[node];
          parent[n + node++] = n + k;
        }
      }
      weight[k] = sum;
    }
    std::vector<unsigned> depth(2 * n - 1, 0);
    unsigned deepest = 0;
    for (std::size_t i = 2 * n - 2; i-- > 0;) {
      depth[i] = depth[parent[i]] + 1;
      if (i < n) deepest = std::max(deepest, depth[i]);
    }
    if (deepest <= maxLength) {
      std::vector<std::uint8_t> lengths(freq.size(), 0);
      for (std::size_t i = 0; i < n; ++i) lengths[leaves[i].symbol] = static_cast<std::uint8_t>(depth[i]);
      return lengths;
    }
  }

  // Package-merge: list[maxLength - 1] holds the leaves; each list above merges the leaves with the pairs
  // ("packages") of the list below. An item is a leaf index, or -1 for a package.
  std::vector<std::vector<int>> kinds(maxLength);
  std::vector<std::uint64_t> below;
  for (const Leaf& leaf : leaves) below.push_back(leaf.weight);
  kinds[maxLength - 1].resize(n);
  for (std::size_t i = 0; i < n; ++i) kinds[maxLength - 1][i] = static_cast<int>(i);
  for (unsigned level = maxLength - 1; level-- > 0;) {
    std::vector<std::uint64_t> merged;
    std::vector<int>& kind = kinds[level];
    std::size_t leaf = 0;
    std::size_t pair = 0;
    const std::size_t pairs = below.size() / 2;
    while (leaf < n || pair < pairs) {
      const bool takeLeaf =
          pair == pairs || (leaf < n && leaves[leaf].weight <= below[2 * pair] + below[2 * pair + 1]);
      if (takeLeaf) {
        merged.push_back(leaves[leaf].weight);
        kind.push_back(static_cast<int>(leaf++));
      } else {
        merged.push_back(below[2 * pair] + below[2 * pair + 1]);
        kind.push_back(-1);
        ++pair;
      }
    }
    below = std::move(merged);
  }

  // The first 2n - 2 items of the top list are chosen; a chosen package chooses its two items below.
  // Every chosen occurrence of a leaf adds one to its length.
  std::vector<std::uint8_t> lengths(freq.size(), 0);
  std::size_t chosen = 2 * n - 2;
  for (unsigned level = 0; level < maxLength && chosen > 0; ++level) {
    std::size_t packages = 0;
    for (std::size_t i = 0; i < chosen; ++i) {
      const int kind = kinds[level][i];
      if (kind < 0) {
        ++packages;
      } else {
        ++lengths[leaves[static_cast<std::size_t>(kind)].symbol];
      }
    }
    chosen = 2 * packages;
  }
  return lengths;
}

std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths) {
  std::array<unsigned, kMaxCodeLength + 1> count{};
  for (std::uint8_t length : lengths) ++count[length];
  count[0] = 0;
  std::array<std::uint32_t, kMaxCodeLength + 1> next{};
  std::uint32_t code = 0;
  for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
    code = (code + count[length - 1]) << 1;
    next[length] = code;
  }
  std::vector<std::uint16_t> codes(lengths.size(), 0);
  for (std::size_t s = 0; s < lengths.size(); ++s) {
    if (lengths[s] != 0) codes[s] = static_cast<std::uint16_t>(next[lengths[s]]++);
  }
  return codes;
}

HuffmanDecoder::HuffmanDecoder(unsigned primaryBits) : primaryBits_(primaryBits) {
  assert(primaryBits >= 1 && primaryBits <= kMaxPrimaryBits);
}

bool HuffmanDecoder::build(std::span<const std::uint8_t> lengths) {
  assert(lengths.size() <= kMaxSymbols);
  std::array<unsigned, kMaxCodeLength + 1> count{};
  std::uint32_t space = 0;  // code space used, in units of 2^-16
  for (std::uint8_t length : lengths) {
    if (length > kMaxCodeLength) return false;
    if (length != 0) {
      ++count[length];
      space += std::uint32_t{1} << (kMaxCodeLength - length);
    }
  }
  if (space != (std::uint32_t{1} << kMaxCodeLength)) return false;

  std::uint32_t code = 0;
  std::uint16_t offset = 0;
  for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
    first_[length] = static_cast<std::uint16_t>(code);
    offset_[length] = offset;
    code += count[length];
    offset = static_cast<std::uint16_t>(offset + count[length]);
    limit_[length] = code << (kMaxCodeLength - length);
    code <<= 1;
  }
  limit_[kMaxCodeLength + 1] = std::uint32_t{1} << kMaxCodeLength;  // never reached for a complete code

  std::array<std::uint16_t, kMaxCodeLength + 1> position = offset_;
  std::array<std::uint32_t, kMaxCodeLength + 1> next{};
  for (unsigned length = 1; length <= kMaxCodeLength; ++length) next[length] = first_[length];
  for (std::size_t s = 0; s < lengths.size(); ++s) {
    const unsigned length = lengths[s];
    if (length == 0) continue;
    sorted_[position[length]++] = static_cast<std::uint16_t>(s);
    const std::uint32_t symbolCode = next[length]++;
    if (length <= primaryBits_) {
      const std::size_t begin = std::size_t{symbolCode} << (primaryBits_ - length);
      const std::size_t end = begin + (std::size_t{1} << (primaryBits_ - length));
      std::fill(table_.begin() + static_cast<std::ptrdiff_t>(begin), table_.begin() + static_cast<std::ptrdiff_t>(end),
                static_cast<std::uint16_t>((s << kSymbolShift) | length));
    } else {
      table_[symbolCode >> (length - primaryBits_)] = kLongCode;
    }
  }
  return true;
}

void HuffmanDecoder::buildSingle(unsigned symbol) {
  std::fill(table_.begin(), table_.begin() + (std::ptrdiff_t{1} << primaryBits_),
            static_cast<std::uint16_t>(symbol << kSymbolShift));
}

}  // namespace tw::lh5::detail
