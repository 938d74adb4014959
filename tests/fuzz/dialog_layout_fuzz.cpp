// Feeds arbitrary bytes, one definition line per input line, to the text-layout builder. Whatever it builds
// converts into an enhanced definition that reads back and then writes itself unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "dialogs/dialog_test_support.h"
#include "files/file_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tw::test::DialogFixture f;
  for (std::string_view line : tw::SplitLines(bytes)) f.dialog.Definition.emplace_back(line);
  if (!f.dialog.ConvertLayoutDefinition()) return 0;
  std::string converted;
  for (const std::string& line : f.dialog.Definition) converted += line + "\r\n";
  if (!f.Read(converted)) std::abort();
  const std::string once = f.Written();
  if (!f.Read(once)) std::abort();
  if (f.Written() != once) std::abort();
  return 0;
}
