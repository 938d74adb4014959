// The module's side of NetModule: the clients on libcurl, the messages on GMime.

#include "net/curl_ftp_client.h"
#include "net/curl_mail_clients.h"
#include "net/net_module.h"

namespace tw::net {
namespace {

class CurlNetModule final : public NetModule {
 public:
  std::unique_ptr<FtpClient> newFtpClient() const override { return std::make_unique<CurlFtpClient>(); }
  std::unique_ptr<SmtpClient> newSmtpClient() const override { return std::make_unique<CurlSmtpClient>(); }
  std::unique_ptr<Pop3Client> newPop3Client() const override { return std::make_unique<CurlPop3Client>(); }
  HttpResponse fetch(const HttpRequest& request, const KeepWaiting& keepWaiting) const override {
    return Fetch(request, keepWaiting);
  }
  std::string composeMail(const OutgoingMail& mail, LineEnds lineEnds) const override {
    return ComposeMail(mail, lineEnds);
  }
  std::string bareAddress(std::string_view text) const override { return BareAddress(text); }
  MailHeader readMailHeader(std::string_view message) const override { return ReadMailHeader(message); }
  std::string readMailText(std::string_view message) const override { return ReadMailText(message); }
};

}  // namespace
}  // namespace tw::net

extern "C" __attribute__((visibility("default"))) const tw::net::NetModule* tw_net_module(int interface) {
  static const tw::net::CurlNetModule module;
  return interface == tw::net::kNetModuleInterface ? &module : nullptr;
}
