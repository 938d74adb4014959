#include "net/curl_ftp_client.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/server_address.h"

namespace tw::net {

namespace {

// The server answered the request with an error reply; the connection is still good.
bool IsRefusal(const RequestOutcome& outcome, const std::string& lastReply) {
  if (lastReply.rfind("421", 0) == 0) return false;  // the server is closing the connection
  switch (outcome.code) {
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_QUOTE_ERROR:
    case CURLE_UPLOAD_FAILED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_REMOTE_DISK_FULL:
    case CURLE_REMOTE_FILE_EXISTS:
      return true;
    default:
      return false;
  }
}

bool IsErrorReply(const std::string& reply) { return !reply.empty() && (reply[0] == '4' || reply[0] == '5'); }

void RefuseLineBreaks(std::string_view text) {
  if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
    throw NetError("A name with a line break cannot be sent to the server");
}

// The URL path of an absolute folder or file: "%2F" makes the first "/" part of the path
// itself, so that the server takes it from its root and not from the login folder.
std::string UrlPath(std::string_view absolute, bool folder) {
  std::string path = "/%2F";
  std::size_t start = 1;
  bool first = true;
  while (start <= absolute.size()) {
    std::size_t end = absolute.find('/', start);
    if (end == std::string_view::npos) end = absolute.size();
    if (end > start) {
      if (!first) path += '/';
      path += PercentEncoded(absolute.substr(start, end - start));
      first = false;
    }
    start = end + 1;
  }
  if (folder && !first) path += '/';
  if (folder && first) path += '/';
  return path;
}

// The folder of a "257" reply: the text between the first quote and its partner, where a doubled
// quote stands for one.
std::optional<std::string> FolderOfReply(const std::string& reply) {
  if (reply.rfind("257", 0) != 0) return std::nullopt;
  const std::size_t open = reply.find('"');
  if (open == std::string::npos) return std::nullopt;
  std::string folder;
  for (std::size_t i = open + 1; i < reply.size(); ++i) {
    if (reply[i] != '"') {
      folder += reply[i];
    } else if (i + 1 < reply.size() && reply[i + 1] == '"') {
      folder += '"';
      ++i;
    } else {
      return folder.empty() || folder[0] != '/' ? std::nullopt : std::optional<std::string>(folder);
    }
  }
  return std::nullopt;
}


}  // namespace

CurlFtpClient::CurlFtpClient() : session_("ftp") {}

std::string CurlFtpClient::absolutePath(std::string_view name) const {
  RefuseLineBreaks(name);
  std::string path;
  if (!name.empty() && name.front() == '/') {
    path = std::string(name);
  } else {
    path = folder_;
    if (!name.empty()) {
      if (path.back() != '/') path += '/';
      path += name;
    }
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

void CurlFtpClient::setCommon(CURL* handle, const std::string& urlPath) {
  const std::string url = ServerUrl("ftp", settings_.host, settings_.port, urlPath);
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_USERNAME, settings_.user.c_str());
  curl_easy_setopt(handle, CURLOPT_PASSWORD, settings_.password.c_str());
  if (settings_.tls) curl_easy_setopt(handle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  curl_easy_setopt(handle, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
}

bool CurlFtpClient::request(const std::function<void(CURL*)>& setup, const KeepWaiting& keepWaiting) {
  for (int attempt = 0;; ++attempt) {
    CURL* handle = session_.prepare();
    setup(handle);
    if (attempt > 0) curl_easy_setopt(handle, CURLOPT_FRESH_CONNECT, 1L);
    localFailure_.clear();
    const RequestOutcome outcome = session_.perform(keepWaiting);
    if (outcome.ok()) return true;
    const std::string reply = session_.lastReply();
    if (!localFailure_.empty()) throw NetError(localFailure_);
    if (IsRefusal(outcome, reply)) return false;
    long newConnections = 0;
    curl_off_t received = 0, sent = 0;
    curl_easy_getinfo(handle, CURLINFO_NUM_CONNECTS, &newConnections);
    curl_easy_getinfo(handle, CURLINFO_SIZE_DOWNLOAD_T, &received);
    curl_easy_getinfo(handle, CURLINFO_SIZE_UPLOAD_T, &sent);
    // A connection from the cache that the server closed while it lay idle: once more on a new one.
    if (attempt == 0 && connected_ && newConnections == 0 && received == 0 && sent == 0) continue;
    throw NetError(IsErrorReply(reply) ? outcome.message + " (" + reply + ")" : outcome.message);
  }
}

void CurlFtpClient::connect(const FtpSettings& settings, const KeepWaiting& keepWaiting) {
  abort();
  settings_ = settings;
  folder_ = "/";
  const bool loggedIn = request(
      [&](CURL* handle) {
        setCommon(handle, "/");
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
      },
      keepWaiting);
  if (!loggedIn) throw NetError("The server refused the session (" + session_.lastReply() + ")");
  char* entry = nullptr;
  if (curl_easy_getinfo(session_.lastRequest(), CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK && entry && *entry == '/')
    folder_ = entry;
  connected_ = true;
  if (!startFolder_.empty()) changeFolder(startFolder_, keepWaiting);
}

void CurlFtpClient::disconnect() {
  connected_ = false;
  session_.close();
}

void CurlFtpClient::abort() {
  connected_ = false;
  session_.drop();
}

std::optional<std::vector<std::string>> CurlFtpClient::listNames(std::string_view folder,
                                                                 const KeepWaiting& keepWaiting) {
  const std::string path = absolutePath(folder);
  std::string text;
  const bool listed = request(
      [&](CURL* handle) {
        text.clear();
        setCommon(handle, UrlPath(path, true));
        curl_easy_setopt(handle, CURLOPT_DIRLISTONLY, 1L);
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &AppendToString);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &text);
      },
      keepWaiting);
  if (!listed) return std::nullopt;
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string name = text.substr(start, end - start);
    if (!name.empty() && name.back() == '\r') name.pop_back();
    if (!name.empty()) names.push_back(std::move(name));
    start = end + 1;
  }
  return names;
}

namespace {

struct DownloadSink {
  const std::function<bool(std::string_view)>* sink;
  std::string* failure;
};

std::size_t PassToSink(char* data, std::size_t size, std::size_t count, void* target) {
  auto* download = static_cast<DownloadSink*>(target);
  try {  // nothing may be thrown through curl
    if ((*download->sink)(std::string_view(data, size * count))) return size * count;
  } catch (const std::exception&) {
  }
  *download->failure = "The downloaded data could not be stored";
  return 0;
}

std::size_t ReadFromFile(char* buffer, std::size_t size, std::size_t count, void* file) {
  const int fd = *static_cast<int*>(file);
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size * count);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return CURL_READFUNC_ABORT;
  }
}

}  // namespace

