#pragma once
// Databases for tests: an ODBC set-up of our own (ODBCSYSINI) naming the SQLite and PostgreSQL drivers, and a
// real PostgreSQL server on 127.0.0.1 in a throw-away data folder (run as the postgres user when the tests
// run as root, which the server refuses).

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "child_process.h"
#include "temp_dir.h"
#include "waiting.h"

namespace tw::test {

inline constexpr const char* kPostgresBin = "/usr/lib/postgresql/15/bin/";
inline constexpr const char* kOdbcDrivers = "/usr/lib/x86_64-linux-gnu/odbc/";

// What a shell command prints on stdout and stderr.
inline std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, got);
    ::pclose(pipe);
  }
  return out;
}

// Points the ODBC driver manager at an odbcinst.ini of our own for the life of the object.
class OdbcSetup {
 public:
  OdbcSetup() {
    std::ofstream(dir_ / "odbcinst.ini") << "[SQLite3]\nDriver=" << kOdbcDrivers << "libsqlite3odbc.so\n\n"
                                         << "[PostgreSQL Unicode]\nDriver=" << kOdbcDrivers << "psqlodbcw.so\n";
    std::ofstream(dir_ / "odbc.ini") << "";
    ::setenv("ODBCSYSINI", dir_.path().c_str(), 1);
    ::setenv("ODBCINI", (dir_ / "odbc.ini").c_str(), 1);
  }
  ~OdbcSetup() {
    ::unsetenv("ODBCSYSINI");
    ::unsetenv("ODBCINI");
  }

 private:
  testbed::TempDir dir_;
};

class PostgresServer {
 public:
  static constexpr const char* kUser = "tester";
  static constexpr const char* kPassword = "s3cret-Pw";

  PostgresServer() {
    const bool root = ::getuid() == 0;
    const passwd* postgres = root ? ::getpwnam("postgres") : nullptr;
    if (root && !postgres) throw std::runtime_error("the postgres user is missing");
    const std::filesystem::path data = dir_ / "data";
    std::ofstream(dir_ / "pw") << kPassword << "\n";
    if (root && ::chown(dir_.path().c_str(), postgres->pw_uid, postgres->pw_gid) != 0)
      throw std::runtime_error("cannot hand the data folder to postgres");
    if (root && ::chown((dir_ / "pw").c_str(), postgres->pw_uid, postgres->pw_gid) != 0)
      throw std::runtime_error("cannot hand the password file to postgres");
    const std::string as = root ? "runuser -u postgres -- " : "";
    const std::string init = CommandOutput(as + kPostgresBin + "initdb -D '" + data.string() + "' -U " + kUser +
                                           " --pwfile='" + (dir_ / "pw").string() +
                                           "' -A scram-sha-256 -E UTF8 --locale=C.UTF-8");
    if (!std::filesystem::exists(data / "PG_VERSION")) throw std::runtime_error("initdb failed: " + init);
    port_ = FreePort();
    std::vector<std::string> argv = {std::string(kPostgresBin) + "postgres", "-D", data.string(), "-p",
                                     std::to_string(port_), "-h", "127.0.0.1", "-k", dir_.path().string()};
    if (root) argv.insert(argv.begin(), {"runuser", "-u", "postgres", "--"});
    server_ = std::make_unique<testbed::ChildProcess>(argv, testbed::LaunchOptions{.environment = {}, .output = dir_ / "server.log", .extraFd = -1});
    if (!testbed::waitUntil([&] { return Psql("SELECT 1") == "1\n"; }))
      throw std::runtime_error("the server did not start: " + testbed::readFile(dir_ / "server.log"));
  }

  int port() const { return port_; }
  std::string ConnectionString(const std::string& password = kPassword) const {
    return "Driver=PostgreSQL Unicode;Server=127.0.0.1;Port=" + std::to_string(port_) + ";Database=postgres;UID=" +
           kUser + ";PWD=" + password;
  }
  // What psql prints for the query, unaligned and without headers.
  std::string Psql(const std::string& query) const {
    return CommandOutput("PGPASSWORD='" + std::string(kPassword) + "' psql -h 127.0.0.1 -p " + std::to_string(port_) +
                         " -U " + kUser + " -d postgres -X -A -t -c \"" + query + "\"");
  }

 private:
  static int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
  }

  testbed::TempDir dir_;
  int port_ = 0;
  std::unique_ptr<testbed::ChildProcess> server_;
};

}  // namespace tw::test
