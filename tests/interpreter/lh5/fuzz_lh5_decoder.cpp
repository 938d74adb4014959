// libFuzzer target for the -lh5- decoder. The first three bytes give the output size (little-endian,
// capped at 1 MiB); the rest is the stream. Any outcome but the stated size or CorruptData is a fault.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "interpreter/lh5/lh5.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::size_t originalSize =
      (std::size_t{data[0]} | (std::size_t{data[1]} << 8) | (std::size_t{data[2]} << 16)) % ((std::size_t{1} << 20) + 1);
  const std::string_view stream(reinterpret_cast<const char*>(data + 3), size - 3);
  try {
    if (tw::lh5::decompress(stream, originalSize).size() != originalSize) std::abort();
  } catch (const tw::lh5::CorruptData&) {
  }
  return 0;
}
