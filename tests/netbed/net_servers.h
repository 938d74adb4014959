#pragma once
// Real servers on 127.0.0.1 for network tests, each with throw-away configuration in a folder of its own and
// ended with the object: FTP (pyftpdlib), HTTP with a CGI echo (python3 -m http.server), SMTP into a Maildir
// (aiosmtpd), POP3 (dovecot), an HTTP proxy (tinyproxy), HTTPS (openssl s_server) and a test CA.

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "temp_dir.h"

namespace tw::netbed {

// The Debian python3 with the server libraries, whatever else PATH offers.
inline constexpr const char* kPython = "/usr/bin/python3";

// A TCP port on 127.0.0.1 that nobody listened on a moment ago.
int FreePort();
// Waits until a server accepts connections on the port; throws when it does not.
void WaitForPort(int port);
// Runs a program to its end; its exit code. Standard output and error go to `output` when given.
int RunToEnd(const std::vector<std::string>& argv, const std::filesystem::path& output = {},
             const std::vector<std::string>& environment = {});
void WriteFile(const std::filesystem::path& file, const std::string& content);

// A certificate authority of the test's own and a certificate it signed for 127.0.0.1 and localhost.
class TestCa {
 public:
  TestCa();
  const std::filesystem::path& caFile() const { return ca_; }
  const std::filesystem::path& certificate() const { return certificate_; }
  const std::filesystem::path& key() const { return key_; }

 private:
  testbed::TempDir dir_;
  std::filesystem::path ca_, certificate_, key_;
};

struct FtpOptions {
  std::vector<std::pair<std::string, std::string>> users = {{"ann", "secret"}};
  const TestCa* tls = nullptr;          // TLS required on control and data connections
  int bytesPerSecond = 0;               // 0: as fast as it goes
  std::vector<std::string> extraNames;  // names every name listing adds to the folder's real ones
};

class FtpServer {
 public:
  explicit FtpServer(FtpOptions options = {});
  int port() const { return port_; }
  // The folder the users see as "/".
  const std::filesystem::path& root() const { return root_; }
  // What the server has logged since it last started.
  std::string log() const;
  void stop() { process_->stop(); }
  // Ends the server and starts it again on the same port: every session it had is gone.
  void restart();

 private:
  void start();

  testbed::TempDir dir_;
  std::filesystem::path root_;
  std::vector<std::string> argv_;
  std::unique_ptr<testbed::ChildProcess> process_;
  int port_ = 0;
};

// Serves a folder, with cgi-bin/echo.cgi answering with the request's method, headers and body.
class HttpServer {
 public:
  HttpServer();
  int port() const { return port_; }
  const std::filesystem::path& root() const { return root_; }
  std::string url(const std::string& path) const;
  std::string log() const;

 private:
  testbed::TempDir dir_;
  std::filesystem::path root_;
  std::unique_ptr<testbed::ChildProcess> process_;
  int port_ = 0;
};

// Answers every GET with one byte every 50 ms, for ever.
class TrickleServer {
 public:
  TrickleServer();
  int port() const { return port_; }

 private:
  testbed::TempDir dir_;
  std::unique_ptr<testbed::ChildProcess> process_;
  int port_ = 0;
};

// Delivers into a Maildir; refuses recipients whose address begins with "refused".
class SmtpServer {
 public:
  SmtpServer();
  int port() const { return port_; }
  // The files of the messages delivered so far.
  std::vector<std::filesystem::path> messages() const;

 private:
  testbed::TempDir dir_;
  std::filesystem::path maildir_;
  std::unique_ptr<testbed::ChildProcess> process_;
  int port_ = 0;
};

// A message as Python's email package reads it: "from", "to", "subject", "x-rcptto", "body-type", "body", and the
// attachments' file names and bytes in order.
struct ReadBack {
  std::map<std::string, std::string> fields;
  std::vector<std::pair<std::string, std::string>> attachments;  // file name, bytes
};
ReadBack ReadMail(const std::filesystem::path& file);

// dovecot serving one mailbox over POP3 and POP3 with TLS.
class Pop3Server {
 public:
  Pop3Server(std::string user, std::string password, const TestCa& ca);
  int port() const { return port_; }
  int tlsPort() const { return tlsPort_; }
  // Puts a message into the mailbox; messages are numbered in the order they were added.
  void addMessage(const std::string& text);
  std::string log() const;

 private:
  testbed::TempDir dir_;
  std::filesystem::path maildir_;
  std::unique_ptr<testbed::ChildProcess> process_;
  int port_ = 0, tlsPort_ = 0;
  int added_ = 0;
  bool root_ = false;
};

class HttpProxy {
 public:
  HttpProxy();
  int port() const { return port_; }
  std::string log() const;

 private:
  testbed::TempDir dir_;
  std::unique_ptr<testbed::ChildProcess> process_;
  int port_ = 0;
};

// HTTPS serving a folder with the test CA's certificate.
class TlsWebServer {
 public:
  explicit TlsWebServer(const TestCa& ca);
  int port() const { return port_; }
  const std::filesystem::path& root() const { return root_; }

 private:
  testbed::TempDir dir_;
  std::filesystem::path root_;
  std::unique_ptr<testbed::ChildProcess> process_;
  int port_ = 0;
};

}  // namespace tw::netbed
