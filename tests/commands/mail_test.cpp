// The SMTP functions against aiosmtpd and the POP3 functions against dovecot, on 127.0.0.1; what arrives is
// read back with Python's email package and curl.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "library_support.h"
#include "net_servers.h"
#include "support/scoped_environment.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using netbed::WriteFile;
using testbed::readFile;
using testbed::TempDir;
using ::testing::HasSubstr;

std::string SmtpSetup(const netbed::SmtpServer& server) {
  return "smtpsetup(\"127.0.0.1\", " + std::to_string(server.port()) + ")\n";
}

TEST(SmtpFunctions, OneMessageReachesEveryRecipientLine) {
  netbed::SmtpServer server;
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(
      SmtpSetup(server) +
      "rcpt = \"bob@example.org\" + chr(13) + chr(10) + chr(10) + \"  Carl <carl@example.org>  \"\n"
      "print smtpsend(\"Ann <ann@example.org>\", rcpt, \"Grüße aus Bern\", \"line one\" + chr(10) + \"line two\")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n");
  ASSERT_EQ(server.messages().size(), 1u);
  const netbed::ReadBack mail = netbed::ReadMail(server.messages()[0]);
  EXPECT_EQ(mail.fields.at("x-rcptto"), "bob@example.org, carl@example.org");
  EXPECT_EQ(mail.fields.at("to"), "bob@example.org, Carl <carl@example.org>");
  EXPECT_EQ(mail.fields.at("from"), "Ann <ann@example.org>");
  EXPECT_EQ(mail.fields.at("subject"), "Grüße aus Bern");
  EXPECT_EQ(mail.fields.at("body-type"), "text/plain");
  EXPECT_EQ(mail.fields.at("body"), "line one\nline two\n");
  EXPECT_TRUE(mail.fields.count("date"));
  EXPECT_TRUE(mail.fields.count("message-id"));
}

TEST(SmtpFunctions, AttachmentsArriveUnderTheirNamesByteForByte) {
  netbed::SmtpServer server;
  TempDir files;
  std::string binary(1024 * 1024, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 131 + (i >> 9)) & 0xff);
  WriteFile(files / "data.bin", binary);
  WriteFile(files / "Übersicht ñ.txt", "Zeile 1\r\nZeile 2\n");
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(
      SmtpSetup(server) + "print smtpsend(\"ann@example.org\", \"bob@example.org\", \"files\", \"<p>see</p>\", \"" +
      (files / "data.bin").string() + " ; " + (files / "missing.txt").string() + ";" +
      (files / "Übersicht ñ.txt").string() + "\", \"text/html\")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n");
  ASSERT_EQ(server.messages().size(), 1u);
  const netbed::ReadBack mail = netbed::ReadMail(server.messages()[0]);
  EXPECT_EQ(mail.fields.at("body-type"), "text/html");
  ASSERT_EQ(mail.attachments.size(), 2u);
  EXPECT_EQ(mail.attachments[0].first, "data.bin");
  EXPECT_TRUE(mail.attachments[0].second == binary);
  EXPECT_EQ(mail.attachments[1].first, "Übersicht ñ.txt");
  EXPECT_EQ(mail.attachments[1].second, "Zeile 1\r\nZeile 2\n");
}

TEST(SmtpFunctions, RefusedRecipientsAndBrokenAddressesSendNothing) {
  netbed::SmtpServer server;
  const struct {
    std::string from, to;
    std::string error;
  } cases[] = {
      {"ann@example.org\" + chr(13) + chr(10) + \"Bcc: eve@example.org", "bob@example.org", "Invalid Value"},
      {"ann@example.org", "bob@example.org\" + chr(10) + \"refused@example.org", "550"},
      {"", "bob@example.org", "Invalid Value"},
      {"ann@example.org", " ", "Invalid Value"},
  };
  for (const auto& c : cases) {
    test::LibrarySession session;
    const test::LibraryRun run =
        session.Run(SmtpSetup(server) + "print smtpsend(\"" + c.from + "\", \"" + c.to + "\", \"s\", \"b\")\n");
    ASSERT_EQ(run.Errors.size(), 1u) << c.from << " / " << c.to;
    EXPECT_THAT(run.Errors[0], HasSubstr(c.error)) << c.from << " / " << c.to;
  }
  EXPECT_THAT(server.messages(), ::testing::IsEmpty());
}

TEST(SmtpFunctions, ConnectSaysWhetherTheServerAnswers) {
  netbed::SmtpServer server;
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(SmtpSetup(server) + "print smtpconnect()\nprint smtpdisconnect()\n" +
                                           "smtpsetup(\"127.0.0.1\", " + std::to_string(netbed::FreePort()) + ")\n" +
                                           "print smtpconnect()\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n1\n0\n");
}

// ---- POP3 ---------------------------------------------------------------------------------------------

const char* const kEncodedHeader =
    "From: =?iso-8859-1?q?Andr=E9_M=FCller?= <andre@example.org>\n"
    "Subject: =?utf-8?b?w5xiZXJzaWNodA==?= und mehr\n"
    "\n"
    "Hello\n";
const char* const kQuotedPrintableLatin1 =
    "From: bob@example.org\n"
    "Subject: Preis\n"
    "MIME-Version: 1.0\n"
    "Content-Type: text/plain; charset=iso-8859-1\n"
    "Content-Transfer-Encoding: quoted-printable\n"
    "\n"
    "K=E4se f=FCr 5 Franken\n"
    "Zweite Zeile, weich=\n"
    " umbrochen\n";
