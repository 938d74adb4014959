#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "interpreter/lh5/lh5.h"
#include "test_data.h"

namespace tw::lh5 {
namespace {

// Compares without printing megabytes when the data differ.
::testing::AssertionResult sameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                       << ", first difference at byte " << at;
}

// Code count of the first block: the stream's first 16 bits.
unsigned firstBlockCodes(const std::string& stream) {
  return (static_cast<unsigned char>(stream[0]) << 8) | static_cast<unsigned char>(stream[1]);
}

std::string runs() {
  // Runs of every length from 1 to 700 of changing byte values, then one long run.
  std::string out;
  for (std::size_t length = 1; length <= 700; ++length) out.append(length, static_cast<char>(length * 37));
  out.append(3 << 20, '\0');  // long enough for blocks of matches only
  return out;
}

struct Case {
  const char* name;
  std::function<std::string()> make;
};

const Case kCases[] = {
    {"Empty", [] { return std::string(); }},
    {"OneByte", [] { return std::string("A"); }},
    {"EveryByteValueOnce",
     [] {
       std::string s;
       for (int c = 0; c < 256; ++c) s += static_cast<char>(c * 7);  // no byte and no pair repeats
       return s;
     }},
    {"Random100KiB", [] { return test::randomBytes(100 * 1024, 1); }},
    {"Text1MiB", [] { return test::text(1 << 20, 2); }},
    {"LongRuns", runs},
    {"RepeatAtDistance8192", [] { std::string x = test::randomWithoutRepeats(8192, 20); return x + x; }},
    {"RepeatAtDistance8193", [] { std::string x = test::randomWithoutRepeats(8193, 20); return x + x; }},
    {"ExactlyOneFullBlockOfLiterals", [] { return test::randomWithoutRepeats(14542, 20); }},
    {"OneLiteralPastAFullBlock", [] { return test::randomWithoutRepeats(14543, 20); }},
    {"TextAndRandomMixed", [] { return test::text(40000, 3) + test::randomBytes(30000, 4) + test::text(40000, 5); }},
};

class RoundTrip : public ::testing::TestWithParam<Case> {};

TEST_P(RoundTrip, DecodesToTheOriginal) {
  const std::string data = GetParam().make();
  const std::string stream = compress(data);
  EXPECT_TRUE(sameBytes(decompress(stream, data.size()), data));
}

INSTANTIATE_TEST_SUITE_P(Lh5, RoundTrip, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& p) { return std::string(p.param.name); });

TEST(Lh5Compress, EmptyInputIsOneEmptyBlock) {
  // Code count 0 and the three tables in single-code form: 52 zero bits, completed to 7 bytes.
  EXPECT_EQ(compress(""), std::string(7, '\0'));
}

TEST(Lh5Compress, EndsABlockBeforeItsBufferExceeds16360Bytes) {
  // Literals take one byte each in the block buffer plus one flag byte per eight codes, so 14542 literals
  // fill it to exactly 16360 bytes and the 14543rd begins a second block.
  EXPECT_EQ(firstBlockCodes(compress(test::randomWithoutRepeats(14542, 20))), 14542u);
  EXPECT_EQ(firstBlockCodes(compress(test::randomWithoutRepeats(14543, 20))), 14542u);
  EXPECT_EQ(firstBlockCodes(compress(test::randomWithoutRepeats(30000, 20))), 14542u);
}

TEST(Lh5Compress, ReachesBackExactly8192BytesButNoFurther) {
  const std::string near = test::randomWithoutRepeats(8192, 20);
  const std::string far = test::randomWithoutRepeats(8193, 20);
  // The second copy of near is one match chain at distance 8192 and costs next to nothing ...
  EXPECT_LT(compress(near + near).size(), compress(near).size() + 100);
  // ... while the copy of far lies out of reach and must be sent again as literals.
  EXPECT_GT(compress(far + far).size(), compress(far).size() * 9 / 5);
}

TEST(Lh5Compress, LongRunsShrinkToAFewBytesPerBlock) {
  // Four megabytes of one byte value are matches of 256 at distance 1; after the first block, the
  // tables take their single-code form and the codes take no bits at all.
  const std::string data(4 << 20, 'x');
  const std::string stream = compress(data);
  EXPECT_LT(stream.size(), 200u);
  EXPECT_TRUE(sameBytes(decompress(stream, data.size()), data));
}

}  // namespace
}  // namespace tw::lh5
