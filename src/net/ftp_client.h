#pragma once
// An FTP session: one login kept from request to request, binary transfers, the remote folder
// tracked here and every request made with absolute paths, so a connection the server closed
// while idle is opened again (logged in, same folder) without the caller noticing.
//
// Requests the server refuses (a file that is not there, a folder that cannot be made) answer
// false; a failed connection, a lost one or a time-out throws NetError carrying the server's last
// reply.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/curl_session.h"

namespace tw::net {

struct FtpSettings {
  std::string host;
  int port = 21;
  std::string user;
  std::string password;
  bool tls = false;  // TLS on the control and the data connections ("AUTH TLS"), never plain text
};

class FtpClient {
 public:
  FtpClient();

  // Logs in (dropping any session first); then changes to the remote folder when one is set.
  void connect(const FtpSettings& settings, const KeepWaiting& keepWaiting);
  // Ends the session with a goodbye to the server.
  void disconnect();
  // Ends the session at once, without a word to the server.
  void abort();
  bool connected() const { return connected_; }
  bool busy() const { return session_.busy(); }

  // The folder each connect changes to; setting it changes nothing in a session already open.
  const std::string& startFolder() const { return startFolder_; }
  void setStartFolder(std::string folder) { startFolder_ = std::move(folder); }
  // The absolute path of the folder requests are made in.
  const std::string& currentFolder() const { return folder_; }

  // Names are relative to the current folder or absolute.
  // The names in a folder ("" for the current one), as the server lists them; nothing when the
  // server refuses.
  std::optional<std::vector<std::string>> listNames(std::string_view folder, const KeepWaiting& keepWaiting);
  // Fetches a file, handing its bytes to `sink` as they arrive; a sink that answers false (it
  // could not store them) ends the transfer with NetError.
  bool download(std::string_view file, const std::function<bool(std::string_view)>& sink,
                const KeepWaiting& keepWaiting);
  bool upload(const std::string& localFile, std::string_view remoteFile, const KeepWaiting& keepWaiting);
  bool removeFile(std::string_view file, const KeepWaiting& keepWaiting);
  bool makeFolder(std::string_view folder, const KeepWaiting& keepWaiting);
  bool removeFolder(std::string_view folder, const KeepWaiting& keepWaiting);
  bool changeFolder(std::string_view folder, const KeepWaiting& keepWaiting);

  // The absolute path of a name given relative to the current folder.
  std::string absolutePath(std::string_view name) const;

 private:
  // Runs a request set up by `setup` on a prepared handle; a request on a reused connection that
  // the server had closed meanwhile is made once more on a new one. True when it succeeded,
  // false when the server refused it.
  bool request(const std::function<void(CURL*)>& setup, const KeepWaiting& keepWaiting);
  bool command(const std::string& line, const KeepWaiting& keepWaiting);
  void setCommon(CURL* handle, const std::string& urlPath);

  CurlSession session_;
  FtpSettings settings_;
  bool connected_ = false;
  std::string startFolder_;
  std::string folder_ = "/";
  std::string localFailure_;  // why a download's sink gave up
};

}  // namespace tw::net
