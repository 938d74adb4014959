#pragma once
// The FTP session on libcurl: the remote folder is tracked here and every request is made with an
// absolute path, so a connection the server closed while idle is opened again without the caller
// noticing.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/curl_session.h"
#include "net/ftp_client.h"

namespace tw::net {

class CurlFtpClient final : public FtpClient {
 public:
  CurlFtpClient();

  void connect(const FtpSettings& settings, const KeepWaiting& keepWaiting) override;
  void disconnect() override;
  void abort() override;
  bool connected() const override { return connected_; }
  bool busy() const override { return session_.busy(); }

  const std::string& startFolder() const override { return startFolder_; }
  void setStartFolder(std::string folder) override { startFolder_ = std::move(folder); }
  const std::string& currentFolder() const override { return folder_; }

  std::optional<std::vector<std::string>> listNames(std::string_view folder, const KeepWaiting& keepWaiting) override;
  bool download(std::string_view file, const std::function<bool(std::string_view)>& sink,
                const KeepWaiting& keepWaiting) override;
  bool upload(const std::string& localFile, std::string_view remoteFile, const KeepWaiting& keepWaiting) override;
  bool removeFile(std::string_view file, const KeepWaiting& keepWaiting) override;
  bool makeFolder(std::string_view folder, const KeepWaiting& keepWaiting) override;
  bool removeFolder(std::string_view folder, const KeepWaiting& keepWaiting) override;
  bool changeFolder(std::string_view folder, const KeepWaiting& keepWaiting) override;

  std::string absolutePath(std::string_view name) const override;

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
