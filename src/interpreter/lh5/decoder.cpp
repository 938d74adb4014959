#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

#include "interpreter/lh5/format.h"
#include "interpreter/lh5/huffman.h"
#include "interpreter/lh5/lh5.h"

namespace tw::lh5 {

CorruptData::CorruptData() : std::runtime_error("Compressed file is corrupt") {}

namespace {

using namespace detail;

// Reads bits most significant first. Past the end of the data it supplies zero bits without touching
// memory beyond the data.
class BitReader {
 public:
  explicit BitReader(std::string_view data)
      : next_(reinterpret_cast<const unsigned char*>(data.data())), end_(next_ + data.size()) {
    refill();
  }

  // Makes at least 56 bits available.
  void refill() {
    if (count_ > 56) return;
    if (end_ - next_ >= 8) {
      std::uint64_t word = 0;
      for (int i = 0; i < 8; ++i) word = (word << 8) | next_[i];
      // Bits past count_ that the previous load left are these same stream bits, so or-ing changes nothing.
      buffer_ |= word >> count_;
      const unsigned bytes = (63 - count_) >> 3;
      next_ += bytes;
      count_ += bytes * 8;
      return;
    }
    buffer_ &= count_ == 0 ? 0 : ~std::uint64_t{0} << (64 - count_);
    while (count_ <= 56) {
      std::uint64_t byte = 0;
      if (next_ < end_) {
        byte = *next_++;
      } else {
        ++padding_;
      }
      buffer_ |= byte << (56 - count_);
      count_ += 8;
    }
  }

  std::uint32_t peek16() const { return static_cast<std::uint32_t>(buffer_ >> 48); }

  void consume(unsigned bits) {
    buffer_ <<= bits;
    count_ -= bits;
  }

  // Up to 16 bits, after a refill that nothing has drained below 16 bits since.
  std::uint32_t take(unsigned bits) {
    if (bits == 0) return 0;
    const auto value = static_cast<std::uint32_t>(buffer_ >> (64 - bits));
    consume(bits);
    return value;
  }

  std::uint32_t get(unsigned bits) {
    refill();
    return take(bits);
  }

  // True once every bit of the data has been consumed; what follows is zero padding.
  bool exhausted() const { return next_ == end_ && count_ <= padding_ * 8; }

