#pragma once
// The network clients live in a module of their own (libcurl, GMime and the libraries they bring),
// loaded on the first call that needs them: a run or a check that never talks to the network does
// not pay for loading them. Without the module, those calls fail with NetError naming the file.

#include <memory>
#include <string>
#include <string_view>

#include "net/ftp_client.h"
#include "net/http_client.h"
#include "net/mail_clients.h"
#include "net/mail_message.h"

namespace tw::net {

class NetModule {
 public:
  virtual std::unique_ptr<FtpClient> newFtpClient() const = 0;
  virtual std::unique_ptr<SmtpClient> newSmtpClient() const = 0;
  virtual std::unique_ptr<Pop3Client> newPop3Client() const = 0;
  // As Fetch, ComposeMail, BareAddress, ReadMailHeader and ReadMailText.
  virtual HttpResponse fetch(const HttpRequest& request, const KeepWaiting& keepWaiting) const = 0;
  virtual std::string composeMail(const OutgoingMail& mail, LineEnds lineEnds) const = 0;
  virtual std::string bareAddress(std::string_view text) const = 0;
  virtual MailHeader readMailHeader(std::string_view message) const = 0;
  virtual std::string readMailText(std::string_view message) const = 0;

 protected:
  virtual ~NetModule() = default;
};

// Changes with NetModule; a module built for another interface is refused.
inline constexpr int kNetModuleInterface = 1;
// The module's one exported function: its NetModule, or null when `interface` is not its own.
inline constexpr const char* kNetModuleEntry = "tw_net_module";
using NetModuleEntry = const NetModule* (*)(int interface);
inline constexpr const char* kNetModuleFile = "libtarnwick-net.so";

// Loads the module on first use. TW_MODULE_DIR names its folder when set (the tests' build tree);
// otherwise it is the private library folder relative to the running program. Throws NetError.
const NetModule& LoadNetModule();

}  // namespace tw::net
