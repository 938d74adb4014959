// Mail: the SMTP and POP3 functions over the interpreter's mailer, and mapisend through the
// system's sendmail.

#include <sys/stat.h>

#include "commands/internet_session.h"
#include "commands/network_calls.h"
#include "commands/tarnwick_basic.h"
#include "files/file_text.h"
#include "interpreter/builtins.h"
#include "net/net_module.h"
#include "net/server_address.h"
#include "text/ascii_text.h"
#include "text/utf8.h"

namespace tw {

namespace {

constexpr int kSmtpPort = 25, kSmtpsPort = 465, kPop3Port = 110, kPop3sPort = 995;
// mapisend cuts its subjects to this many characters.
constexpr std::size_t kLongestMapiSubject = 255;

// The non-blank lines of a text, trimmed.
std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  for (std::string_view line : SplitLines(text))
    if (!Trimmed(line).empty()) lines.emplace_back(Trimmed(line));
  return lines;
}

// The files among ";"-separated names that exist; the others are left out without a word.
std::vector<std::string> ExistingFiles(std::string_view names) {
  std::vector<std::string> files;
  std::size_t start = 0;
  while (start <= names.size()) {
    std::size_t end = names.find(';', start);
    if (end == std::string_view::npos) end = names.size();
    const std::string name(Trimmed(names.substr(start, end - start)));
    struct stat info {};
    if (!name.empty() && ::stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode)) files.push_back(name);
    start = end + 1;
  }
  return files;
}

bool ReadPort(TTarnwickBasic& library, const ScriptValue& text, bool tls, int plain, int secure, int& port) {
  std::int32_t value = 0;
  if (!text.ToText().empty() && !IntegerArgument(library, text, value)) return false;
  if (value < 0 || value > 65535) {
    library.ScriptError("Invalid Value");
    return false;
  }
  port = value != 0 ? value : tls ? secure : plain;
  return true;
}

TMailer& Mailer(TTarnwickBasic& library) { return library.Internet->Mailer; }

void SmtpSetup(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string host = library.ReadArgument();
  const ScriptValue portText = library.ReadOptionalArgument(ScriptValue(""));
  if (library.CheckMode) return;
  if (host.empty() || BreaksProtocolLine(host)) {
    library.ScriptError("Invalid Value");
    return;
  }
  const net::ServerAddress server = net::ParseServerAddress(host, "smtp", "smtps");
  if (!net::IsPlainHost(server.host)) {
    library.ScriptError("Invalid Value");
    return;
  }
  int port = 0;
  if (!ReadPort(library, portText, server.tls, kSmtpPort, kSmtpsPort, port)) return;
  Mailer(library).DisconnectSmtp();
  Mailer(library).Smtp().setServer({server.host, port, server.tls});
}

void Pop3Setup(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string host = library.ReadArgument();
  const std::string user = library.ReadArgument();
  const std::string password = library.ReadArgument();
  const ScriptValue portText = library.ReadOptionalArgument(ScriptValue(""));
  if (library.CheckMode) return;
  if (host.empty() || user.empty() || password.empty() || BreaksProtocolLine(host) || BreaksProtocolLine(user) ||
      BreaksProtocolLine(password)) {
    library.ScriptError("Invalid Value");
    return;
  }
  const net::ServerAddress server = net::ParseServerAddress(host, "pop3", "pop3s");
  if (!net::IsPlainHost(server.host)) {
    library.ScriptError("Invalid Value");
    return;
  }
  int port = 0;
  if (!ReadPort(library, portText, server.tls, kPop3Port, kPop3sPort, port)) return;
  Mailer(library).DisconnectPop3();
  Mailer(library).Pop3().setServer({server.host, port, server.tls}, user, password);
}

void SmtpConnect(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  if (library.CheckMode) return;
  TMailer& mailer = Mailer(library);
  if (mailer.Smtp().busy()) return;
  BusyPointer busy(library.Host);
  mailer.DisconnectSmtp();
  result = ScriptValue::Integer(mailer.Smtp().connect(KeepHostRunning(library)) ? 1 : 0);
}

void Pop3Connect(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  if (library.CheckMode) return;
  TMailer& mailer = Mailer(library);
  if (mailer.Pop3().busy()) return;
  BusyPointer busy(library.Host);
  mailer.DisconnectPop3();
  result = ScriptValue::Integer(mailer.EnsurePop3(KeepHostRunning(library)) ? 1 : 0);
}

void SmtpDisconnect(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  if (library.CheckMode) return;
  TMailer& mailer = Mailer(library);
  if (mailer.Smtp().busy()) return;
  BusyPointer busy(library.Host);
  if (mailer.Smtp().connected()) mailer.DisconnectSmtp();
  result = ScriptValue::Integer(1);
}

void Pop3Disconnect(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  if (library.CheckMode) return;
  TMailer& mailer = Mailer(library);
  if (mailer.Pop3().busy()) return;
  BusyPointer busy(library.Host);
  if (mailer.Pop3().connected()) mailer.DisconnectPop3();  // deletions take effect now
  result = ScriptValue::Integer(1);
}

