#include "net/curl_mail_clients.h"

#include <cstdlib>
#include <cstring>

#include "net/server_address.h"

namespace tw::net {

namespace {

struct Upload {
  std::string_view data;
  std::size_t sent = 0;
};

std::size_t ReadUpload(char* buffer, std::size_t size, std::size_t count, void* source) {
  auto* upload = static_cast<Upload*>(source);
  const std::size_t length = std::min(size * count, upload->data.size() - upload->sent);
  std::memcpy(buffer, upload->data.data() + upload->sent, length);
  upload->sent += length;
  return length;
}


std::string FailureText(const RequestOutcome& outcome, const std::string& reply) {
  const bool errorReply = !reply.empty() && (reply[0] == '4' || reply[0] == '5' || reply.rfind("-ERR", 0) == 0);
  return errorReply ? outcome.message + " (" + reply + ")" : outcome.message;
}

}  // namespace

// ---- SMTP ------------------------------------------------------------------------------------

CurlSmtpClient::CurlSmtpClient() : session_("smtp,smtps") {}

void CurlSmtpClient::setServer(MailServer server) {
  disconnect();
  server_ = std::move(server);
}

void CurlSmtpClient::setCommon(CURL* handle) {
  const std::string url = ServerUrl(server_.tls ? "smtps" : "smtp", server_.host, server_.port, "/");
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
}

bool CurlSmtpClient::connect(const KeepWaiting& keepWaiting) {
  disconnect();
  CURL* handle = session_.prepare();
  setCommon(handle);
  curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, "NOOP");
  curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  connected_ = session_.perform(keepWaiting).ok();
  if (!connected_) session_.close();
  return connected_;
}

void CurlSmtpClient::disconnect() {
  connected_ = false;
  session_.close();
}

void CurlSmtpClient::send(std::string_view sender, const std::vector<std::string>& recipients, std::string_view message,
                          const KeepWaiting& keepWaiting) {
  CURL* handle = session_.prepare();
  setCommon(handle);
  const std::string from = "<" + std::string(sender) + ">";
  curl_easy_setopt(handle, CURLOPT_MAIL_FROM, from.c_str());
  curl_slist* to = nullptr;
  for (const std::string& recipient : recipients) to = curl_slist_append(to, ("<" + recipient + ">").c_str());
  struct Freer {
    ~Freer() { curl_slist_free_all(list); }
    curl_slist* list;
  } freer{to};
  curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, to);
  Upload upload{message};
  curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(handle, CURLOPT_READFUNCTION, &ReadUpload);
  curl_easy_setopt(handle, CURLOPT_READDATA, &upload);
  curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
  const RequestOutcome outcome = session_.perform(keepWaiting);
  connected_ = outcome.ok();
  if (!outcome.ok()) throw NetError(FailureText(outcome, session_.lastReply()));
}

// ---- POP3 ------------------------------------------------------------------------------------

CurlPop3Client::CurlPop3Client() : session_("pop3,pop3s") {}

void CurlPop3Client::setServer(MailServer server, std::string user, std::string password) {
  disconnect();
  server_ = std::move(server);
  user_ = std::move(user);
  password_ = std::move(password);
}

void CurlPop3Client::setCommon(CURL* handle, const std::string& path) {
  const std::string url = ServerUrl(server_.tls ? "pop3s" : "pop3", server_.host, server_.port, path);
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_USERNAME, user_.c_str());
  curl_easy_setopt(handle, CURLOPT_PASSWORD, password_.c_str());
}

bool CurlPop3Client::request(const KeepWaiting& keepWaiting) {
  const RequestOutcome outcome = session_.perform(keepWaiting);
  if (outcome.ok()) return true;
  const std::string reply = session_.lastReply();
  if (reply.rfind("-ERR", 0) == 0) return false;
  throw NetError(FailureText(outcome, reply));
}

bool CurlPop3Client::connect(const KeepWaiting& keepWaiting) {
  disconnect();
  try {
    const int messages = count(keepWaiting);
    connected_ = true;
    highest_ = messages;
    return true;
  } catch (const NetError&) {
    session_.close();
    return false;
  }
}

void CurlPop3Client::disconnect() {
  connected_ = false;
  highest_ = 0;
  deleted_.clear();
  session_.close();
}

int CurlPop3Client::count(const KeepWaiting& keepWaiting) {
  CURL* handle = session_.prepare();
  setCommon(handle, "/");
  curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, "STAT");
  curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  if (!request(keepWaiting)) throw NetError("The server refused to count the messages (" + session_.lastReply() + ")");
  const std::string reply = session_.lastReply();
  if (reply.rfind("+OK ", 0) != 0) throw NetError("The server did not count the messages (" + reply + ")");
  return std::atoi(reply.c_str() + 4);
}

std::optional<std::string> CurlPop3Client::header(int n, const KeepWaiting& keepWaiting) {
  if (!exists(n)) return std::nullopt;
  CURL* handle = session_.prepare();
  setCommon(handle, "/");
  const std::string top = "TOP " + std::to_string(n) + " 0";
  curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, top.c_str());
  std::string text;
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &AppendToString);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &text);
  if (!request(keepWaiting)) return std::nullopt;
  return text;
}

std::optional<std::string> CurlPop3Client::message(int n, const KeepWaiting& keepWaiting) {
  if (!exists(n)) return std::nullopt;
  CURL* handle = session_.prepare();
  setCommon(handle, "/" + std::to_string(n));
  std::string text;
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &AppendToString);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &text);
  if (!request(keepWaiting)) return std::nullopt;
  return text;
}

bool CurlPop3Client::markDeleted(int n, const KeepWaiting& keepWaiting) {
  if (!exists(n)) return false;
  CURL* handle = session_.prepare();
  setCommon(handle, "/");
  const std::string dele = "DELE " + std::to_string(n);
  curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, dele.c_str());
  curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  if (!request(keepWaiting)) return false;
  deleted_.insert(n);
  return true;
}

}  // namespace tw::net
