// mapisend through the system's sendmail (msmtp standing in, sending to aiosmtpd), and ipaddress inside a network
// namespace with a point-to-point device of the test's own.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "library_support.h"
#include "net_servers.h"
#include "support/scoped_environment.h"
#include "port/no_display_desktop.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using netbed::WriteFile;
using testbed::readFile;
using testbed::TempDir;
using ::testing::HasSubstr;

// A run on the desktop of a server: mapisend starts a real sendmail.
test::LibraryRun RunWithRealPrograms(const std::string& script) {
  port::NoDisplayDesktop desktop("none in this test");
  test::RecordingHost host;
  VariableTable globals;
  TTarnwickBasic library(host, desktop);
  library.SetGlobals(&globals);
  library.SetScriptText(script, "test.tws");
  library.Run(0);
  return {host.Output(), host.ScriptErrors};
}

// PATH and HOME of a user whose sendmail is msmtp, set up to hand mail to the given port.
class MsmtpAsSendmail {
 public:
  explicit MsmtpAsSendmail(int smtpPort) {
    fs::create_directories(dir_ / "bin");
    fs::create_symlink("/usr/bin/msmtp", dir_ / "bin" / "sendmail");
    WriteFile(dir_ / ".msmtprc", "account default\nhost 127.0.0.1\nport " + std::to_string(smtpPort) +
                                     "\nfrom robot@example.org\nauth off\ntls off\n");
    fs::permissions(dir_ / ".msmtprc", fs::perms::owner_read | fs::perms::owner_write);
  }
  std::string bin() const { return (dir_ / "bin").string(); }
  std::string home() const { return dir_.path().string(); }

 private:
  TempDir dir_;
};

TEST(MapiSend, HandsTheMessageToSendmail) {
  netbed::SmtpServer server;
  MsmtpAsSendmail sendmail(server.port());
  TempDir files;
  WriteFile(files / "report.csv", "a;b\n1;2\n");
  test::ScopedEnvironment path("PATH", sendmail.bin() + ":/usr/bin:/bin");
  test::ScopedEnvironment home("HOME", sendmail.home());
  const std::string subject(300, 's');
  const test::LibraryRun run =
      RunWithRealPrograms("print mapisend(\"Bob <bob@example.org>\", \"" + subject + "\", \"Grüße\", \"" +
                          (files / "report.csv").string() + ";" + (files / "gone.csv").string() + "\")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n");
  ASSERT_EQ(server.messages().size(), 1u);
  const netbed::ReadBack mail = netbed::ReadMail(server.messages()[0]);
  EXPECT_EQ(mail.fields.at("x-rcptto"), "bob@example.org");
  EXPECT_EQ(mail.fields.at("subject"), std::string(255, 's'));
  EXPECT_EQ(mail.fields.at("body"), "Grüße");
  ASSERT_EQ(mail.attachments.size(), 1u);
  EXPECT_EQ(mail.attachments[0], std::make_pair(std::string("report.csv"), std::string("a;b\n1;2\n")));
}

TEST(MapiSend, ASendmailThatFailsGivesZero) {
  MsmtpAsSendmail sendmail(netbed::FreePort());
  test::ScopedEnvironment path("PATH", sendmail.bin() + ":/usr/bin:/bin");
  test::ScopedEnvironment home("HOME", sendmail.home());
  const test::LibraryRun run = RunWithRealPrograms("print mapisend(\"bob@example.org\", \"s\", \"b\")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "0\n");
}

TEST(MapiSend, WithoutSendmailMapiMailIsNotAvailable) {
  if (fs::exists("/usr/sbin/sendmail")) GTEST_SKIP() << "this machine has /usr/sbin/sendmail";
  TempDir empty;
  test::ScopedEnvironment path("PATH", empty.path().string());
  const test::LibraryRun run = RunWithRealPrograms("print mapisend(\"bob@example.org\", \"s\", \"b\")\n");
  ASSERT_EQ(run.Errors.size(), 1u);
  EXPECT_EQ(run.Errors[0], "[test.tws] Error: Mapi Mail is not available on line: 1");
}

// ---- ipaddress ----------------------------------------------------------------------------------------

// Runs a shell command in a network namespace of its own (as root of a user namespace); its output, or nullopt
// where the system allows no such namespaces.
std::optional<std::string> InOwnNetwork(const std::string& command) {
  TempDir dir;
  const fs::path output = dir / "output.txt";
  if (netbed::RunToEnd({"unshare", "-rn", "true"}, output) != 0) return std::nullopt;
  const int status = netbed::RunToEnd({"unshare", "-rn", "sh", "-c", command}, output);
  EXPECT_EQ(status, 0) << readFile(output);
  return readFile(output);
}

TEST(IpAddress, IsTheAddressOfThePointToPointLinkThatIsUp) {
  TempDir dir;
  WriteFile(dir / "address.tws", "print \"[\" + ipaddress() + \"]\"\n");
  const std::string brindle = std::string(BRINDLE_PATH) + " --console " + (dir / "address.tws").string();
  const auto withLink = InOwnNetwork(
      "ip link set lo up && ip tuntap add dev tw0 mode tun && ip addr add 10.9.8.7 peer 10.9.8.1 dev tw0 && "
      "ip link set tw0 up && " + brindle);
  if (!withLink) GTEST_SKIP() << "user namespaces are not allowed here: ipaddress is not tried";
  EXPECT_EQ(*withLink, "[10.9.8.7]\n");
  // A link that is down, and a namespace with no such link at all, give empty text.
  EXPECT_EQ(InOwnNetwork("ip tuntap add dev tw0 mode tun && ip addr add 10.9.8.7 peer 10.9.8.1 dev tw0 && " + brindle),
            "[]\n");
  EXPECT_EQ(InOwnNetwork("ip link set lo up && " + brindle), "[]\n");
}

}  // namespace
}  // namespace tw
