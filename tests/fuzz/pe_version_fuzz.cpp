// Feeds arbitrary bytes to the reader of Windows file versions. Start it with a seed corpus of
// small PE images (the unit tests build them) to reach the resource tree quickly.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "interpreter/pe_version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (const auto version = tw::ReadPeFileVersion(bytes)) (void)version->ToText();
  return 0;
}
