// The internet functions without a network: their checks of arguments, their defaults before a connection and
// in a syntax check, mapisend's hand-over to sendmail and ipaddress, on the fake desktop.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "library_support.h"
#include "net/net_module.h"

namespace tw {
namespace {

using ::testing::HasSubstr;

TEST(InternetFunctions, ReportInvalidValues) {
  const char* const scripts[] = {
      "ftpexec(\"rename\", \"a\")",
      "httpexec(\"put\", \"http://127.0.0.1/\")",
      "ftpconnect(\"\", \"ann\")",
      "ftpconnect(\"127.0.0.1\", \"\")",
      "ftpconnect(\"127.0.0.1\", \"ann\" + chr(13) + chr(10) + \"DELE x\")",
      "ftpconnect(\"127.0.0.1\", \"ann\", \"pw\", \"\", 70000)",
      "ftpconnect(\"evil.example@127.0.0.1\", \"ann\")",
      "ftpconnect(\"127.0.0.1/x\", \"ann\")",
      "smtpsetup(\"smtps://mail.example.org?x\")",
      "pop3setup(\"mail example\", \"ann\", \"pw\")",
      "smtpsetup(\"\")",
      "pop3setup(\"127.0.0.1\", \"ann\", \"\")",
      "pop3setup(\"127.0.0.1\", \"ann\" + chr(10) + \"QUIT\", \"pw\")",
      "pop3retrieve(0, body)",
      "pop3retrieve(1, \"body\")",
      "pop3delete(0)",
      "pop3gethead(-1, f, s)",
      "pop3firstheader(f)",
      "pop3nextheader(\"f\", s)",
      "smtpsend(\"ann@example.org\" + chr(13) + chr(10) + \"Bcc: eve@example.org\", \"bob@example.org\", \"s\", \"b\")",
      "smtpsend(\"ann@example.org\", \"\", \"s\", \"b\")",
      "mapisend(\"\", \"s\", \"b\")",
      "mapisend(\"bob@example.org\" + chr(10) + \"Bcc: eve@example.org\", \"s\", \"b\")",
  };
  for (const char* script : scripts) {
    port::fake::FakeDesktop desktop;
    test::RecordingHost host;
    const test::LibraryRun run = test::RunOnFakeDesktop(script, desktop, host);
    EXPECT_THAT(run.Errors, ::testing::ElementsAre("[test.tws] Error: Invalid Value on line: 1")) << script;
    EXPECT_TRUE(desktop.log().empty()) << script;
  }
}

TEST(InternetFunctions, BeforeAConnectionNothingHappens) {
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(
      "print ftpexec(\"find\", \"*\")\n"
      "print ftpexec(\"local\", \"\")\n"
      "print ftpexec(\"ge\", \"\")\n"
      "print ftpdisconnect()\n"
      "print pop3count()\n"
      "print pop3nextheader(f, s)\n"
      "print pop3gethead(1, f, s)\n"
      "print \"[\" + f + s + \"]\"\n"
      "print pop3disconnect()\n"
      "print smtpdisconnect()\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "0\n0\n0\n1\n0\n0\nFalse\n[]\n1\n1\n");
}

TEST(InternetFunctions, ASyntaxCheckTouchesNothing) {
  port::fake::FakeDesktop desktop;
  desktop.fakeSystemInfo().pointToPoint = "10.0.0.1";
  test::RecordingHost host;
  const test::LibraryRun run = test::RunOnFakeDesktop(
      "a = ftpconnect(\"127.0.0.1\", \"ann\", \"pw\")\n"
      "a = ftpexec(\"get\", \"*\")\n"
      "a = httpexec(\"get\", \"http://127.0.0.1:1/\")\n"
      "a = smtpsend(\"a@example.org\", \"b@example.org\", \"s\", \"b\")\n"
      "a = pop3connect()\n"
      "a = pop3firstheader(f, s)\n"
      "a = pop3retrieve(1, b)\n"
      "a = mapisend(\"b@example.org\", \"s\", \"b\")\n"
      "a = ipaddress()\n",
      desktop, host, /*checkOnly=*/true);
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_TRUE(desktop.log().empty());
  EXPECT_TRUE(host.BusyCursor.empty());
}

TEST(MapiSendOnTheFakeDesktop, PipesTheMessageToSendmailWithTheBusyPointer) {
  port::fake::FakeDesktop desktop;
  test::RecordingHost host;
  const test::LibraryRun run = test::RunOnFakeDesktop(
      "print mapisend(\"Bob <bob@example.org>\", \"Bericht für \" + leftpad(\"\", 300, \"x\"), \"erste\" + chr(13) + "
      "chr(10) + \"zweite\")\n",
      desktop, host);
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n");
  EXPECT_EQ(desktop.log(), (port::fake::ActionLog{"run sendmail -t -i"}));
  ASSERT_EQ(desktop.fakeProgramRunner().inputs().size(), 1u);
  const std::string& message = desktop.fakeProgramRunner().inputs()[0];
  EXPECT_THAT(message, HasSubstr("\nTo: Bob <bob@example.org>\n"));
  EXPECT_THAT(message, ::testing::Not(HasSubstr("From:")));  // sendmail fills in the sender
  EXPECT_THAT(message, HasSubstr("\n\nerste\nzweite"));
  // Cut to 255 characters, not bytes.
  EXPECT_EQ(net::LoadNetModule().readMailHeader(message).subject, "Bericht für " + std::string(243, 'x'));
  EXPECT_EQ(host.BusyCursor, (std::vector<bool>{true, false}));
}

TEST(MapiSendOnTheFakeDesktop, FallsBackToUsrSbinAndReportsWhatSendmailSays) {
  struct Case {
    std::vector<std::string> missing;
    int exitStatus;
    std::string output;
    std::vector<std::string> errors;
  };
  const Case cases[] = {
      {{"sendmail"}, 0, "1\n", {}},
      {{"sendmail"}, 75, "0\n", {}},
      {{"sendmail", "/usr/sbin/sendmail"}, 0, "", {"[test.tws] Error: Mapi Mail is not available on line: 1"}},
  };
  for (const Case& c : cases) {
    port::fake::FakeDesktop desktop;
    for (const auto& program : c.missing) desktop.fakeProgramRunner().markMissing(program);
    desktop.fakeProgramRunner().setExitStatus("/usr/sbin/sendmail", c.exitStatus);
    test::RecordingHost host;
    const test::LibraryRun run = test::RunOnFakeDesktop("print mapisend(\"bob@example.org\", \"s\", \"b\")\n", desktop, host);
    EXPECT_EQ(run.Output, c.output);
    EXPECT_EQ(run.Errors, c.errors);
    EXPECT_EQ(desktop.log(), (port::fake::ActionLog{"run sendmail -t -i", "run /usr/sbin/sendmail -t -i"}));
  }
}

TEST(IpAddressOnTheFakeDesktop, IsThePointToPointAddressOrEmpty) {
  for (const std::string address : {"", "10.9.8.7"}) {
    port::fake::FakeDesktop desktop;
    desktop.fakeSystemInfo().pointToPoint = address;
    test::RecordingHost host;
    EXPECT_EQ(test::RunOnFakeDesktop("print \"[\" + ipaddress() + \"]\"\n", desktop, host).Output, "[" + address + "]\n");
  }
}

}  // namespace
}  // namespace tw
