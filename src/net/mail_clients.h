#pragma once
// SMTP and POP3 sessions: each keeps its connection from one request to the next, so a POP3
// mailbox stays locked and its deletions wait for the goodbye, as the protocol has it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/net_error.h"

namespace tw::net {

struct MailServer {
  std::string host;
  int port = 0;
  bool tls = false;  // TLS from the first byte (smtps, pop3s); certificates are checked
};

class SmtpClient {
 public:
  virtual ~SmtpClient() = default;
  virtual void setServer(MailServer server) = 0;
  // Greets the server; false when it cannot be reached or does not answer.
  virtual bool connect(const KeepWaiting& keepWaiting) = 0;
  virtual void disconnect() = 0;
  virtual bool connected() const = 0;
  virtual bool busy() const = 0;
  // Hands a composed message to the server for every recipient (bare addresses), connecting as
  // needed. Throws NetError, with the server's reply, when the server takes it for no one or
  // refuses a recipient.
  virtual void send(std::string_view sender, const std::vector<std::string>& recipients, std::string_view message,
                    const KeepWaiting& keepWaiting) = 0;
};

class Pop3Client {
 public:
  virtual ~Pop3Client() = default;
  virtual void setServer(MailServer server, std::string user, std::string password) = 0;
  // Logs in and reads the number of messages; false when the server cannot be reached or refuses
  // the login.
  virtual bool connect(const KeepWaiting& keepWaiting) = 0;
  // Says goodbye: messages marked deleted are removed now.
  virtual void disconnect() = 0;
  virtual bool connected() const = 0;
  virtual bool busy() const = 0;
  // The number of messages when the session began.
  virtual int countAtLogin() const = 0;

  // The number of messages (those marked deleted left out). Throws NetError.
  virtual int count(const KeepWaiting& keepWaiting) = 0;
  // The header of message n, or its whole text; nothing when there is no such message.
  virtual std::optional<std::string> header(int n, const KeepWaiting& keepWaiting) = 0;
  virtual std::optional<std::string> message(int n, const KeepWaiting& keepWaiting) = 0;
  // Marks message n deleted; false when there is no such message.
  virtual bool markDeleted(int n, const KeepWaiting& keepWaiting) = 0;
};

}  // namespace tw::net