 private:
  const unsigned char* next_;
  const unsigned char* end_;
  std::uint64_t buffer_ = 0;
  unsigned count_ = 0;
  std::size_t padding_ = 0;  // zero bytes supplied past the end
};

[[noreturn]] void corrupt() { throw CorruptData(); }

// Reads a code-length or position table: a count, then 3-bit lengths where 7 is continued in unary.
// For the code-length table, a 2-bit count of zero lengths follows the third length.
void readShortTable(BitReader& in, HuffmanDecoder& decoder, unsigned symbols, unsigned countBits, unsigned special) {
  const unsigned n = in.get(countBits);
  if (n == 0) {
    const unsigned symbol = in.get(countBits);
    if (symbol >= symbols) corrupt();
    decoder.buildSingle(symbol);
    return;
  }
  if (n > symbols) corrupt();
  std::array<std::uint8_t, kNumCodeLen> lengths{};
  unsigned i = 0;
  while (i < n) {
    unsigned length = in.get(3);
    if (length == 7) {
      while (in.get(1) == 1) {
        if (++length > kMaxCodeLength) corrupt();
      }
    }
    lengths[i++] = static_cast<std::uint8_t>(length);
    if (i == special) {
      i += in.get(2);  // at most 6 of the 19 entries, which start out zero
    }
  }
  if (!decoder.build(std::span<const std::uint8_t>(lengths.data(), symbols))) corrupt();
}

void readLitLenTable(BitReader& in, const HuffmanDecoder& codeLengths, HuffmanDecoder& decoder) {
  const unsigned n = in.get(kLitLenCountBits);
  if (n == 0) {
    const unsigned symbol = in.get(kLitLenCountBits);
    if (symbol >= kNumLitLen) corrupt();
    decoder.buildSingle(symbol);
    return;
  }
  if (n > kNumLitLen) corrupt();
  std::array<std::uint8_t, kNumLitLen> lengths{};
  unsigned i = 0;
  while (i < n) {
    in.refill();
    const unsigned c = codeLengths.decode(in);
    if (c <= 2) {
      const unsigned zeros = c == 0 ? 1 : c == 1 ? in.take(4) + 3 : in.take(kLitLenCountBits) + 20;
      if (i + zeros > kNumLitLen) corrupt();
      i += zeros;  // the entries start out zero
    } else {
      lengths[i++] = static_cast<std::uint8_t>(c - 2);
    }
  }
  if (!decoder.build(lengths)) corrupt();
}

// The most output a stream of this many bytes could describe: every block must begin inside the data,
// takes at least kMinBlockHeaderBits, and has at most kMaxCodesPerBlock codes of at most kMaxMatch bytes
// each. Codes themselves need not take any bits of the data: a single-code table makes them free, and
// past the end of the data they read zero bits.
std::size_t maxOutput(std::size_t streamBytes) {
  const std::size_t perBlock = kMaxCodesPerBlock * kMaxMatch;
  const std::size_t maxSize = std::numeric_limits<std::size_t>::max();
  if (streamBytes > maxSize / 8) return maxSize;
  const std::size_t blocks = (streamBytes * 8 + kMinBlockHeaderBits - 1) / kMinBlockHeaderBits;
  return blocks > maxSize / perBlock ? maxSize : blocks * perBlock;
}

}  // namespace

std::string decompress(std::string_view stream, std::size_t originalSize) {
  if (originalSize == 0) return {};
  if (originalSize > maxOutput(stream.size())) corrupt();

  // The output grows as it is produced, so a stream that fails early never costs the full size.
  std::string out;
  out.resize(std::min<std::size_t>(originalSize, std::max<std::size_t>(std::size_t{1} << 16, 4 * stream.size())));
  std::size_t pos = 0;

  BitReader in(stream);
  HuffmanDecoder codeLengths(8);
  HuffmanDecoder litLen(HuffmanDecoder::kMaxPrimaryBits);
  HuffmanDecoder position(8);

  while (pos < originalSize) {
    if (in.exhausted()) corrupt();  // the data ended before the output was complete
    std::size_t codes = in.get(kBlockCountBits);
    if (codes == 0) corrupt();
    readShortTable(in, codeLengths, kNumCodeLen, kCodeLenCountBits, kCodeLenSpecialIndex);
    readLitLenTable(in, codeLengths, litLen);
    readShortTable(in, position, kNumPosition, kPositionCountBits, 0);

    for (; codes > 0 && pos < originalSize; --codes) {
      if (out.size() - pos < kMaxMatch && out.size() < originalSize) {
        out.resize(std::min(originalSize, std::max(2 * out.size(), pos + kMaxMatch)));
      }
      in.refill();  // one code: at most 16 + 16 + 12 bits
      const unsigned symbol = litLen.decode(in);
      if (symbol < 256) {
        out[pos++] = static_cast<char>(symbol);
        continue;
      }
      const std::size_t length = symbol - 256 + kMinMatch;
      const unsigned slot = position.decode(in);
      std::size_t distance = 1;
      if (slot != 0) distance = (std::size_t{1} << (slot - 1)) + in.take(slot - 1) + 1;
      if (distance > pos) corrupt();  // reaches back before the start of the output
      const std::size_t count = std::min(length, originalSize - pos);
      char* dst = out.data() + pos;
      const char* src = dst - distance;
      if (distance >= count) {
        std::memcpy(dst, src, count);
      } else {
        for (std::size_t k = 0; k < count; ++k) dst[k] = src[k];
      }
      pos += count;
    }
  }
  out.resize(originalSize);
  return out;
}

}  // namespace tw::lh5