const char* const kMultipart =
    "From: Carl <carl@example.org>\n"
    "Subject: Mehrteilig\n"
    "MIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"b1\"\n"
    "\n"
    "--b1\n"
    "Content-Type: text/html; charset=utf-8\n"
    "\n"
    "<p>html</p>\n"
    "--b1\n"
    "Content-Type: text/plain; charset=utf-8\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "R3LDvMOfZSwKZGllIEVpbmxhZHVuZy4K\n"
    "--b1\n"
    "Content-Type: text/plain\n"
    "Content-Disposition: attachment; filename=\"notes.txt\"\n"
    "\n"
    "not the body\n"
    "--b1--\n";

class Pop3Functions : public ::testing::Test {
 protected:
  Pop3Functions() : server_("ann", "secret", ca_) {
    for (const char* message : {kEncodedHeader, kQuotedPrintableLatin1, kMultipart}) server_.addMessage(message);
  }
  std::string Pop3Setup(const std::string& host = "127.0.0.1", int port = 0, const std::string& password = "secret") {
    return "pop3setup(\"" + host + "\", \"ann\", \"" + password + "\", " + std::to_string(port ? port : server_.port()) +
           ")\n";
  }
  // The message numbers the server lists now, read by curl.
  std::string ListedByCurl() {
    const fs::path output = out_ / "list.txt";
    netbed::RunToEnd({"curl", "-sS", "pop3://127.0.0.1:" + std::to_string(server_.port()) + "/", "-u", "ann:secret", "-o",
                      output.string()});
    return readFile(output);
  }

  netbed::TestCa ca_;
  netbed::Pop3Server server_;
  TempDir out_;
};

TEST_F(Pop3Functions, HeadersAreWalkedFromTheFirstAndDecoded) {
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(Pop3Setup() +
                                           "print pop3connect()\n"
                                           "print pop3count()\n"
                                           "print pop3firstheader(from, subject)\n"
                                           "print from + \" | \" + subject\n"
                                           "for i = 2 to pop3count()\n"
                                           "  print pop3nextheader(from, subject)\n"
                                           "  print from + \" | \" + subject\n"
                                           "endfor\n"
                                           "print pop3nextheader(from, subject)\n"
                                           "print \"[\" + from + subject + \"]\"\n"
                                           "print pop3gethead(2, from, subject)\n"
                                           "print from\n"
                                           "print pop3disconnect()\n"
                                           "print pop3count()\n"
                                           "print pop3gethead(2, from, subject)\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output,
            "1\n3\n1\nandre@example.org | Übersicht und mehr\n"
            "2\nbob@example.org | Preis\n"
            "3\ncarl@example.org | Mehrteilig\n"
            "0\n[]\n"
            "True\nbob@example.org\n"
            "1\n0\nFalse\n");
}

TEST_F(Pop3Functions, RetrieveGivesTheDecodedPlainTextWithCrLfLines) {
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(Pop3Setup() +
                                           "print pop3retrieve(2, body)\n"
                                           "print body\n"
                                           "print pop3getmail(3, body)\n"
                                           "print body\n"
                                           "print pop3retrieve(9, body)\n"
                                           "print \"[\" + body + \"]\"\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output,
            "1\nKäse für 5 Franken\r\nZweite Zeile, weich umbrochen\r\n\n"
            "1\nGrüße,\r\ndie Einladung.\r\n\n"
            "0\n[]\n");
}

TEST_F(Pop3Functions, ADeletedMessageGoesWhenTheSessionEnds) {
  test::LibrarySession session;
  test::LibraryRun run = session.Run(Pop3Setup() + "print pop3connect()\nprint pop3delete(1)\nprint pop3count()\n");
  EXPECT_EQ(run.Output, "1\n1\n2\n");
  // Until the goodbye, the mailbox keeps it.
  EXPECT_THAT(ListedByCurl(), ::testing::StartsWith("1 "));
  run = session.Run("print pop3disconnect()\nprint pop3firstheader(from, subject)\nprint subject\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "1\n1\nPreis\n");
  EXPECT_EQ(session.Run("pop3disconnect()\n").Errors.size(), 0u);
  const std::string listed = ListedByCurl();
  EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 2) << listed;
}

TEST_F(Pop3Functions, AWrongPasswordOrNoServerIsNoConnection) {
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(Pop3Setup("127.0.0.1", 0, "wrong") + "print pop3connect()\n" +
                                           Pop3Setup("127.0.0.1", netbed::FreePort()) +
                                           "print pop3connect()\nprint pop3firstheader(f, s)\nprint pop3count()\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "0\n0\n0\n0\n");
}

TEST_F(Pop3Functions, Pop3sChecksTheServersCertificate) {
  const std::string script = Pop3Setup("pop3s://127.0.0.1", server_.tlsPort()) + "print pop3connect()\nprint pop3count()\n";
  {
    test::ScopedEnvironment noBundle("CURL_CA_BUNDLE", std::nullopt), noFile("SSL_CERT_FILE", std::nullopt);
    test::LibrarySession session;
    EXPECT_EQ(session.Run(script).Output, "0\n0\n");
  }
  test::ScopedEnvironment trust("CURL_CA_BUNDLE", ca_.caFile().string());
  test::LibrarySession session;
  EXPECT_EQ(session.Run(script).Output, "1\n3\n");
}

}  // namespace
}  // namespace tw
