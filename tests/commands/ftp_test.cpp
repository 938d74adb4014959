// ftpconnect, ftpexec and ftpdisconnect against pyftpdlib on 127.0.0.1.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "library_support.h"
#include "net_servers.h"
#include "support/scoped_environment.h"
#include "waiting.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using netbed::FtpServer;
using netbed::WriteFile;
using testbed::readFile;
using testbed::TempDir;
using ::testing::HasSubstr;

std::string Connect(const FtpServer& server, const std::string& user = "ann", const std::string& password = "secret") {
  return "print ftpconnect(\"127.0.0.1\", \"" + user + "\", \"" + password + "\", \"\", " + std::to_string(server.port()) +
         ")\n";
}

netbed::FtpOptions Options(const std::function<void(netbed::FtpOptions&)>& change) {
  netbed::FtpOptions options;
  change(options);
  return options;
}

std::string Binary(std::size_t size) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
  return data;
}

TEST(FtpFunctions, TransfersAndManagesFoldersInTheSessionsOwnFolders) {
  FtpServer server;
  fs::create_directories(server.root() / "pub");
  WriteFile(server.root() / "pub" / "a.txt", "alpha\n");
  WriteFile(server.root() / "pub" / "b.txt", Binary(300000));
  WriteFile(server.root() / "pub" / "notes.log", "log\n");
  TempDir local;
  WriteFile(local / "a.txt", "the old a\n");
  WriteFile(local / ".profile.txt", "hidden, never uploaded\n");

  test::LibrarySession session;
  const std::string script = Connect(server) +
                             "print ftpexec(\"local\", \"" + local.path().string() + "\")\n"
                             "print ftpexec(\"get\", \"pub/*.txt\")\n"
                             "print ftpexec(\"found\", \"2\")\n"
                             "print ftpexec(\"chdir\", \"pub\")\n"
                             "print ftpexec(\"find\", \"*.log\")\n"
                             "print ftpexec(\"found\", \"1\")\n"
                             "print ftpexec(\"mkdir\", \"new folder\")\n"
                             "print ftpexec(\"chdir\", \"new folder\")\n"
                             "print ftpexec(\"put\", \"*.txt\")\n"
                             "print ftpexec(\"chdir\", \"..\")\n"
                             "print ftpexec(\"rmdir\", \"new folder\")\n"
                             "print ftpexec(\"delete\", \"new folder/a.txt\")\n"
                             "print ftpexec(\"delete\", \"new folder/a.txt\")\n"
                             "print ftpexec(\"chdir\", \"no such folder\")\n"
                             "print ftpexec(\"age\", \"\") + \"|\"\n"
                             "print ftpexec(\"ge\", \"x\")\n"
                             "print ftpexec(\"local\", \"\")\n";
  const test::LibraryRun run = session.Run(script);
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n1\n2\nb.txt\n1\n1\nnotes.log\n1\n1\n2\n1\n0\n1\n0\n0\n|\n1\n" + local.path().string() + "/\n");
  // The downloads are the server's bytes; the old a.txt was replaced.
  EXPECT_EQ(readFile(local / "a.txt"), "alpha\n");
  EXPECT_EQ(readFile(local / "b.txt"), Binary(300000));
  EXPECT_FALSE(fs::exists(local / "notes.log"));
  // The uploads went to the folder the session was in; a name beginning with "." stays home.
  EXPECT_FALSE(fs::exists(server.root() / "pub" / "new folder" / "a.txt"));
  EXPECT_EQ(readFile(server.root() / "pub" / "new folder" / "b.txt"), Binary(300000));
  EXPECT_FALSE(fs::exists(server.root() / "pub" / "new folder" / ".profile.txt"));
}