void Pop3Count(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  if (library.CheckMode) return;
  result = ScriptValue::Integer(Mailer(library).MessageCount);
}

// Runs a POP3 exchange; a failed connection is a script error and ends the session. False when
// the exchange did not run to its end.
template <typename Exchange>
bool WithPop3(TTarnwickBasic& library, Exchange exchange) {
  TMailer& mailer = Mailer(library);
  if (mailer.Pop3().busy()) return false;
  BusyPointer busy(library.Host);
  try {
    exchange(mailer, KeepHostRunning(library));
    return true;
  } catch (const net::TransferAborted&) {
    return false;
  } catch (const net::NetError& failure) {
    mailer.DisconnectPop3();
    library.ScriptError(failure.what());
    return false;
  }
}

// The header of message n; nothing when the server has no such message.
std::optional<net::MailHeader> ReadHeader(TMailer& mailer, int n, const net::KeepWaiting& keepWaiting) {
  const auto text = mailer.Pop3().header(n, keepWaiting);
  if (!text) return std::nullopt;
  return net::LoadNetModule().readMailHeader(*text);
}

// The variables a header walk fills.
struct HeaderVariables {
  std::string from, subject;
};

// Reads the two names of pop3firstheader and pop3nextheader; both must be there, else "Invalid Value".
std::optional<HeaderVariables> ReadHeaderVariables(TTarnwickBasic& library) {
  HeaderVariables names{ReadVariableName(library), ReadVariableName(library)};
  if (!names.from.empty() && !names.subject.empty()) return names;
  library.ScriptError("Invalid Value");
  return std::nullopt;
}

// Fills the variables of a header walk: empty texts when nothing was read.
void AssignHeader(TTarnwickBasic& library, const HeaderVariables& names, const std::optional<net::MailHeader>& header) {
  if (!names.from.empty()) library.SetVariable(names.from, ScriptValue(header ? header->from : std::string()));
  if (!names.subject.empty()) library.SetVariable(names.subject, ScriptValue(header ? header->subject : std::string()));
}

void Pop3FirstHeader(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const auto names = ReadHeaderVariables(library);
  if (!names || library.CheckMode) return;
  WithPop3(library, [&](TMailer& mailer, const net::KeepWaiting& keepWaiting) {
    mailer.DisconnectPop3();
    std::optional<net::MailHeader> header;
    if (mailer.EnsurePop3(keepWaiting) && mailer.MessageCount > 0) {
      header = ReadHeader(mailer, 1, keepWaiting);
      mailer.NextMessage = 2;
    } else {
      mailer.DisconnectPop3();
    }
    AssignHeader(library, *names, header);
    result = ScriptValue::Integer(header ? 1 : 0);
  });
}

void Pop3NextHeader(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const auto names = ReadHeaderVariables(library);
  if (!names || library.CheckMode) return;
  WithPop3(library, [&](TMailer& mailer, const net::KeepWaiting& keepWaiting) {
    std::optional<net::MailHeader> header;
    if (mailer.MessageCount <= 0) {
      mailer.DisconnectPop3();
    } else if (mailer.EnsurePop3(keepWaiting)) {
      const int n = mailer.NextMessage++;
      header = ReadHeader(mailer, n, keepWaiting);
      if (header) result = ScriptValue::Integer(n);
    }
    AssignHeader(library, *names, header);
  });
}

void Pop3GetHead(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Boolean(false);
  const ScriptValue numberText(library.ReadArgument());
  const HeaderVariables names{ReadVariableName(library), ReadVariableName(library)};
  std::int32_t n = 0;
  if (!library.CheckMode && !IntegerArgument(library, numberText, n)) return;
  if (n < 0 || names.from.empty()) {
    library.ScriptError("Invalid Value");
    return;
  }
  if (library.CheckMode) return;
  WithPop3(library, [&](TMailer& mailer, const net::KeepWaiting& keepWaiting) {
    std::optional<net::MailHeader> header;
    if (mailer.Pop3().connected()) header = ReadHeader(mailer, n, keepWaiting);
    AssignHeader(library, names, header);
    result = ScriptValue::Boolean(header.has_value());
  });
}

void Pop3Retrieve(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue numberText(library.ReadArgument());
  const std::string bodyName = ReadVariableName(library);
  std::int32_t n = 1;
  if (!library.CheckMode && !IntegerArgument(library, numberText, n)) return;
  if (n < 1 || bodyName.empty()) {
    library.ScriptError("Invalid Value");
    return;
  }
  if (library.CheckMode) return;
  WithPop3(library, [&](TMailer& mailer, const net::KeepWaiting& keepWaiting) {
    std::string body;
    if (mailer.EnsurePop3(keepWaiting)) {
      if (auto message = mailer.Pop3().message(n, keepWaiting)) {
        body = WithCrLfLines(net::LoadNetModule().readMailText(*message));
        result = ScriptValue::Integer(1);
      }
    }
    library.SetVariable(bodyName, ScriptValue(body));
  });
}

