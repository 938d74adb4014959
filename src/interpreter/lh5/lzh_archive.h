#pragma once
// Just enough of the LHA archive format to hand our streams to other archivers and to take theirs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tw::lh5 {

// CRC-16 with polynomial 0x8005, reflected, initial value 0: the checksum LHA archives carry.
std::uint16_t crc16(std::string_view data);

// An archive with one file in a level-0 header, followed by the end-of-archive byte.
std::string level0Archive(std::string_view name, std::string_view original, std::string_view stream);

struct ArchiveEntry {
  std::string method;  // e.g. "-lh5-"
  std::size_t originalSize = 0;
  std::uint16_t crc = 0;
  std::string data;  // the compressed data, without extended headers
};

// The first entry of an archive whose header is of level 0, 1 or 2. Throws std::runtime_error when the
// archive is malformed.
ArchiveEntry firstEntry(std::string_view archive);

}  // namespace tw::lh5
