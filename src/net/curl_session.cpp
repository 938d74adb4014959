#include "net/curl_session.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>

namespace tw::net {

namespace {

// How long one wait for the network may keep the caller's event loop from running. Network
// traffic ends a wait at once; this only bounds how late a timer of the caller fires.
constexpr int kLongestWaitMs = 10;
// While data streams in, the event loop still runs this often.
constexpr auto kPumpInterval = std::chrono::milliseconds(5);
// Large reads and writes: fewer rounds through the loop for bulk transfers.
constexpr long kBufferBytes = 256 * 1024;

void InitialiseCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

std::size_t AppendToString(char* data, std::size_t size, std::size_t count, void* text) {
  // Nothing may be thrown through curl.
  try {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
  } catch (const std::exception&) {
    return 0;
  }
}

std::string CertificateBundle() {
  for (const char* name : {"CURL_CA_BUNDLE", "SSL_CERT_FILE"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return {};
}

CurlSession::CurlSession(std::string protocols) : protocols_(std::move(protocols)) {}

CurlSession::~CurlSession() { close(); }

void CurlSession::ensureHandles() {
  InitialiseCurl();
  if (!multi_) multi_ = curl_multi_init();
  if (!easy_) easy_ = curl_easy_init();
  if (!multi_ || !easy_) throw NetError("The network library could not be initialised");
}

std::size_t CurlSession::CollectReply(char* data, std::size_t size, std::size_t count, void* self) {
  const std::size_t length = size * count;
  try {
    std::string line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    static_cast<CurlSession*>(self)->replies_.push_back(std::move(line));
    return length;
  } catch (const std::exception&) {
    return 0;
  }
}

curl_socket_t CurlSession::OpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
  const curl_socket_t socket = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
  if (socket != CURL_SOCKET_BAD) static_cast<CurlSession*>(self)->sockets_.push_back(socket);
  return socket;
}

int CurlSession::CloseSocket(void* self, curl_socket_t socket) {
  auto& sockets = static_cast<CurlSession*>(self)->sockets_;
  sockets.erase(std::remove(sockets.begin(), sockets.end(), socket), sockets.end());
  return ::close(socket);
}

CURL* CurlSession::prepare() {
  if (busy_) throw NetError("The connection is busy with another request");
  ensureHandles();
  curl_easy_reset(easy_);
  replies_.clear();
  errorText_[0] = '\0';
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorText_);
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, protocols_.c_str());
  curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, protocols_.c_str());
  // Only a proxy the script names: none from the environment.
  curl_easy_setopt(easy_, CURLOPT_PROXY, "");
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(easy_, CURLOPT_SERVER_RESPONSE_TIMEOUT, kReplyTimeoutSeconds);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, kNoProgressSeconds);
  curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, kBufferBytes);
  curl_easy_setopt(easy_, CURLOPT_UPLOAD_BUFFERSIZE, kBufferBytes);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlSession::CollectReply);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_OPENSOCKETFUNCTION, &CurlSession::OpenSocket);
  curl_easy_setopt(easy_, CURLOPT_OPENSOCKETDATA, this);
  curl_easy_setopt(easy_, CURLOPT_CLOSESOCKETFUNCTION, &CurlSession::CloseSocket);
  curl_easy_setopt(easy_, CURLOPT_CLOSESOCKETDATA, this);
  const std::string bundle = CertificateBundle();
  if (!bundle.empty()) curl_easy_setopt(easy_, CURLOPT_CAINFO, bundle.c_str());
  return easy_;
}

RequestOutcome CurlSession::perform(const KeepWaiting& keepWaiting) {
  ensureHandles();
  struct Busy {
    explicit Busy(bool& flag) : flag_(flag) { flag_ = true; }
    ~Busy() { flag_ = false; }
    bool& flag_;
  } busy(busy_);
  if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) throw NetError("The request could not be started");
  auto lastPump = std::chrono::steady_clock::now();
  for (;;) {
    int running = 0;
    const CURLMcode step = curl_multi_perform(multi_, &running);
    if (step != CURLM_OK) {
      curl_multi_remove_handle(multi_, easy_);
      throw NetError(curl_multi_strerror(step));
    }
    if (running == 0) break;
    int ready = 0;
    curl_multi_poll(multi_, nullptr, 0, kLongestWaitMs, &ready);
    const auto now = std::chrono::steady_clock::now();
    if (ready == 0 || now - lastPump >= kPumpInterval) {
      lastPump = now;
      if (keepWaiting && !keepWaiting()) {
        curl_multi_remove_handle(multi_, easy_);
        throw TransferAborted();
      }
    }
  }
  RequestOutcome outcome;
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &queued))
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) outcome.code = message->data.result;
  curl_multi_remove_handle(multi_, easy_);
  if (!outcome.ok()) outcome.message = errorText_[0] ? errorText_ : curl_easy_strerror(outcome.code);
  return outcome;
}

void CurlSession::close() {
  if (easy_) curl_easy_cleanup(easy_);
  if (multi_) curl_multi_cleanup(multi_);
  easy_ = nullptr;
  multi_ = nullptr;
}

void CurlSession::drop() {
  // Shut the sockets down first, so that closing finds them dead and says nothing more.
  for (curl_socket_t socket : sockets_) ::shutdown(socket, SHUT_RDWR);
  close();
}

}  // namespace tw::net
