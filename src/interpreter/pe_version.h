#pragma once
// The file version of a Windows executable or library (PE format): the fixed part of its version
// resource. The reader trusts nothing in the file: every offset and size is checked against the
// data, so arbitrary bytes give "no version", never a crash.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

// Random access to the bytes of a file (or of memory, in tests).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Copies size bytes from offset; false when they are not all there.
  virtual bool Read(std::uint64_t offset, void* out, std::size_t size) = 0;
};

struct PeFileVersion {
  std::uint16_t Major = 0, Minor = 0, Release = 0, Build = 0;
  std::string ToText() const;  // "major.minor.release.build"
};

// Nothing when the data is no PE file or has no version resource with a fixed part.
std::optional<PeFileVersion> ReadPeFileVersion(ByteSource& source);
std::optional<PeFileVersion> ReadPeFileVersion(std::string_view bytes);

// Nothing also when the file cannot be read; errno tells whether it was there at all.
std::optional<PeFileVersion> ReadPeFileVersionOfFile(const std::string& path, int& error);

}  // namespace tw