TEST(FtpFunctions, RemoteSetsTheFolderOfTheNextConnect) {
  FtpServer server;
  fs::create_directories(server.root() / "pub" / "deep");
  WriteFile(server.root() / "pub" / "deep" / "x.txt", "x");
  WriteFile(server.root() / "top.txt", "t");
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(Connect(server) +
                                           "print ftpexec(\"remote\", \"/pub/deep\")\n"
                                           "print ftpexec(\"find\", \"*.txt\")\n"
                                           "print ftpexec(\"found\", \"1\")\n"
                                           "print ftpexec(\"remote\", \"\")\n" +
                                           Connect(server) +
                                           "print ftpexec(\"find\", \"*.txt\")\n"
                                           "print ftpexec(\"found\", \"1\")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n1\n1\ntop.txt\n/pub/deep\n1\n1\nx.txt\n");
}

TEST(FtpFunctions, LogsInAsUserAtHostOnAProxy) {
  FtpServer target;
  FtpServer proxy(Options([](netbed::FtpOptions& o) { o.users = {{"ann#127.0.0.1", "secret"}}; }));
  WriteFile(proxy.root() / "seen-through-the-proxy.txt", "p");
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(
      "print ftpconnect(\"127.0.0.1\", \"ann\", \"secret\", \"127.0.0.1\", " + std::to_string(proxy.port()) + ")\n"
      "print ftpexec(\"find\", \"*\")\n"
      "print ftpexec(\"found\", \"1\")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n1\nseen-through-the-proxy.txt\n");
  EXPECT_THAT(proxy.log(), HasSubstr("USER 'ann#127.0.0.1' logged in"));
}

TEST(FtpFunctions, TheSessionOutlivesTheRunAndCallsShareTheLocalFolder) {
  FtpServer server;
  WriteFile(server.root() / "report.txt", "report\n");
  TempDir local;
  test::LibrarySession session;
  test::LibraryRun run = session.Run(Connect(server) + "ftpexec(\"local\", \"" + local.path().string() + "\")\n");
  ASSERT_EQ(run.Output, "1\n");
  // A later run on the same interpreter finds the login; a function called there finds the local folder.
  run = session.Run("print fetch(\"*.txt\")\n"
                    "end\n"
                    "func fetch(mask)\n"
                    "  result = ftpexec(\"get\", mask)\n"
                    "endfunc\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n");
  EXPECT_EQ(readFile(local / "report.txt"), "report\n");
  EXPECT_EQ(session.Run("print ftpdisconnect()\nprint ftpexec(\"find\", \"*\")\n").Output, "1\n0\n");
}

