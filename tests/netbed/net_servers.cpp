#include "net_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "waiting.h"

namespace tw::netbed {

namespace fs = std::filesystem;
using testbed::readFile;
using testbed::waitUntil;

namespace {

// The port a server printed on a line of its own (or after "prefix") into its output file.
int WaitForPrintedPort(const fs::path& output, const std::regex& pattern, const std::string& what) {
  int port = 0;
  const bool printed = waitUntil([&] {
    const std::string text = readFile(output);
    std::smatch match;
    if (!std::regex_search(text, match, pattern)) return false;
    port = std::stoi(match[1]);
    return true;
  });
  if (!printed) throw std::runtime_error(what + " did not start: " + readFile(output));
  WaitForPort(port);
  return port;
}

testbed::LaunchOptions LoggedTo(const fs::path& file) {
  testbed::LaunchOptions options;
  options.output = file;
  return options;
}

const std::regex kPortLine("(?:^|\\n)([0-9]+)\\n");

bool RunningAsRoot() { return ::geteuid() == 0; }

// Where servers that drop their privileges may read and write as the unprivileged user.
void OpenToEveryone(const fs::path& folder) {
  fs::permissions(folder, fs::perms::all, fs::perm_options::replace);
}

}  // namespace

int FreePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(s);
  return ntohs(address.sin_port);
}

void WaitForPort(int port) {
  const bool open = waitUntil([port] {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return connected;
  });
  if (!open) throw std::runtime_error("nothing listens on port " + std::to_string(port));
}

int RunToEnd(const std::vector<std::string>& argv, const fs::path& output, const std::vector<std::string>& environment) {
  testbed::LaunchOptions options = LoggedTo(output);
  options.environment = environment;
  testbed::ChildProcess process(argv, options);
  const auto code = process.waitForExit(testbed::kPatience);
  if (!code) throw std::runtime_error(argv[0] + " did not end");
  return *code;
}

