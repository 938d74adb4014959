// Feeds arbitrary bytes to the enhanced dialog reader. Whatever it reads, what it writes must read again and
// write the same lines: write(read(write(read(x)))) equals write(read(x)).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "dialogs/dialog_test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tw::test::DialogFixture f;
  if (!f.Read(bytes)) return 0;
  const std::string once = f.Written();
  if (!f.Read(once)) std::abort();
  if (f.Written() != once) std::abort();
  return 0;
}