void Pop3Delete(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue numberText(library.ReadArgument());
  std::int32_t n = 1;
  if (!library.CheckMode && !IntegerArgument(library, numberText, n)) return;
  if (n < 1) {
    library.ScriptError("Invalid Value");
    return;
  }
  if (library.CheckMode) return;
  WithPop3(library, [&](TMailer& mailer, const net::KeepWaiting& keepWaiting) {
    if (!mailer.EnsurePop3(keepWaiting)) return;
    const bool deleted = mailer.Pop3().markDeleted(n, keepWaiting);
    mailer.MessageCount = mailer.Pop3().count(keepWaiting);
    result = ScriptValue::Integer(deleted ? 1 : 0);
  });
}

void SmtpSend(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  net::OutgoingMail mail;
  mail.from = library.ReadArgument();
  const std::string to = library.ReadArgument();
  mail.subject = library.ReadArgument();
  mail.body = library.ReadArgument();
  const std::string attachments = library.ReadOptionalArgument(ScriptValue("")).ToText();
  mail.contentType = library.ReadOptionalArgument(ScriptValue("")).ToText();
  if (library.CheckMode) return;
  mail.to = Lines(to);
  std::vector<std::string> recipients;
  for (const std::string& line : mail.to) recipients.push_back(net::LoadNetModule().bareAddress(line));
  const std::string sender = net::LoadNetModule().bareAddress(mail.from);
  const auto invalid = [](const std::string& address) { return address.empty() || BreaksProtocolLine(address); };
  if (BreaksProtocolLine(mail.from) || BreaksProtocolLine(mail.contentType) || invalid(sender) || recipients.empty() ||
      std::any_of(recipients.begin(), recipients.end(), invalid)) {
    library.ScriptError("Invalid Value");
    return;
  }
  mail.attachments = ExistingFiles(attachments);
  TMailer& mailer = Mailer(library);
  if (mailer.Smtp().busy()) return;
  BusyPointer busy(library.Host);
  try {
    mailer.Smtp().send(sender, recipients, net::LoadNetModule().composeMail(mail, net::LineEnds::Internet),
                       KeepHostRunning(library));
    result = ScriptValue::Integer(1);
  } catch (const net::TransferAborted&) {
  } catch (const net::NetError& failure) {
    library.ScriptError(failure.what());
  }
}

// Hands the message to the system's sendmail, which takes its recipients from the header.
void MapiSend(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  net::OutgoingMail mail;
  const std::string to = library.ReadArgument();
  mail.subject = library.ReadArgument();
  mail.body = library.ReadArgument();
  const std::string attachments = library.ReadOptionalArgument(ScriptValue("")).ToText();
  if (library.CheckMode) return;
  if (to.empty() || BreaksProtocolLine(to)) {
    library.ScriptError("Invalid Value");
    return;
  }
  mail.to = {to};
  mail.subject.resize(text::SkipCharacters(mail.subject, 0, kLongestMapiSubject));
  mail.attachments = ExistingFiles(attachments);
  std::string message;
  try {
    message = net::LoadNetModule().composeMail(mail, net::LineEnds::Unix);
  } catch (const net::NetError& failure) {
    library.ScriptError(failure.what());
    return;
  }
  BusyPointer busy(library.Host);
  port::ProgramRunner& runner = library.Desktop.programRunner();
  const std::vector<std::string> arguments = {"-t", "-i"};
  port::RunResult run = runner.run("sendmail", arguments, message, KeepHostRunning(library));
  if (!run.started) run = runner.run("/usr/sbin/sendmail", arguments, message, KeepHostRunning(library));
  if (!run.started) {
    library.ScriptError("Mapi Mail is not available");
    return;
  }
  result = ScriptValue::Integer(run.finished && run.exitStatus == 0 ? 1 : 0);
}

}  // namespace

void AddMailFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("smtpsetup", SmtpSetup);
  handlers.AddFunction("pop3setup", Pop3Setup);
  handlers.AddFunction("smtpconnect", SmtpConnect);
  handlers.AddFunction("pop3connect", Pop3Connect);
  handlers.AddFunction("smtpdisconnect", SmtpDisconnect);
  handlers.AddFunction("pop3disconnect", Pop3Disconnect);
  handlers.AddFunction("pop3count", Pop3Count);
  handlers.AddFunction("pop3firstheader", Pop3FirstHeader);
  handlers.AddFunction("pop3nextheader", Pop3NextHeader);
  handlers.AddFunction("pop3gethead", Pop3GetHead);
  handlers.AddFunction("pop3retrieve", Pop3Retrieve);
  handlers.AddFunction("pop3getmail", Pop3Retrieve);
  handlers.AddFunction("pop3delete", Pop3Delete);
  handlers.AddFunction("smtpsend", SmtpSend);
  handlers.AddFunction("mapisend", MapiSend);
}

}  // namespace tw
