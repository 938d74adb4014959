// The character walk forwards, backwards and from any byte agrees with decoding from the start,
// over random bytes that mix valid sequences of every length with stray and cut-off bytes, in texts
// short and long (the long ones go through the block-wise walk).

#include <gtest/gtest.h>

#include <unicode/uchar.h>
#include <random>
#include <set>
#include <string>

#include "text/case_mapping.h"
#include "text/utf8.h"

namespace tw::text {
namespace {

std::string RandomText(std::mt19937& random) {
  static const std::string pieces[] = {"a", "Z", "é", "€", "東", "😀", "\xFF", "\x80", "\xE2\x82", "\xF0\x9F\x98",
                                       "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", std::string(1, '\0')};
  std::string text;
  // Mostly short texts; now and then one long enough for the walks in blocks and from the far end.
  const int count = static_cast<int>(random() % 20 == 0 ? 40 + random() % 120 : random() % 12);
  for (int i = 0; i < count; ++i) text += pieces[random() % std::size(pieces)];
  return text;
}

TEST(Utf8Walk, EveryWayOfWalkingFindsTheSameCharacters) {
  std::mt19937 random(12);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomText(random);
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < text.size(); at += DecodeAt(text, at).Length) starts.push_back(at);
    const std::set<std::size_t> startSet(starts.begin(), starts.end());
    ASSERT_EQ(CharacterCount(text), starts.size()) << text;
    for (std::size_t at = 0; at <= text.size(); ++at)
      ASSERT_EQ(IsCharacterStart(text, at), at == text.size() || startSet.count(at) > 0) << text << " at " << at;
    for (std::size_t n = 0; n <= starts.size() + 1; ++n) {
      const std::size_t fromEnd = n == 0 ? text.size() : n >= starts.size() ? 0 : starts[starts.size() - n];
      ASSERT_EQ(StartOfLastCharacters(text, n), fromEnd) << text << " last " << n;
      ASSERT_EQ(SkipCharacters(text, 0, n), n < starts.size() ? starts[n] : text.size()) << text << " skip " << n;
    }
    std::string encoded;
    for (char32_t c : DecodeUtf8OrWindows1252(text)) AppendUtf8(encoded, c);
    ASSERT_EQ(CharacterCount(encoded), starts.size()) << "each character decodes to one character";
  }
}

