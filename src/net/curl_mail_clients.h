#pragma once
// The SMTP and POP3 sessions on libcurl.

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "net/curl_session.h"
#include "net/mail_clients.h"

namespace tw::net {

class CurlSmtpClient final : public SmtpClient {
 public:
  CurlSmtpClient();
  void setServer(MailServer server) override;
  bool connect(const KeepWaiting& keepWaiting) override;
  void disconnect() override;
  bool connected() const override { return connected_; }
  bool busy() const override { return session_.busy(); }
  void send(std::string_view sender, const std::vector<std::string>& recipients, std::string_view message,
            const KeepWaiting& keepWaiting) override;

 private:
  void setCommon(CURL* handle);

  CurlSession session_;
  MailServer server_;
  bool connected_ = false;
};

class CurlPop3Client final : public Pop3Client {
 public:
  CurlPop3Client();
  void setServer(MailServer server, std::string user, std::string password) override;
  bool connect(const KeepWaiting& keepWaiting) override;
  void disconnect() override;
  bool connected() const override { return connected_; }
  bool busy() const override { return session_.busy(); }
  int countAtLogin() const override { return highest_; }

  int count(const KeepWaiting& keepWaiting) override;
  std::optional<std::string> header(int n, const KeepWaiting& keepWaiting) override;
  std::optional<std::string> message(int n, const KeepWaiting& keepWaiting) override;
  bool markDeleted(int n, const KeepWaiting& keepWaiting) override;

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
