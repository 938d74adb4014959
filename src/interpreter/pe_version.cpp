#include "interpreter/pe_version.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "interpreter/file_system.h"

namespace tw {

namespace {

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000;
constexpr std::size_t kSectionHeaderSize = 40;

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Section {
  std::uint32_t VirtualAddress;
  std::uint32_t RawSize;
  std::uint32_t RawOffset;
};

class PeReader {
 public:
  explicit PeReader(ByteSource& source) : source_(source) {}

  std::optional<PeFileVersion> Version() {
    std::uint64_t resourceRva = 0;
    if (!ReadHeaders(resourceRva)) return std::nullopt;
    // Three levels: type, name, language. We take RT_VERSION, then the first name and the
    // first language, as the system loader does for a neutral request.
    std::uint32_t entry = 0;
    if (!FindEntry(resourceRva, true, kRtVersion, entry)) return std::nullopt;
    if (!FindEntry(resourceRva + (entry & ~kSubdirectoryFlag), true, std::nullopt, entry))
      return std::nullopt;
    if (!FindEntry(resourceRva + (entry & ~kSubdirectoryFlag), false, std::nullopt, entry))
      return std::nullopt;
    unsigned char dataEntry[16];
    if (!ReadRva(resourceRva + entry, dataEntry, sizeof dataEntry)) return std::nullopt;
    return FixedInfo(U32(dataEntry), U32(dataEntry + 4));
  }

 private:
  bool ReadHeaders(std::uint64_t& resourceRva) {
    unsigned char dos[64];
    if (!source_.Read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    const std::uint64_t pe = U32(dos + 0x3C);
    unsigned char file[24];
    if (!source_.Read(pe, file, sizeof file) || std::memcmp(file, "PE\0\0", 4) != 0) return false;
    const std::size_t sectionCount = U16(file + 6);
    const std::size_t optionalSize = U16(file + 20);
    std::vector<unsigned char> optional(optionalSize);
    if (optionalSize < 2 || !source_.Read(pe + 24, optional.data(), optionalSize)) return false;
    std::size_t countAt;
    switch (U16(optional.data())) {
      case 0x10B: countAt = 92; break;   // PE32
      case 0x20B: countAt = 108; break;  // PE32+
      default: return false;
    }
    const std::size_t resourceAt = countAt + 4 + 2 * 8;  // the third data directory
    if (optionalSize < resourceAt + 8 || U32(optional.data() + countAt) < 3) return false;
    resourceRva = U32(optional.data() + resourceAt);
    if (resourceRva == 0) return false;

    std::vector<unsigned char> table(sectionCount * kSectionHeaderSize);
    if (!source_.Read(pe + 24 + optionalSize, table.data(), table.size())) return false;
    for (std::size_t i = 0; i < sectionCount; ++i) {
      const unsigned char* header = table.data() + i * kSectionHeaderSize;
      sections_.push_back({U32(header + 12), U32(header + 16), U32(header + 20)});
    }
    return true;
  }

  // Reads bytes by their address in the loaded image; only bytes the file holds count.
  bool ReadRva(std::uint64_t rva, void* out, std::size_t size) {
    for (const Section& section : sections_) {
      if (rva < section.VirtualAddress) continue;
      const std::uint64_t into = rva - section.VirtualAddress;
      if (into >= section.RawSize || size > section.RawSize - into) continue;
      return source_.Read(section.RawOffset + into, out, size);
    }
    return false;
  }

  // Finds in the resource directory at `directory` the entry with the given id (or the first
  // one) whose kind (subdirectory or data) is as wanted; entry receives its offset field.
  bool FindEntry(std::uint64_t directory, bool subdirectory, std::optional<std::uint32_t> id,
                 std::uint32_t& entry) {
    unsigned char header[16];
    if (!ReadRva(directory, header, sizeof header)) return false;
    const std::size_t count = static_cast<std::size_t>(U16(header + 12)) + U16(header + 14);
    std::vector<unsigned char> entries(count * 8);
    if (count == 0 || !ReadRva(directory + 16, entries.data(), entries.size())) return false;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t name = U32(entries.data() + i * 8);
      const std::uint32_t offset = U32(entries.data() + i * 8 + 4);
      if (id && name != *id) continue;  // named entries have the high bit set and never match
      if (((offset & kSubdirectoryFlag) != 0) != subdirectory) continue;
      entry = offset;
      return true;
    }
    return false;
  }

  // VS_VERSIONINFO: lengths and type (6 bytes), the key "VS_VERSION_INFO" in UTF-16 with its
  // terminator (32 bytes), padding to 40, then VS_FIXEDFILEINFO (52 bytes).
  std::optional<PeFileVersion> FixedInfo(std::uint32_t rva, std::uint32_t size) {
    constexpr std::size_t kFixedAt = 40, kFixedSize = 52;
    unsigned char data[kFixedAt + kFixedSize];
    if (size < sizeof data || !ReadRva(rva, data, sizeof data)) return std::nullopt;
    if (U16(data + 2) < kFixedSize || U32(data + kFixedAt) != kFixedInfoSignature) return std::nullopt;
    const std::uint32_t high = U32(data + kFixedAt + 8), low = U32(data + kFixedAt + 12);
    return PeFileVersion{static_cast<std::uint16_t>(high >> 16), static_cast<std::uint16_t>(high),
                         static_cast<std::uint16_t>(low >> 16), static_cast<std::uint16_t>(low)};
  }

  ByteSource& source_;
  std::vector<Section> sections_;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool Read(std::uint64_t offset, void* out, std::size_t size) override {
    if (offset > bytes_.size() || size > bytes_.size() - offset) return false;
    if (size) std::memcpy(out, bytes_.data() + offset, size);
    return true;
  }

 private:
  std::string_view bytes_;
};

class FileSource : public ByteSource {
 public:
  FileSource(const OpenFile& file, std::uint64_t size) : file_(file), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  bool Read(std::uint64_t offset, void* out, std::size_t size) override {
    if (offset > size_ || size > size_ - offset) return false;
    return file_.ReadAt(offset, out, size);
  }

 private:
  const OpenFile& file_;
  std::uint64_t size_;
};

}  // namespace

std::string PeFileVersion::ToText() const {
  return std::to_string(Major) + '.' + std::to_string(Minor) + '.' + std::to_string(Release) + '.' +
         std::to_string(Build);
}

std::optional<PeFileVersion> ReadPeFileVersion(ByteSource& source) { return PeReader(source).Version(); }

std::optional<PeFileVersion> ReadPeFileVersion(std::string_view bytes) {
  MemorySource source(bytes);
  return ReadPeFileVersion(source);
}

std::optional<PeFileVersion> ReadPeFileVersionOfFile(const std::string& path, int& error) {
  error = 0;
  // Not waiting: a FIFO or device must not stall the script; only regular files are read.
  const OpenFile file(path, OpenFile::Access::ReadNoWait);
  if (!file.IsOpen()) {
    error = errno;
    return std::nullopt;
  }
  std::optional<PeFileVersion> version;
  const std::optional<FileStatus> status = file.Status();
  if (status && status->regular) {
    FileSource source(file, static_cast<std::uint64_t>(status->size));
    version = ReadPeFileVersion(source);
  }
  return version;
}

}  // namespace tw
