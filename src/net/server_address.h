#pragma once
// Server names as scripts write them: a host name, or a URL-like "ftps://host" that asks for TLS.

#include <string>
#include <string_view>

namespace tw::net {

struct ServerAddress {
  std::string host;
  bool tls = false;
};

// "name" and "plain://name" are the plain protocol, "secure://name" asks for TLS; letter case of
// the scheme does not matter and a trailing "/" is dropped.
ServerAddress ParseServerAddress(std::string_view text, std::string_view plainScheme,
                                 std::string_view secureScheme);

// A host name or address that can stand in a URL as it is: no blanks, control characters, or the
// characters that would make part of it a user name, a path or a query ("ann@host", "host/x").
bool IsPlainHost(std::string_view host);

// "scheme://host:port" followed by a path that is already percent-encoded ("/", "/a%20b/").
// IPv6 addresses are bracketed.
std::string ServerUrl(std::string_view scheme, std::string_view host, int port, std::string_view encodedPath);

// Every byte but the unreserved characters of URLs as %XX.
std::string PercentEncoded(std::string_view text);

}  // namespace tw::net