TEST(FtpFunctions, AConnectionTheServerClosedIsOpenedAgainInTheSameFolder) {
  FtpServer server;
  fs::create_directories(server.root() / "pub");
  WriteFile(server.root() / "pub" / "one.txt", "1");
  WriteFile(server.root() / "pub" / "two.txt", "2");
  test::LibrarySession session;
  ASSERT_EQ(session.Run(Connect(server) + "print ftpexec(\"chdir\", \"pub\")\n").Output, "1\n1\n");
  // The server goes away and comes back on its port, as a server that drops idle sessions does.
  server.restart();
  const test::LibraryRun run = session.Run("print ftpexec(\"find\", \"*.txt\")\nprint ftpexec(\"found\", \"2\")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "2\ntwo.txt\n");
  EXPECT_THAT(server.log(), HasSubstr("USER 'ann' logged in"));
}

TEST(FtpFunctions, GetStopsAtAFileTheServerRefusesWithTheCountSoFar) {
  // The listing names a file that is not there (as when it was deleted after the listing).
  FtpServer server(Options([](netbed::FtpOptions& o) { o.extraNames = {"b.txt"}; }));
  WriteFile(server.root() / "a.txt", "a");
  WriteFile(server.root() / "c.txt", "c");
  TempDir local;
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(Connect(server) + "ftpexec(\"local\", \"" + local.path().string() +
                                           "\")\nprint ftpexec(\"get\", \"*.txt\")\nprint ftpexec(\"find\", \"*\")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n1\n3\n");
  EXPECT_TRUE(fs::exists(local / "a.txt"));
  EXPECT_FALSE(fs::exists(local / "b.txt"));
  EXPECT_FALSE(fs::exists(local / "c.txt"));
}

TEST(FtpFunctions, ListedNamesThatAreNoPlainNamesAreNeverWritten) {
  FtpServer server(Options([](netbed::FtpOptions& o) { o.extraNames = {"../escaped.txt", "deep/../../escaped2.txt", "/tmp/escaped3.txt", ".."}; }));
  WriteFile(server.root() / "a.txt", "a");
  TempDir outer;
  fs::create_directories(outer / "local");
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(Connect(server) + "ftpexec(\"local\", \"" + (outer / "local").string() +
                                           "\")\nprint ftpexec(\"get\", \"*\")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n1\n");
  std::vector<std::string> written;
  for (const auto& entry : fs::recursive_directory_iterator(outer.path())) written.push_back(entry.path().string());
  EXPECT_THAT(written, ::testing::UnorderedElementsAre((outer / "local").string(), (outer / "local" / "a.txt").string()));
  EXPECT_FALSE(fs::exists("/tmp/escaped3.txt"));
}

TEST(FtpFunctions, AServerThatDiesDuringAGetIsAnErrorAndTheOldFileStays) {
  FtpServer server(Options([](netbed::FtpOptions& o) { o.bytesPerSecond = 64 * 1024; }));
  WriteFile(server.root() / "big.bin", Binary(2 * 1024 * 1024));
  TempDir local;
  WriteFile(local / "big.bin", "the old big.bin");
  test::LibrarySession session;
  ASSERT_EQ(session.Run(Connect(server) + "ftpexec(\"local\", \"" + local.path().string() + "\")\n").Output, "1\n");
  // Once part of the file has arrived in the new file beside the old one (an unnamed file, seen
  // through the descriptors this process holds), the server goes away.
  session.host.OnPump = [&] {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", error)) {
      const fs::path target = fs::read_symlink(entry.path(), error);
      if (!error && target.parent_path() == local.path() && target.filename() != "big.bin" &&
          fs::file_size(entry.path(), error) > 0 && !error)
        server.stop();
    }
  };
  const test::LibraryRun run = session.Run("print ftpexec(\"get\", \"*.bin\")\n");
  session.host.OnPump = nullptr;
  ASSERT_EQ(run.Errors.size(), 1u);
  EXPECT_THAT(run.Errors[0], HasSubstr("[test.tws] Error: "));
  EXPECT_EQ(readFile(local / "big.bin"), "the old big.bin");
  EXPECT_EQ(std::distance(fs::directory_iterator(local.path()), fs::directory_iterator()), 1);
  // The error ended the session.
  EXPECT_EQ(session.Run("print ftpexec(\"find\", \"*\")\n").Output, "0\n");
}

TEST(FtpFunctions, FtpsAsksForTlsAndTrustsOnlyKnownCertificates) {
  netbed::TestCa ca;
  FtpServer server(Options([&](netbed::FtpOptions& o) { o.tls = &ca; }));
  WriteFile(server.root() / "secret.txt", "over TLS\n");
  TempDir local;
  const std::string script = "print ftpconnect(\"ftps://127.0.0.1\", \"ann\", \"secret\", \"\", " +
                             std::to_string(server.port()) + ")\nftpexec(\"local\", \"" + local.path().string() +
                             "\")\nprint ftpexec(\"get\", \"*.txt\")\n";
  {
    test::ScopedEnvironment noBundle("CURL_CA_BUNDLE", std::nullopt), noFile("SSL_CERT_FILE", std::nullopt);
    test::LibrarySession session;
    const test::LibraryRun run = session.Run(script);
    ASSERT_EQ(run.Errors.size(), 1u);
    EXPECT_THAT(run.Errors[0], HasSubstr("certificate"));
    EXPECT_FALSE(fs::exists(local / "secret.txt"));
  }
  test::ScopedEnvironment trust("CURL_CA_BUNDLE", ca.caFile().string());
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(script);
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n1\n");
  EXPECT_EQ(readFile(local / "secret.txt"), "over TLS\n");
}

}  // namespace
}  // namespace tw
