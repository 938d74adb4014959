// Composing and reading mail messages, and server names as scripts write them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "net/mail_message.h"
#include "net/server_address.h"

namespace tw::net {
namespace {

TEST(MailText, IsTheFirstPlainTextPartDecodedToUtf8) {
  const struct {
    const char* what;
    std::string message;
    std::string text;
  } cases[] = {
      {"one part, quoted-printable Latin-1",
       "Content-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: quoted-printable\n\nK=E4se=\n!\n",
       "Käse!\n"},
      {"one part without a MIME header", "Subject: x\n\nplain\nlines\n", "plain\nlines\n"},
      {"one part of HTML", "Content-Type: text/html; charset=utf-8\n\n<b>x</b>\n", "<b>x</b>\n"},
      {"the plain part after an HTML part, base64 UTF-8",
       "Content-Type: multipart/alternative; boundary=z\n\n--z\nContent-Type: text/html\n\n<p>h</p>\n--z\n"
       "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: base64\n\nw7xiZXIK\n--z--\n",
       "über\n"},
      {"an attached text is no body",
       "Content-Type: multipart/mixed; boundary=z\n\n--z\nContent-Type: text/plain\nContent-Disposition: attachment\n\n"
       "attached\n--z\nContent-Type: text/html\n\n<i>i</i>\n--z--\n",
       "<i>i</i>"},
      {"a header and nothing else", "Subject: only\n", ""},
      {"no message at all", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadMailText(c.message), c.text) << c.what;
}

TEST(MailHeader, GivesTheSendersAddressAndTheDecodedSubject) {
  const struct {
    std::string header;
    std::string from, subject;
  } cases[] = {
      {"From: =?iso-8859-1?q?Andr=E9?= <andre@example.org>\nSubject: =?utf-8?q?Gr=C3=BC=C3=9Fe?=\n\n",
       "andre@example.org", "Grüße"},
      {"From: plain@example.org\nSubject: Re: [list] tea\n\n", "plain@example.org", "Re: [list] tea"},
      {"From: Friends: first@example.org, second@example.org;\n\n", "first@example.org", ""},
      {"From: ann@xn--bcher-kva.example\n\n", "ann@bücher.example", ""},
      {"Subject: no sender\n\n", "", "no sender"},
  };
  for (const auto& c : cases) {
    const MailHeader header = ReadMailHeader(c.header);
    EXPECT_EQ(header.from, c.from) << c.header;
    EXPECT_EQ(header.subject, c.subject) << c.header;
  }
}

TEST(ComposeMail, ALineBreakInTheSubjectStartsNoHeaderField) {
  OutgoingMail mail;
  mail.from = "ann@example.org";
  mail.to = {"bob@example.org"};
  mail.subject = "Hello\r\nBcc: eve@example.org";
  mail.body = "text";
  const std::string message = ComposeMail(mail, LineEnds::Internet);
  EXPECT_THAT(message, ::testing::Not(::testing::HasSubstr("\nBcc:")));
  EXPECT_THAT(ReadMailHeader(message).subject, ::testing::HasSubstr("Bcc: eve@example.org"));
}

TEST(ComposeMail, AddressesThatCannotBeReadAreRefused) {
  OutgoingMail mail;
  mail.from = "ann@example.org";
  mail.to = {"<<<"};
  EXPECT_THROW(ComposeMail(mail, LineEnds::Unix), NetError);
  EXPECT_EQ(BareAddress("Ann Example <ann@example.org>"), "ann@example.org");
  EXPECT_EQ(BareAddress("  "), "");
}

TEST(ServerAddress, SchemesAskForTlsAndUrlsBracketIpv6) {
  const struct {
    std::string text;
    std::string host;
    bool tls;
  } cases[] = {
      {"mail.example.org", "mail.example.org", false},
      {"POP3S://mail.example.org/", "mail.example.org", true},
      {"pop3://mail.example.org", "mail.example.org", false},
      {"ftps://files", "ftps://files", false},  // another protocol's scheme is no part of this one
  };
  for (const auto& c : cases) {
    const ServerAddress address = ParseServerAddress(c.text, "pop3", "pop3s");
    EXPECT_EQ(address.host, c.host) << c.text;
    EXPECT_EQ(address.tls, c.tls) << c.text;
  }
  EXPECT_EQ(ServerUrl("ftp", "::1", 21, "/%2F/"), "ftp://[::1]:21/%2F/");
  EXPECT_EQ(ServerUrl("pop3", "127.0.0.1", 110, ""), "pop3://127.0.0.1:110/");
  EXPECT_EQ(PercentEncoded("a b/ü%"), "a%20b%2F%C3%BC%25");
}

}  // namespace
}  // namespace tw::net