bool CurlFtpClient::download(std::string_view file, const std::function<bool(std::string_view)>& sink,
                             const KeepWaiting& keepWaiting) {
  const std::string path = absolutePath(file);
  DownloadSink target{&sink, &localFailure_};
  return request(
      [&](CURL* handle) {
        setCommon(handle, UrlPath(path, false));
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &PassToSink);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &target);
      },
      keepWaiting);
}

bool CurlFtpClient::upload(const std::string& localFile, std::string_view remoteFile, const KeepWaiting& keepWaiting) {
  const std::string path = absolutePath(remoteFile);
  int fd = ::open(localFile.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw NetError("Cannot read \"" + localFile + "\": " + std::strerror(errno));
  struct Closer {
    ~Closer() { ::close(fd); }
    int fd;
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) throw NetError("Cannot read \"" + localFile + "\": " + std::strerror(errno));
  return request(
      [&](CURL* handle) {
        ::lseek(fd, 0, SEEK_SET);
        setCommon(handle, UrlPath(path, false));
        curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(handle, CURLOPT_READFUNCTION, &ReadFromFile);
        curl_easy_setopt(handle, CURLOPT_READDATA, &fd);
        curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(info.st_size));
      },
      keepWaiting);
}

bool CurlFtpClient::command(const std::string& line, const KeepWaiting& keepWaiting) {
  curl_slist* commands = curl_slist_append(nullptr, line.c_str());
  struct Freer {
    ~Freer() { curl_slist_free_all(list); }
    curl_slist* list;
  } freer{commands};
  return request(
      [&](CURL* handle) {
        setCommon(handle, UrlPath(folder_, true));
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(handle, CURLOPT_QUOTE, commands);
      },
      keepWaiting);
}

bool CurlFtpClient::removeFile(std::string_view file, const KeepWaiting& keepWaiting) {
  return command("DELE " + absolutePath(file), keepWaiting);
}

bool CurlFtpClient::makeFolder(std::string_view folder, const KeepWaiting& keepWaiting) {
  return command("MKD " + absolutePath(folder), keepWaiting);
}

bool CurlFtpClient::removeFolder(std::string_view folder, const KeepWaiting& keepWaiting) {
  return command("RMD " + absolutePath(folder), keepWaiting);
}

bool CurlFtpClient::changeFolder(std::string_view folder, const KeepWaiting& keepWaiting) {
  const std::string target = absolutePath(folder);
  curl_slist* commands = curl_slist_append(nullptr, ("CWD " + target).c_str());
  // "*": a server without PWD still changes folders; we then keep the path we asked for.
  commands = curl_slist_append(commands, "*PWD");
  struct Freer {
    ~Freer() { curl_slist_free_all(list); }
    curl_slist* list;
  } freer{commands};
  const bool changed = request(
      [&](CURL* handle) {
        setCommon(handle, UrlPath(folder_, true));
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(handle, CURLOPT_QUOTE, commands);
      },
      keepWaiting);
  if (!changed) return false;
  folder_ = target;
  for (const std::string& reply : session_.replies())
    if (auto canonical = FolderOfReply(reply)) folder_ = *canonical;
  return true;
}

}  // namespace tw::net
