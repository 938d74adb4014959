#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "interpreter/lh5/lh5.h"
#include "test_data.h"

namespace tw::lh5 {
namespace {

// Builds a bit stream by hand, most significant bit first, completed with zero bits.
class Bits {
 public:
  Bits& put(unsigned count, std::uint32_t value) {
    for (unsigned i = count; i-- > 0;) bits_ += ((value >> i) & 1) ? '1' : '0';
    return *this;
  }
  // A run of bits written as text, e.g. "0010".
  Bits& put(const std::string& pattern) {
    bits_ += pattern;
    return *this;
  }
  Bits& then(const Bits& more) { return put(more.bits_); }
  std::string bytes() const {
    std::string out((bits_.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < bits_.size(); ++i) {
      if (bits_[i] == '1') out[i / 8] = static_cast<char>(out[i / 8] | (0x80 >> (i % 8)));
    }
    return out;
  }

 private:
  std::string bits_;
};

// Code-length table in which symbol 0 (one zero length) is "0" and symbol 3 (length 1) is "1".
Bits zeroAndLengthOne() { return Bits().put(5, 4).put("001" "000" "000").put("00").put("001"); }
// Code-length table in which symbol 2 (a long zero run) is "0" and symbol 3 (length 1) is "1".
Bits longRunAndLengthOne() { return Bits().put(5, 4).put("000" "000" "001").put("00").put("001"); }
// Literal/length table where bytes 0 and 1 are "0" and "1" (after zeroAndLengthOne).
Bits literalsZeroAndOne() { return Bits().put(9, 2).put("1" "1"); }
// Literal/length table where byte 0 is "0" and a match of 3 is "1" (after longRunAndLengthOne).
Bits literalZeroAndMatchOf3() { return Bits().put(9, 257).put("1").put("0").put(9, 255 - 20).put("1"); }
Bits singlePosition(unsigned slot) { return Bits().put(4, 0).put(4, slot); }
Bits singleLiteral(unsigned symbol) { return Bits().put(5, 0).put(5, 0).put(9, 0).put(9, symbol); }

// A block of count codes with valid tables for literals 0 and 1, followed by the given codes.
Bits twoLiterals(unsigned count, const std::string& codes) {
  return Bits().put(16, count).then(zeroAndLengthOne()).then(literalsZeroAndOne()).then(singlePosition(0)).put(codes);
}

struct Case {
  const char* name;
  std::string stream;
  std::size_t size;
  std::optional<std::string> expected;  // nothing: the stream is corrupt
};

const std::string kTwoLiteralsStream = twoLiterals(3, "011").bytes();

const Case kCases[] = {
    // Controls: the hand-made tables are right, so each fault below is the only one in its stream.
    {"ValidLiterals", kTwoLiteralsStream, 3, std::string("\0\1\1", 3)},
    {"ValidMatch",
     Bits().put(16, 2).then(longRunAndLengthOne()).then(literalZeroAndMatchOf3()).then(singlePosition(0)).put("01").bytes(),
     4, std::string(4, '\0')},
    {"ValidSingleCodeTables", Bits().put(16, 3).then(singleLiteral('z')).then(singlePosition(0)).bytes(), 3, "zzz"},
    // The smallest block there is (43 bits: a single-code code-length table makes the literal/length
    // lengths free), whose 65535 one-bit codes all lie in the zero bits past the end of its 6 bytes.
    {"CodesReadFromZeroBitsPastTheEnd",
     Bits().put(16, 65535).put(5, 0).put(5, 3).put(9, 2).then(singlePosition(0)).bytes(), 65535,
     std::string(65535, '\0')},

    {"CodeLengthTableIncomplete", Bits().put(16, 1).put(5, 3).put("001" "010" "000" "00").bytes(), 1, {}},
    {"CodeLengthTableOversubscribed", Bits().put(16, 1).put(5, 3).put("001" "001" "001" "00").bytes(), 1, {}},
    {"CodeLengthTableOfOneCode", Bits().put(16, 1).put(5, 1).put("001").bytes(), 1, {}},
    {"CodeLengthTableWithoutCodes", Bits().put(16, 1).put(5, 2).put("000" "000").bytes(), 1, {}},
    {"CodeLengthTableCountTooLarge", Bits().put(16, 1).put(5, 20).bytes(), 1, {}},
    {"CodeLengthSingleSymbolOutOfRange", Bits().put(16, 1).put(5, 0).put(5, 19).bytes(), 1, {}},
    {"CodeLengthLongerThan16Bits", Bits().put(16, 1).put(5, 2).put("111" "1111111111" "0").bytes(), 1, {}},
    {"LiteralTableIncomplete", Bits().put(16, 1).then(zeroAndLengthOne()).put(9, 1).put("1").bytes(), 1, {}},
    {"LiteralTableOversubscribed", Bits().put(16, 1).then(zeroAndLengthOne()).put(9, 3).put("111").bytes(), 1, {}},
    {"LiteralTableCountTooLarge", Bits().put(16, 1).then(zeroAndLengthOne()).put(9, 511).bytes(), 1, {}},
    {"LiteralSingleSymbolOutOfRange", Bits().put(16, 1).then(singleLiteral(510)).bytes(), 1, {}},
    {"ZeroRunPastTheTable", Bits().put(16, 1).then(longRunAndLengthOne()).put(9, 510).put("0").put(9, 511).bytes(), 1, {}},
    {"PositionTableIncomplete",
     Bits().put(16, 1).then(zeroAndLengthOne()).then(literalsZeroAndOne()).put(4, 2).put("001" "000").bytes(), 1, {}},
    {"PositionTableOversubscribed",
     Bits().put(16, 1).then(zeroAndLengthOne()).then(literalsZeroAndOne()).put(4, 3).put("001" "001" "001").bytes(), 1,
     {}},
    {"PositionTableCountTooLarge",
     Bits().put(16, 1).then(zeroAndLengthOne()).then(literalsZeroAndOne()).put(4, 15).bytes(), 1, {}},
    {"PositionSingleSymbolOutOfRange",
     Bits().put(16, 1).then(zeroAndLengthOne()).then(literalsZeroAndOne()).then(singlePosition(14)).bytes(), 1, {}},
    {"MatchBeforeTheStartOfOutput",
     Bits().put(16, 1).then(longRunAndLengthOne()).then(literalZeroAndMatchOf3()).then(singlePosition(0)).put("1").bytes(),
     3, {}},
    {"MatchFartherBackThanTheOutput",
     Bits().put(16, 2).then(longRunAndLengthOne()).then(literalZeroAndMatchOf3()).then(singlePosition(13)).put("01").put(12, 0).bytes(),
     4, {}},
    {"BlockWithoutCodes", Bits().put(16, 0).then(zeroAndLengthOne()).then(literalsZeroAndOne()).then(singlePosition(0)).bytes(),
     1, {}},
    // A stream that ends before the stated size is complete, even though zero bits could be read forever.
    {"SizeLargerThanTheStreamHolds", kTwoLiteralsStream, 4, {}},
    {"SizeFarLargerThanAnyStreamOfThisLength", kTwoLiteralsStream, std::size_t{1} << 40, {}},
    {"LargestSize", kTwoLiteralsStream, std::numeric_limits<std::size_t>::max(), {}},
    {"EmptyStreamWithOutputExpected", std::string(), 1, {}},
    {"ZeroBytesOnly", std::string(64, '\0'), 100, {}},
};

class Damaged : public ::testing::TestWithParam<Case> {};

TEST_P(Damaged, IsRejectedOrDecoded) {
  const Case& c = GetParam();
  if (c.expected) {
    EXPECT_EQ(decompress(c.stream, c.size), *c.expected);
  } else {
    EXPECT_THROW(decompress(c.stream, c.size), CorruptData);
  }
}

INSTANTIATE_TEST_SUITE_P(Lh5, Damaged, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& p) { return std::string(p.param.name); });

TEST(Lh5CorruptData, HasTheLoadersMessage) {
  try {
    decompress(std::string(8, '\0'), 1);
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Compressed file is corrupt");
  }
}

// Decodes from a heap block of exactly the stream's size, so a read past its end is an
// AddressSanitizer error rather than a silent read of spare string capacity.
std::string decodeExact(const std::string& stream, std::size_t size) {
  const auto copy = std::make_unique<char[]>(stream.size());
  std::copy(stream.begin(), stream.end(), copy.get());
  return decompress(std::string_view(copy.get(), stream.size()), size);
}

// Either the stated number of bytes or CorruptData; anything else (another exception, a crash) fails.
bool decodesOrIsCorrupt(const std::string& stream, std::size_t size) {
  try {
    return decodeExact(stream, size).size() == size;
  } catch (const CorruptData&) {
    return true;
  }
}

TEST(Lh5CutShort, MissingTrailingZeroBytesReadAsZeroBits) {
  // The stream of one literal ends in its single-code position table and the padding: all zero bits.
  for (const std::string& data : {std::string("A"), test::text(5000, 7), std::string(3 << 20, 'q')}) {
    std::string stream = compress(data);
    const std::size_t full = stream.size();
    while (!stream.empty() && stream.back() == '\0') stream.pop_back();
    if (data == "A") {
      EXPECT_LT(stream.size(), full);
    }
    EXPECT_EQ(decodeExact(stream, data.size()), data);
  }
}

TEST(Lh5CutShort, EveryPrefixIsDecodedOrRejectedWithinItsBuffer) {
  const std::string data = test::text(6000, 8) + std::string(700, ' ') + test::randomBytes(500, 9);
  const std::string stream = compress(data);
  for (std::size_t length = 0; length < stream.size(); ++length) {
    ASSERT_TRUE(decodesOrIsCorrupt(stream.substr(0, length), data.size())) << "cut at " << length;
  }
}

TEST(Lh5RandomDamage, NeverCrashes) {
  const std::string data = test::text(20000, 10) + test::randomBytes(3000, 11) + std::string(5000, 'z');
  const std::string stream = compress(data);
  std::mt19937_64 engine(12);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = stream;
    const int flips = 1 + static_cast<int>(engine() % 8);
    for (int f = 0; f < flips; ++f) {
      const std::size_t at = engine() % damaged.size();
      if (engine() % 2 == 0) {
        damaged[at] = static_cast<char>(damaged[at] ^ (1 << (engine() % 8)));
      } else {
        damaged[at] = static_cast<char>(engine());
      }
    }
    if (engine() % 4 == 0) damaged.resize(engine() % damaged.size());
    ASSERT_TRUE(decodesOrIsCorrupt(damaged, data.size())) << "round " << round;
  }
}

TEST(Lh5RandomDamage, GarbageNeverCrashes) {
  std::mt19937_64 engine(13);
  for (int round = 0; round < 20000; ++round) {
    const std::string garbage = test::randomBytes(engine() % 64, engine());
    const std::size_t size = engine() % (1 << 20);
    ASSERT_TRUE(decodesOrIsCorrupt(garbage, size)) << "round " << round;
  }
}

}  // namespace
}  // namespace tw::lh5