TEST(Utf8Walk, InvalidFormsAreStrayBytes) {
  struct Case {
    const char* text;
    bool valid;
  };
  const Case cases[] = {
      {"\xC3\xA9", true},         {"\xC0\xAF", false},          // overlong "/"
      {"\xED\x9F\xBF", true},     {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x8F\xBF\xBF", true}, {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"\xE0\xA0\x80", true},     {"\xE0\x9F\xBF", false},      // overlong three bytes
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeAt(c.text, 0).Valid, c.valid) << c.text;
}

// Marks learned on a text are asked again after it has grown, byte by byte across sequences cut at the
// end, and through shorter views of the same bytes; every answer must be what a walk from the start gives.
TEST(Utf8Walk, RememberedMarksAnswerAsAWalkFromTheStart) {
  static const std::string pieces[] = {
      "abc ", "é", "€", "東", "😀", "\xFF", "\x80", "\xE2\x82", "\xF0\x9F\x98", "\xED\xA0\x80", std::string(1, '\0')};
  // Without a stray continuation byte, stretches between marks are counted by their lead bytes.
  constexpr std::size_t kWithoutStrayContinuations = 6;
  std::mt19937 random(7);
  for (int round = 0; round < 8; ++round) {
    std::string whole;
    // Mostly ASCII in one round, mostly sequences and stray bytes in the others; in the last two, only
    // characters and stray lead bytes, with a stray continuation byte about every 20 KB in the very last.
    while (whole.size() < 40000) {
      std::size_t piece = random() % std::size(pieces);
      if (round == 0 && random() % 4) piece = 0;
      if (round >= 6) piece = random() % 20000 == 0 && round == 7 ? 6 : random() % kWithoutStrayContinuations;
      whole += pieces[piece];
    }
    CharacterMarks marks;
    for (std::size_t length = 0; length <= whole.size(); length += 1 + random() % 6) {
      const std::string_view text = std::string_view(whole).substr(0, length);
      // Marks are set with the text ending anywhere, also inside a sequence; answers are checked now and then.
      marks.CountBefore(text, text.size());
      if (random() % 64 != 0) continue;
      for (int ask = 0; ask < 8; ++ask) {
        const std::string_view view = ask < 6 ? text : text.substr(0, random() % (text.size() + 1));
        const std::size_t bytes = random() % (view.size() + 2);
        ASSERT_EQ(marks.CountBefore(view, bytes), CharacterCount(view.substr(0, bytes)))
            << "round " << round << " length " << view.size() << " bytes " << bytes;
        const std::size_t count = random() % (view.size() + 2);
        ASSERT_EQ(marks.Skip(view, count), SkipCharacters(view, 0, count))
            << "round " << round << " length " << view.size() << " count " << count;
        // The same from a character start on the way.
        const std::size_t before = random() % (count + 1);
        ASSERT_EQ(marks.Skip(view, count, SkipCharacters(view, 0, before), before), SkipCharacters(view, 0, count))
            << "round " << round << " length " << view.size() << " count " << count << " from " << before;
      }
    }
  }
}

TEST(CaseMapping, SimpleMappingsKeepStrayBytes) {
  EXPECT_EQ(UpperCase("zoë ǆ \xFF"), "ZOË Ǆ \xFF");
  EXPECT_EQ(LowerCase("İ"), "i");  // one character to one: the simple mapping drops the dot
  // Surrogates, overlong forms and cut sequences stay as they are beside letters that change.
  EXPECT_EQ(UpperCase("\xED\xA0\x80é\xE0\x9F\xBFα\xC3 ὶ\xE1\xBD"), "\xED\xA0\x80É\xE0\x9F\xBFΑ\xC3 Ὶ\xE1\xBD");
  EXPECT_EQ(FoldCase(U'Σ'), FoldCase(U'ς'));
}

// Every character of Unicode, in one text with ASCII runs and stray bytes between them, maps as ICU maps it
// alone: what the mapping copies whole (ASCII runs, characters it keeps) must not differ from what it encodes.
// A character whose mapping takes more or fewer bytes makes the rest be written anew, so the characters that
// keep their length are also mapped in a text of their own, to reach the end without one.
TEST(CaseMapping, EveryCharacterMapsAsIcuMapsItAlone) {
  struct Texts {
    std::string text, upper, lower;
  };
  Texts every;
  Texts sameLength;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string upper = Utf8(static_cast<char32_t>(u_toupper(static_cast<UChar32>(c))));
    const std::string lower = Utf8(static_cast<char32_t>(u_tolower(static_cast<UChar32>(c))));
    const bool keepsLength = upper.size() == Utf8(c).size() && lower.size() == Utf8(c).size();
    for (Texts* t : {&every, &sameLength}) {
      if (t == &sameLength && !keepsLength) continue;
      t->text += Utf8(c), t->upper += upper, t->lower += lower;
      if (c % 4099 == 0) t->text += "\xC3 aZ\xFF", t->upper += "\xC3 AZ\xFF", t->lower += "\xC3 az\xFF";
    }
  }
  for (const Texts* t : {&every, &sameLength}) {
    EXPECT_TRUE(UpperCase(t->text) == t->upper);
    EXPECT_TRUE(LowerCase(t->text) == t->lower);
  }

  // A text of nothing but characters whose capital takes a byte more grows its result again and again.
  std::string grows;
  std::string grown;
  for (int i = 0; i < 1000; ++i) grows += "ɐ", grown += "Ɐ";
  EXPECT_EQ(UpperCase(grows), grown);
  EXPECT_EQ(LowerCase(grown), grows);
}

}  // namespace
}  // namespace tw::text
