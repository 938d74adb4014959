// Feeds arbitrary text to the reader of connection strings and checks that no password it finds survives in
// a message that repeats the whole string.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "commands/connection_string.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const tw::TConnectionString parsed = tw::ParseConnectionString(text);
  const std::string shown = tw::WithoutSecrets("failed: " + parsed.Odbc, parsed.Secrets);
  for (const std::string& secret : parsed.Secrets)
    if (secret.size() >= 4 && secret.find("***") == std::string::npos && shown.find(secret) != std::string::npos)
      std::abort();
  return 0;
}
