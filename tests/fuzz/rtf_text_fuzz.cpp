// Feeds arbitrary bytes to the RTF reader: it either gives text or refuses with RtfError, never crashes, and
// its text never outgrows what the document could spell (each input byte yields at most a few output bytes).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "commands/rtf_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string document = "{\\rtf1";
  document.append(reinterpret_cast<const char*>(data), size);
  try {
    const std::string text = tw::RtfToText(document);
    // The widest expansion: one byte of a single-byte page into three bytes of UTF-8, or "\par" into CR LF.
    if (text.size() > 4 * document.size()) std::abort();
  } catch (const tw::RtfError&) {
  }
  return 0;
}
