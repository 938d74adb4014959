#include <gtest/gtest.h>

#include "port/keys.h"

namespace tw::port {
namespace {

TEST(Keys, CharactersMapToTheirKeysyms) {
  const struct {
    char32_t character;
    KeySym keysym;
  } cases[] = {
      {U'a', 0x61},          {U'~', 0x7e},           {U' ', keys::kSpace},     {U'é', 0xe9},
      {U'ÿ', 0xff},          {U'€', 0x10020ac},      {U'😀', 0x101f600},       {U'\n', keys::kEnter},
      {U'\r', keys::kEnter}, {U'\t', keys::kTab},    {U'\b', keys::kBackspace}, {0x1b, keys::kEscape},
      {0x01, keys::kNone},   {0x7f, keys::kNone},    {0x85, keys::kNone},      {0xd800, keys::kNone},
      {0x110000, keys::kNone},
  };
  for (const auto& c : cases)
    EXPECT_EQ(keysymForCharacter(c.character), c.keysym) << "U+" << std::hex << static_cast<unsigned>(c.character);
}

TEST(Keys, NamesAreReadable) {
  EXPECT_EQ(keyName(keys::kControl), "Control");
  EXPECT_EQ(keyName(keys::kPageDown), "PageDown");
  EXPECT_EQ(keyName(keys::function(12)), "F12");
  EXPECT_EQ(keyName('q'), "q");
  EXPECT_EQ(keyName(keys::kSpace), "Space");
  EXPECT_EQ(keyName(0xe9), "U+00E9");
  EXPECT_EQ(keyName(0x10020ac), "U+20AC");
}

}  // namespace
}  // namespace tw::port
