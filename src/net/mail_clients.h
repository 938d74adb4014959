#pragma once
// SMTP and POP3 sessions: each keeps its connection from one request to the next, so a POP3
// mailbox stays locked and its deletions wait for the goodbye, as the protocol has it.

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "net/curl_session.h"

namespace tw::net {

struct MailServer {
  std::string host;
  int port = 0;
  bool tls = false;  // TLS from the first byte (smtps, pop3s); certificates are checked
};

class SmtpClient {
 public:
  SmtpClient();
  void setServer(MailServer server);
  // Greets the server; false when it cannot be reached or does not answer.
  bool connect(const KeepWaiting& keepWaiting);
  void disconnect();
  bool connected() const { return connected_; }
  bool busy() const { return session_.busy(); }
  // Hands a composed message to the server for every recipient (bare addresses), connecting as
  // needed. Throws NetError, with the server's reply, when the server takes it for no one or
  // refuses a recipient.
  void send(std::string_view sender, const std::vector<std::string>& recipients, std::string_view message,
            const KeepWaiting& keepWaiting);

 private:
  void setCommon(CURL* handle);

  CurlSession session_;
  MailServer server_;
  bool connected_ = false;
};

class Pop3Client {
 public:
  Pop3Client();
  void setServer(MailServer server, std::string user, std::string password);
  // Logs in and reads the number of messages; false when the server cannot be reached or refuses
  // the login.
  bool connect(const KeepWaiting& keepWaiting);
  // Says goodbye: messages marked deleted are removed now.
  void disconnect();
  bool connected() const { return connected_; }
  bool busy() const { return session_.busy(); }
  // The number of messages when the session began.
  int countAtLogin() const { return highest_; }

  // The number of messages (those marked deleted left out). Throws NetError.
  int count(const KeepWaiting& keepWaiting);
  // The header of message n, or its whole text; nothing when there is no such message.
  std::optional<std::string> header(int n, const KeepWaiting& keepWaiting);
  std::optional<std::string> message(int n, const KeepWaiting& keepWaiting);
  // Marks message n deleted; false when there is no such message.
  bool markDeleted(int n, const KeepWaiting& keepWaiting);

 private:
  // Messages of this session are 1 to the count at login, less those marked deleted. Asking the
  // server about another one would make it close the session and lose the marks.
  bool exists(int n) const { return n >= 1 && n <= highest_ && !deleted_.count(n); }
  void setCommon(CURL* handle, const std::string& path);
  // Runs a request; false when the server answered "-ERR", NetError for other failures.
  bool request(const KeepWaiting& keepWaiting);

  CurlSession session_;
  MailServer server_;
  std::string user_, password_;
  bool connected_ = false;
  int highest_ = 0;
  std::set<int> deleted_;
};

}  // namespace tw::net
