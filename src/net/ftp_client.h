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

#include "net/net_error.h"

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
  virtual ~FtpClient() = default;

  // Logs in (dropping any session first); then changes to the remote folder when one is set.
  virtual void connect(const FtpSettings& settings, const KeepWaiting& keepWaiting) = 0;
  // Ends the session with a goodbye to the server.
  virtual void disconnect() = 0;
  // Ends the session at once, without a word to the server.
  virtual void abort() = 0;
  virtual bool connected() const = 0;
  virtual bool busy() const = 0;

  // The folder each connect changes to; setting it changes nothing in a session already open.
  virtual const std::string& startFolder() const = 0;
  virtual void setStartFolder(std::string folder) = 0;
  // The absolute path of the folder requests are made in.
  virtual const std::string& currentFolder() const = 0;

  // Names are relative to the current folder or absolute.
  // The names in a folder ("" for the current one), as the server lists them; nothing when the
  // server refuses.
  virtual std::optional<std::vector<std::string>> listNames(std::string_view folder,
                                                            const KeepWaiting& keepWaiting) = 0;
  // Fetches a file, handing its bytes to `sink` as they arrive; a sink that answers false (it
  // could not store them) ends the transfer with NetError.
  virtual bool download(std::string_view file, const std::function<bool(std::string_view)>& sink,
                        const KeepWaiting& keepWaiting) = 0;
  virtual bool upload(const std::string& localFile, std::string_view remoteFile, const KeepWaiting& keepWaiting) = 0;
  virtual bool removeFile(std::string_view file, const KeepWaiting& keepWaiting) = 0;
  virtual bool makeFolder(std::string_view folder, const KeepWaiting& keepWaiting) = 0;
  virtual bool removeFolder(std::string_view folder, const KeepWaiting& keepWaiting) = 0;
  virtual bool changeFolder(std::string_view folder, const KeepWaiting& keepWaiting) = 0;

  // The absolute path of a name given relative to the current folder.
  virtual std::string absolutePath(std::string_view name) const = 0;
};

}  // namespace tw::net
