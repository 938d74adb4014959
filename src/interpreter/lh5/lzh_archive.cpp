#include "interpreter/lh5/lzh_archive.h"

#include <stdexcept>

namespace tw::lh5 {

namespace {

void putLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t getLe(std::string_view in, std::size_t at, int bytes) {
  if (at + static_cast<std::size_t>(bytes) > in.size()) throw std::runtime_error("archive header cut short");
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
  return value;
}

}  // namespace

std::uint16_t crc16(std::string_view data) {
  std::uint16_t crc = 0;
  for (char c : data) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
  }
  return crc;
}

std::string level0Archive(std::string_view name, std::string_view original, std::string_view stream) {
  std::string header = "-lh5-";
  putLe(header, static_cast<std::uint32_t>(stream.size()), 4);
  putLe(header, static_cast<std::uint32_t>(original.size()), 4);
  putLe(header, 0x5A216000u, 4);  // MS-DOS time stamp: 2025-01-01 12:00
  header += '\x20';               // attribute: archive
  header += '\x00';               // header level
  header += static_cast<char>(name.size());
  header += name;
  putLe(header, crc16(original), 2);
  unsigned sum = 0;
  for (char c : header) sum += static_cast<unsigned char>(c);
  std::string archive;
  archive += static_cast<char>(header.size());
  archive += static_cast<char>(sum & 0xFF);
  archive += header;
  archive += stream;
  archive += '\0';
  return archive;
}

ArchiveEntry firstEntry(std::string_view archive) {
  if (archive.size() < 22) throw std::runtime_error("archive too short");
  ArchiveEntry entry;
  entry.method = std::string(archive.substr(2, 5));
  std::size_t packed = getLe(archive, 7, 4);
  entry.originalSize = getLe(archive, 11, 4);
  const unsigned level = static_cast<unsigned char>(archive[20]);
  std::size_t dataStart = 0;
  if (level == 0 || level == 1) {
    const std::size_t nameLength = static_cast<unsigned char>(archive[21]);
    entry.crc = static_cast<std::uint16_t>(getLe(archive, 22 + nameLength, 2));
    dataStart = static_cast<unsigned char>(archive[0]) + std::size_t{2};
    if (level == 1) {
      // Extended headers follow the base header; their sizes count towards the packed size.
      std::size_t next = getLe(archive, dataStart - 2, 2);
      while (next != 0) {
        if (next > packed) throw std::runtime_error("extended header larger than the entry");
        packed -= next;
        dataStart += next;
        next = getLe(archive, dataStart - 2, 2);
      }
    }
  } else if (level == 2) {
    entry.crc = static_cast<std::uint16_t>(getLe(archive, 21, 2));
    dataStart = getLe(archive, 0, 2);
  } else {
    throw std::runtime_error("unknown header level");
  }
  if (dataStart + packed > archive.size()) throw std::runtime_error("entry data cut short");
  entry.data = std::string(archive.substr(dataStart, packed));
  return entry;
}

}  // namespace tw::lh5
