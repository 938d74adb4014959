// HTTP: httpexec fetches, posts or asks for the header of a page on a connection of its own.

#include "commands/network_calls.h"
#include "commands/tarnwick_basic.h"
#include "files/file_text.h"
#include "interpreter/builtins.h"
#include "net/net_module.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

std::string JoinedWithCrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

void HttpExec(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const std::string verb = LowerAscii(library.ReadArgument());
  const std::string url = library.ReadArgument();
  const std::string postData = library.ReadOptionalArgument(ScriptValue("")).ToText();
  const ScriptValue proxyPortText = library.ReadOptionalArgument(ScriptValue("81"));
  const std::string proxy = library.ReadOptionalArgument(ScriptValue("")).ToText();
  if (std::string_view(" get post browse head ").find(verb) == std::string_view::npos) {
    library.ScriptError("Invalid Value");
    return;
  }
  if (library.CheckMode) return;

  net::HttpRequest request;
  if (verb == "get" || verb == "browse")
    request.method = net::HttpMethod::Get;
  else if (verb == "post")
    request.method = net::HttpMethod::Post;
  else if (verb == "head")
    request.method = net::HttpMethod::Head;
  else
    return;  // a part of a verb ("ge") passes the check and does nothing
  request.url = url;
  request.headers = {"User-Agent: Mozilla/3.0 (compatible)",
                     "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*"};
  if (request.method == net::HttpMethod::Post) {
    request.headers.push_back("Content-Type: application/x-www-form-urlencoded");
    request.body = postData;
  }
  if (!proxy.empty()) {
    std::int32_t proxyPort = 0;
    if (!IntegerArgument(library, proxyPortText, proxyPort)) return;
    if (BreaksProtocolLine(proxy) || proxyPort <= 0 || proxyPort > 65535) {
      library.ScriptError("Invalid Value");
      return;
    }
    request.proxyHost = proxy;
    request.proxyPort = proxyPort;
  }
  std::string body;
  CrLfLineBreaks lines(body);
  request.onBody = [&lines](std::string_view piece) {
    lines.Append(piece);
    return true;
  };
  // Room for the body and a little for the CRs its line breaks may gain.
  request.onLength = [&body](std::int64_t length) { body.reserve(static_cast<std::size_t>(length + length / 32)); };

  BusyPointer busy(library.Host);
  try {
    const net::HttpResponse response = net::LoadNetModule().fetch(request, KeepHostRunning(library));
    result = ScriptValue(request.method == net::HttpMethod::Head ? JoinedWithCrLf(response.headerFields) : std::move(body));
  } catch (const net::TransferAborted&) {
  } catch (const net::HttpError& failure) {
    library.ScriptError(std::string(failure.what()) + " - Status: " + std::to_string(failure.status()) +
                        " - Reason: " + failure.reason());
  }
}

}  // namespace

void AddHttpFunctions(LibraryHandlers& handlers) { handlers.AddFunction("httpexec", HttpExec); }

}  // namespace tw
