#pragma once
// A small Windows executable image, built byte by byte: headers, one resource section and a
// version resource whose fixed part holds the given file version.

#include <cstdint>
#include <cstring>
#include <string>

namespace tw::test {

struct PeLayout {
  // Where the pieces lie in the image, so tests can damage them on purpose.
  static constexpr std::size_t kPeHeader = 0x40;
  static constexpr std::size_t kResources = 0x200;  // file offset of the section; its address is 0x1000
  static constexpr std::size_t kTypeEntry = kResources + 16;
  static constexpr std::size_t kVersionInfo = kResources + 0x58;
  static constexpr std::size_t kFixedInfo = kVersionInfo + 40;
  static constexpr std::size_t kEnd = kFixedInfo + 52;  // the last byte the version needs, plus one
};

inline std::string BuildPeImage(bool pe32Plus, std::uint16_t major, std::uint16_t minor,
                                std::uint16_t release, std::uint16_t build) {
  std::string image(0x400, '\0');
  auto put16 = [&](std::size_t at, std::uint32_t v) {
    image[at] = static_cast<char>(v & 0xFF);
    image[at + 1] = static_cast<char>(v >> 8 & 0xFF);
  };
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  image[0] = 'M';
  image[1] = 'Z';
  put32(0x3C, PeLayout::kPeHeader);
  std::memcpy(&image[PeLayout::kPeHeader], "PE\0\0", 4);
  const std::size_t coff = PeLayout::kPeHeader + 4;
  put16(coff, pe32Plus ? 0x8664 : 0x14C);  // machine
  put16(coff + 2, 1);                      // one section
  const std::uint16_t optionalSize = pe32Plus ? 240 : 224;
  put16(coff + 16, optionalSize);
  const std::size_t optional = coff + 20;
  put16(optional, pe32Plus ? 0x20B : 0x10B);
  const std::size_t countAt = optional + (pe32Plus ? 108 : 92);
  put32(countAt, 16);                       // data directories
  put32(countAt + 4 + 2 * 8, 0x1000);       // resources: address
  put32(countAt + 4 + 2 * 8 + 4, 0x100);    // and size
  const std::size_t section = optional + optionalSize;
  std::memcpy(&image[section], ".rsrc", 5);
  put32(section + 8, 0x100);    // virtual size
  put32(section + 12, 0x1000);  // virtual address
  put32(section + 16, 0x200);   // size in the file
  put32(section + 20, PeLayout::kResources);

  const std::size_t r = PeLayout::kResources;
  // type RT_VERSION -> name 1 -> language 0x409 -> data entry
  put16(r + 14, 1);
  put32(r + 16, 16);
  put32(r + 20, 0x80000000u | 0x18);
  put16(r + 0x18 + 14, 1);
  put32(r + 0x18 + 16, 1);
  put32(r + 0x18 + 20, 0x80000000u | 0x30);
  put16(r + 0x30 + 14, 1);
  put32(r + 0x30 + 16, 0x409);
  put32(r + 0x30 + 20, 0x48);
  put32(r + 0x48, 0x1000 + 0x58);  // address of the data
  put32(r + 0x48 + 4, 92);         // its size

  const std::size_t v = PeLayout::kVersionInfo;
  put16(v, 92);
  put16(v + 2, 52);
  const char* key = "VS_VERSION_INFO";
  for (std::size_t i = 0; key[i]; ++i) put16(v + 6 + 2 * i, static_cast<unsigned char>(key[i]));
  const std::size_t f = PeLayout::kFixedInfo;
  put32(f, 0xFEEF04BD);
  put32(f + 4, 0x10000);
  put32(f + 8, static_cast<std::uint32_t>(major) << 16 | minor);
  put32(f + 12, static_cast<std::uint32_t>(release) << 16 | build);
  return image;
}

}  // namespace tw::test
