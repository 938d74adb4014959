#pragma once
// What the internet functions keep between calls and from run to run: the FTP session with its
// last listing and local folder, and the mailer with its SMTP and POP3 sessions. One top-level
// interpreter owns it; the interpreters of its sub and function calls share it.

#include <memory>
#include <string>
#include <vector>

#include "net/ftp_client.h"
#include "net/mail_clients.h"

namespace tw {

// The clients come from the network module, loaded by the first call that uses them (NetError when
// it cannot be).
struct TFtpSession {
  TFtpSession();
  net::FtpClient& Client();
  std::vector<std::string> Listing;  // FtpListing: the names of the last remote listing
  std::string LocalDir;              // FtpLocalDir, with a trailing "/"

 private:
  std::unique_ptr<net::FtpClient> client_;
};

struct TMailer {
  // Each disconnect, also the one before every connect and setup, starts the mailbox walk anew.
  void DisconnectSmtp();
  void DisconnectPop3();
  // Connects POP3 unless it is connected, reading the number of messages; false when that fails.
  bool EnsurePop3(const net::KeepWaiting& keepWaiting);

  net::SmtpClient& Smtp();
  net::Pop3Client& Pop3();
  int MessageCount = 0;  // messages in the mailbox at the last POP3 connect
  int NextMessage = 0;   // the number the next header walk reads

 private:
  std::unique_ptr<net::SmtpClient> smtp_;
  std::unique_ptr<net::Pop3Client> pop3_;
};

struct InternetSession {
  TFtpSession Ftp;
  TMailer Mailer;
};

}  // namespace tw
