#pragma once
// One conversation with servers through libcurl: a connection cache (so logins and mailbox
// sessions last from one request to the next) and one request at a time. Requests run on the
// calling thread; while they wait, the caller's event loop runs.

#include <curl/curl.h>

#include <string>
#include <vector>

#include "net/net_error.h"

namespace tw::net {

// Limits every client applies: giving up on a server that does not answer.
inline constexpr long kConnectTimeoutSeconds = 15;
inline constexpr long kReplyTimeoutSeconds = 15;
inline constexpr long kNoProgressSeconds = 15;

struct RequestOutcome {
  CURLcode code = CURLE_OK;
  std::string message;  // curl's description of a failure, with detail where curl gives it
  bool ok() const { return code == CURLE_OK; }
};

class CurlSession {
 public:
  // protocols: the URL schemes this session may use, as curl names them ("ftp", "http,https").
  explicit CurlSession(std::string protocols);
  ~CurlSession();
  CurlSession(const CurlSession&) = delete;
  CurlSession& operator=(const CurlSession&) = delete;

  // The request handle, reset to the common settings: time-outs, certificates, the permitted
  // protocols, and collection of the server's reply lines. Set the request's own options on it.
  CURL* prepare();
  // Runs the prepared request to its end. Throws TransferAborted when keepWaiting says so.
  RequestOutcome perform(const KeepWaiting& keepWaiting);
  // Ends every open connection, politely (QUIT and the like) where it is still alive.
  void close();
  // Ends every open connection without a word to the server.
  void drop();

  // The server's reply lines of the last request, line ends removed: the header lines of HTTP,
  // the command replies of FTP, SMTP and POP3.
  const std::vector<std::string>& replies() const { return replies_; }
  std::string lastReply() const { return replies_.empty() ? std::string() : replies_.back(); }
  bool busy() const { return busy_; }
  // The handle of the last request, for what curl tells of it (curl_easy_getinfo).
  CURL* lastRequest() const { return easy_; }

 private:
  static std::size_t CollectReply(char* data, std::size_t size, std::size_t count, void* self);
  static curl_socket_t OpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address);
  static int CloseSocket(void* self, curl_socket_t socket);
  void ensureHandles();

  std::string protocols_;
  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
  char errorText_[CURL_ERROR_SIZE] = {};
  std::vector<std::string> replies_;
  std::vector<curl_socket_t> sockets_;  // every socket open for this session's connections
  bool busy_ = false;
};

// A write callback that appends what arrives to the std::string given as its data; a string that cannot
// grow (no memory) ends the request.
std::size_t AppendToString(char* data, std::size_t size, std::size_t count, void* text);

// The certificate bundle named by CURL_CA_BUNDLE or SSL_CERT_FILE; empty: the system's store.
std::string CertificateBundle();

}  // namespace tw::net
