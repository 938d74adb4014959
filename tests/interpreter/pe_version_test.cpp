// Reading the file version of Windows executables from bytes we build ourselves, and surviving
// any damage to them.

#include <gtest/gtest.h>

#include <random>

#include "interpreter/pe_version.h"
#include "pe_image.h"

namespace tw {
namespace {

using test::BuildPeImage;
using test::PeLayout;

std::string VersionText(std::string_view bytes) {
  const std::optional<PeFileVersion> version = ReadPeFileVersion(bytes);
  return version ? version->ToText() : "none";
}

TEST(PeVersion, ReadsTheFixedFileVersionOf32And64BitImages) {
  EXPECT_EQ(VersionText(BuildPeImage(false, 1, 2, 3, 4)), "1.2.3.4");
  EXPECT_EQ(VersionText(BuildPeImage(true, 10, 0, 19041, 65535)), "10.0.19041.65535");
}

TEST(PeVersion, DamagedOrMissingPartsMeanNoVersion) {
  struct Case {
    const char* name;
    std::size_t at;
    std::string bytes;
  };
  const Case cases[] = {
      {"no MZ", 0, "XZ"},
      {"PE header offset outside the file", 0x3C, std::string("\xF0\xFF\xFF\x7F", 4)},
      {"no PE signature", PeLayout::kPeHeader, "NE"},
      {"unknown optional header", PeLayout::kPeHeader + 24, std::string("\x07\x01", 2)},
      {"no version among the resource types", PeLayout::kTypeEntry, std::string("\x03\0\0\0", 4)},
      {"the version type names a data entry", PeLayout::kTypeEntry + 7, std::string("\0", 1)},
      {"no fixed part", PeLayout::kVersionInfo + 2, std::string("\0\0", 2)},
      {"wrong signature of the fixed part", PeLayout::kFixedInfo, "XXXX"},
  };
  for (const Case& c : cases) {
    std::string image = BuildPeImage(false, 1, 2, 3, 4);
    image.replace(c.at, c.bytes.size(), c.bytes);
    EXPECT_EQ(VersionText(image), "none") << c.name;
  }
  EXPECT_EQ(VersionText(""), "none");
  EXPECT_EQ(VersionText("MZ"), "none");
  EXPECT_EQ(VersionText("plain text, not a program"), "none");
}

TEST(PeVersion, NeverReadsPastTheEndOfTheData) {
  const std::string image = BuildPeImage(false, 1, 2, 3, 4);
  for (std::size_t size = 0; size <= image.size(); ++size) {
    // A copy of exactly that size, so a sanitizer sees any read beyond it.
    const std::string cut = image.substr(0, size);
    EXPECT_EQ(VersionText(cut), size >= PeLayout::kEnd ? "1.2.3.4" : "none") << size;
  }
}

TEST(PeVersion, SurvivesRandomDamage) {
  std::mt19937 random(20240305);
  const std::string images[] = {BuildPeImage(false, 1, 2, 3, 4), BuildPeImage(true, 5, 6, 7, 8)};
  for (int round = 0; round < 20000; ++round) {
    std::string image = images[round % 2];
    const int changes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < changes; ++i) {
      const std::size_t at = random() % PeLayout::kEnd;
      image[at] = static_cast<char>(random() % 3 == 0 ? 0xFF : random());
    }
    VersionText(image);  // any answer will do; it must not crash or read out of bounds
  }
}

}  // namespace
}  // namespace tw
