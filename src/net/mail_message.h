#pragma once
// Mail messages: composed for sending and read back from a mailbox. All text is UTF-8.

#include <string>
#include <string_view>
#include <vector>

#include "net/net_error.h"

namespace tw::net {

struct OutgoingMail {
  std::string from;                      // "Name <address>" or a bare address; none leaves it to the sender
  std::vector<std::string> to;           // each "Name <address>" or a bare address
  std::string subject;
  std::string body;                      // any line ends
  std::string contentType;               // of the body; "text/plain" when empty; always UTF-8
  std::vector<std::string> attachments;  // files, attached in base64 under their own names
};

enum class LineEnds { Unix, Internet };

// The message with From, To, Subject (encoded where it is not plain ASCII), Date, Message-ID and
// MIME headers. Throws NetError when an address cannot be read or an attachment cannot be opened.
std::string ComposeMail(const OutgoingMail& mail, LineEnds lineEnds);

// The bare address of an address as scripts write it ("Ann <ann@example.org>" gives
// "ann@example.org"); empty when the text holds no address.
std::string BareAddress(std::string_view text);

struct MailHeader {
  std::string from;     // the sender's address, decoded
  std::string subject;  // decoded
};

// Reads the header of a message (as TOP n 0 delivers it) or of a whole message.
MailHeader ReadMailHeader(std::string_view message);
// The decoded text of a message: its first text/plain part that is no attachment (the whole body
// of a message of one part), converted from its character set to UTF-8.
std::string ReadMailText(std::string_view message);

}  // namespace tw::net