void WriteFile(const fs::path& file, const std::string& content) {
  std::ofstream out(file, std::ios::binary);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

TestCa::TestCa() : ca_(dir_ / "ca.pem"), certificate_(dir_ / "server.pem"), key_(dir_ / "server.key") {
  const fs::path log = dir_ / "openssl.log";
  const std::string caKey = (dir_ / "ca.key").string(), request = (dir_ / "server.csr").string();
  WriteFile(dir_ / "names.cnf", "subjectAltName=IP:127.0.0.1,DNS:localhost\n");
  const std::vector<std::vector<std::string>> steps = {
      {"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", caKey, "-out", ca_.string(), "-days", "2",
       "-subj", "/CN=tarnwick test CA"},
      {"openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", key_.string(), "-out", request, "-subj",
       "/CN=127.0.0.1"},
      {"openssl", "x509", "-req", "-in", request, "-CA", ca_.string(), "-CAkey", caKey, "-CAcreateserial", "-out",
       certificate_.string(), "-days", "2", "-extfile", (dir_ / "names.cnf").string()},
  };
  for (const auto& step : steps)
    if (RunToEnd(step, log) != 0) throw std::runtime_error("openssl failed: " + readFile(log));
  // Servers that drop their privileges read these too.
  OpenToEveryone(dir_.path());
  for (const fs::path& file : {ca_, certificate_, key_})
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

// ---- FTP --------------------------------------------------------------------------------------------------

FtpServer::FtpServer(FtpOptions options) : root_(dir_ / "root") {
  fs::create_directories(root_);
  argv_ = {kPython, TW_NETBED_DIR "/ftp_server.py", "--root", root_.string()};
  for (const auto& [user, password] : options.users) argv_.insert(argv_.end(), {"--user", user + ":" + password});
  if (options.tls)
    argv_.insert(argv_.end(), {"--tls-cert", options.tls->certificate().string(), "--tls-key", options.tls->key().string()});
  if (options.bytesPerSecond) argv_.insert(argv_.end(), {"--rate", std::to_string(options.bytesPerSecond)});
  for (const auto& name : options.extraNames) argv_.insert(argv_.end(), {"--extra-name", name});
  start();
}

void FtpServer::start() {
  std::vector<std::string> argv = argv_;
  argv.insert(argv.end(), {"--port", std::to_string(port_)});
  process_ = std::make_unique<testbed::ChildProcess>(argv, LoggedTo(dir_ / "server.log"));
  port_ = WaitForPrintedPort(dir_ / "server.log", kPortLine, "the FTP server");
}

void FtpServer::restart() {
  process_->stop();
  start();
}

std::string FtpServer::log() const { return readFile(dir_ / "server.log"); }

// ---- HTTP -------------------------------------------------------------------------------------------------

HttpServer::HttpServer() : root_(dir_ / "www") {
  fs::create_directories(root_ / "cgi-bin");
  fs::copy_file(TW_NETBED_DIR "/echo.cgi", root_ / "cgi-bin" / "echo.cgi");
  // Run as root, the server runs its CGI scripts as nobody (still in the root group).
  const auto readAndRun = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                          fs::perms::others_read | fs::perms::others_exec;
  for (const fs::path& path : {dir_.path(), root_, root_ / "cgi-bin", root_ / "cgi-bin" / "echo.cgi"})
    fs::permissions(path, readAndRun);
  const std::string script = "import http.server, os, sys\n"
                             "os.chdir(sys.argv[1])\n"
                             "server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), http.server.CGIHTTPRequestHandler)\n"
                             "print(server.server_address[1], flush=True)\n"
                             "server.serve_forever()\n";
  process_ = std::make_unique<testbed::ChildProcess>(std::vector<std::string>{kPython, "-c", script, root_.string()},
                                                     LoggedTo(dir_ / "server.log"));
  port_ = WaitForPrintedPort(dir_ / "server.log", kPortLine, "the HTTP server");
}

std::string HttpServer::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string HttpServer::log() const { return readFile(dir_ / "server.log"); }

TrickleServer::TrickleServer() {
  process_ = std::make_unique<testbed::ChildProcess>(
      std::vector<std::string>{kPython, TW_NETBED_DIR "/slow_http_server.py"},
      LoggedTo(dir_ / "server.log"));
  port_ = WaitForPrintedPort(dir_ / "server.log", kPortLine, "the trickling HTTP server");
}

// ---- SMTP -------------------------------------------------------------------------------------------------

SmtpServer::SmtpServer() : maildir_(dir_ / "Maildir") {
  process_ = std::make_unique<testbed::ChildProcess>(
      std::vector<std::string>{kPython, TW_NETBED_DIR "/smtp_server.py", maildir_.string()},
      LoggedTo(dir_ / "server.log"));
  port_ = WaitForPrintedPort(dir_ / "server.log", kPortLine, "the SMTP server");
}

std::vector<fs::path> SmtpServer::messages() const {
  std::vector<fs::path> files;
  if (fs::exists(maildir_ / "new"))
    for (const auto& entry : fs::directory_iterator(maildir_ / "new")) files.push_back(entry.path());
  return files;
}

ReadBack ReadMail(const fs::path& file) {
  testbed::TempDir out;
  const fs::path listing = out / "fields.txt";
  if (RunToEnd({kPython, TW_NETBED_DIR "/read_mail.py", file.string(), out.path().string()}, listing) != 0)
    throw std::runtime_error("Python could not read the mail: " + readFile(listing));
  ReadBack mail;
  std::istringstream lines(readFile(listing));
  std::string line;
  while (std::getline(lines, line)) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string value = std::regex_replace(line.substr(equals + 1), std::regex("\\\\n"), "\n");
    value = std::regex_replace(value, std::regex("\\\\r"), "\r");
    const std::string name = line.substr(0, equals);
    if (name == "attachment")
      mail.attachments.emplace_back(value, readFile(out / std::to_string(mail.attachments.size() + 1)));
    else
      mail.fields[name] = value;
  }
  return mail;
}

// ---- POP3 -------------------------------------------------------------------------------------------------

Pop3Server::Pop3Server(std::string user, std::string password, const TestCa& ca)
    : maildir_(dir_ / "mail" / "Maildir"), port_(FreePort()), tlsPort_(FreePort()), root_(RunningAsRoot()) {
  for (const char* sub : {"cur", "new", "tmp"}) fs::create_directories(maildir_ / sub);
  fs::create_directories(dir_ / "base");
  fs::create_directories(dir_ / "state");
  // As root, dovecot runs the mailbox as an ordinary user; otherwise everything runs as the user of the test.
  const std::string uid = root_ ? "65534" : std::to_string(::getuid());
  const std::string gid = root_ ? "65534" : std::to_string(::getgid());
  const passwd* self = ::getpwuid(::getuid());
  const std::string serviceUser = root_ ? "dovecot" : (self ? self->pw_name : "nobody");
  const std::string base = dir_.path().string();
  WriteFile(dir_ / "users", user + ":{PLAIN}" + password + ":" + uid + ":" + gid + "::" + base + "/mail\n");
  WriteFile(dir_ / "dovecot.conf",
            "protocols = pop3\n"
            "listen = 127.0.0.1\n"
            "base_dir = " + base + "/base\n"
            "state_dir = " + base + "/state\n"
            "log_path = " + base + "/dovecot.log\n"
            "ssl = yes\n"
            "ssl_cert = <" + ca.certificate().string() + "\n"
            "ssl_key = <" + ca.key().string() + "\n"
            "disable_plaintext_auth = no\n"
            "auth_mechanisms = plain\n"
            "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " + base + "/users\n}\n"
            "userdb {\n  driver = passwd-file\n  args = username_format=%u " + base + "/users\n}\n"
            "mail_location = maildir:" + base + "/mail/Maildir\n"
            "service pop3-login {\n"
            "  inet_listener pop3 {\n    port = " + std::to_string(port_) + "\n  }\n"
            "  inet_listener pop3s {\n    port = " + std::to_string(tlsPort_) + "\n    ssl = yes\n  }\n"
            "}\n"
            "service anvil {\n  chroot =\n}\n"
            "service stats {\n  chroot =\n}\n"
            "default_login_user = " + serviceUser + "\n"
            "default_internal_user = " + serviceUser + "\n");
  if (root_) {
    OpenToEveryone(dir_.path());
    RunToEnd({"chown", "-R", uid + ":" + gid, (dir_ / "mail").string()});
  }
  process_ = std::make_unique<testbed::ChildProcess>(
      std::vector<std::string>{"dovecot", "-F", "-c", (dir_ / "dovecot.conf").string()},
      LoggedTo(dir_ / "server.log"));
  WaitForPort(port_);
  WaitForPort(tlsPort_);
}

void Pop3Server::addMessage(const std::string& text) {
  ++added_;
  // Maildir names sort by their time stamp; a growing number keeps the order of addition.
  const fs::path file = maildir_ / "new" / (std::to_string(1000000 + added_) + ".test.eml");
  WriteFile(file, text);
  if (root_) RunToEnd({"chown", "65534:65534", file.string()});
}

std::string Pop3Server::log() const { return readFile(dir_ / "dovecot.log") + readFile(dir_ / "server.log"); }

// ---- Proxy ------------------------------------------------------------------------------------------------

HttpProxy::HttpProxy() : port_(FreePort()) {
  const std::string base = dir_.path().string();
  std::string config = "Port " + std::to_string(port_) + "\n"
                       "Listen 127.0.0.1\n"
                       "Timeout 60\n"
                       "LogFile \"" + base + "/tinyproxy.log\"\n"
                       "LogLevel Info\n"
                       "MaxClients 20\n"
                       "Allow 127.0.0.1\n";
  if (RunningAsRoot()) {
    config += "User nobody\nGroup nogroup\n";
    OpenToEveryone(dir_.path());
  }
  WriteFile(dir_ / "tinyproxy.conf", config);
  process_ = std::make_unique<testbed::ChildProcess>(
      std::vector<std::string>{"tinyproxy", "-d", "-c", (dir_ / "tinyproxy.conf").string()},
      LoggedTo(dir_ / "server.log"));
  WaitForPort(port_);
}

std::string HttpProxy::log() const { return readFile(dir_ / "tinyproxy.log"); }

// ---- HTTPS ------------------------------------------------------------------------------------------------

TlsWebServer::TlsWebServer(const TestCa& ca) : root_(dir_ / "www") {
  fs::create_directories(root_);
  // s_server -WWW serves files relative to its working folder.
  const std::string command = "cd '" + root_.string() + "' && exec openssl s_server -accept 127.0.0.1:0 -WWW -cert '" +
                              ca.certificate().string() + "' -key '" + ca.key().string() + "'";
  process_ = std::make_unique<testbed::ChildProcess>(std::vector<std::string>{"sh", "-c", command},
                                                     LoggedTo(dir_ / "server.log"));
  port_ = WaitForPrintedPort(dir_ / "server.log", std::regex("ACCEPT 127\\.0\\.0\\.1:([0-9]+)"), "openssl s_server");
}

}  // namespace tw::netbed
