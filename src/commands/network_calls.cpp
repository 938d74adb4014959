#include "commands/network_calls.h"

#include "commands/internet_session.h"
#include "commands/tarnwick_basic.h"
#include "files/system_folders.h"
#include "net/net_module.h"

namespace tw {

net::KeepWaiting KeepHostRunning(TTarnwickBasic& library) {
  return [&library] {
    library.Host.PumpEvents();
    return !TBasicInterpreter::StopRequested;
  };
}

BusyPointer::BusyPointer(ScriptHost& host) : host_(host) { host_.SetBusyCursor(true); }
BusyPointer::~BusyPointer() { host_.SetBusyCursor(false); }

bool BreaksProtocolLine(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string ReadVariableName(TTarnwickBasic& library) {
  library.NextToken();
  const std::string name = library.Kind == TokenKind::tkVariable ? std::string(library.Token) : std::string();
  library.NextToken();
  if (!library.TokenIsOperator(',')) library.PushBackToken();
  return name;
}

TFtpSession::TFtpSession() : LocalDir(HomeFolder()) {}

net::FtpClient& TFtpSession::Client() {
  if (!client_) client_ = net::LoadNetModule().newFtpClient();
  return *client_;
}

namespace {
// Placeholders until a script names its servers: a name that never resolves (RFC 6761).
constexpr const char* kPlaceholderHost = "mail.invalid";
}  // namespace

net::SmtpClient& TMailer::Smtp() {
  if (!smtp_) {
    smtp_ = net::LoadNetModule().newSmtpClient();
    smtp_->setServer({kPlaceholderHost, 25, false});
  }
  return *smtp_;
}

net::Pop3Client& TMailer::Pop3() {
  if (!pop3_) {
    pop3_ = net::LoadNetModule().newPop3Client();
    pop3_->setServer({kPlaceholderHost, 110, false}, "user", "password");
  }
  return *pop3_;
}

void TMailer::DisconnectSmtp() {
  Smtp().disconnect();
  MessageCount = 0;
  NextMessage = 0;
}

void TMailer::DisconnectPop3() {
  Pop3().disconnect();
  MessageCount = 0;
  NextMessage = 0;
}

bool TMailer::EnsurePop3(const net::KeepWaiting& keepWaiting) {
  if (Pop3().connected()) return true;
  DisconnectPop3();
  if (!Pop3().connect(keepWaiting)) return false;
  MessageCount = Pop3().countAtLogin();
  return true;
}

}  // namespace tw
