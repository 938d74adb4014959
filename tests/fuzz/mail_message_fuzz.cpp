// Feeds arbitrary bytes as a mail message, as a mailbox may hold one, to the readers of its header and text.
// What they give must be text that reading again does not change: the sender's address is one address.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "net/mail_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view message(reinterpret_cast<const char*>(data), size);
  const tw::net::MailHeader header = tw::net::ReadMailHeader(message);
  tw::net::ReadMailText(message);
  if (!header.from.empty() && header.from.find_first_of("\r\n") == std::string_view::npos) {
    // The address read from a header reads back as itself.
    const std::string again = tw::net::BareAddress(header.from);
    if (!again.empty() && again != header.from) __builtin_trap();
  }
  return 0;
}
