// Feeds arbitrary bytes to the settings-file reader. Whatever it reads, writing it out and reading that
// again must give the same text, and a key written into it must read back as written.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "interpreter/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tw::IniFile ini = tw::IniFile::Parse(bytes);
  const std::string text = ini.Text();
  if (tw::IniFile::Parse(text).Text() != text) std::abort();
  for (const std::string& section : ini.Sections())
    for (const std::string& key : ini.Keys(section))
      if (!ini.Value(section, key)) std::abort();

  // The last line of the input (without line breaks) as a value.
  const std::size_t cut = bytes.find_last_of("\r\n");
  const std::string value(cut == std::string_view::npos ? bytes : bytes.substr(cut + 1));
  ini.WriteString("Fuzz Section", "Fuzz.Key", value);
  const tw::IniFile again = tw::IniFile::Parse(ini.Text());
  if (again.Value("fuzz section", "FUZZ.KEY") != value) std::abort();
  return 0;
}
