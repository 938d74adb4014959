#include "net/server_address.h"

#include <cctype>

#include "text/ascii_text.h"

namespace tw::net {

namespace {

bool StartsWithScheme(std::string_view text, std::string_view scheme) {
  return text.size() >= scheme.size() + 3 && text.substr(scheme.size(), 3) == "://" &&
         StartsWithIgnoringAsciiCase(text, scheme);
}

}  // namespace

ServerAddress ParseServerAddress(std::string_view text, std::string_view plainScheme,
                                 std::string_view secureScheme) {
  ServerAddress address;
  if (StartsWithScheme(text, secureScheme)) {
    address.tls = true;
    text.remove_prefix(secureScheme.size() + 3);
  } else if (StartsWithScheme(text, plainScheme)) {
    text.remove_prefix(plainScheme.size() + 3);
  }
  while (!text.empty() && text.back() == '/') text.remove_suffix(1);
  address.host = std::string(text);
  return address;
}

bool IsPlainHost(std::string_view host) {
  if (host.empty()) return false;
  for (unsigned char c : host)
    if (c <= ' ' || c == 0x7f || std::string_view("/\\?#@\"'<>`{}|^").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  return true;
}

std::string ServerUrl(std::string_view scheme, std::string_view host, int port, std::string_view encodedPath) {
  std::string url(scheme);
  url += "://";
  const bool ipv6 = host.find(':') != std::string_view::npos && host.front() != '[';
  if (ipv6) url += '[';
  url += host;
  if (ipv6) url += ']';
  url += ':' + std::to_string(port);
  url += encodedPath.empty() ? std::string_view("/") : encodedPath;
  return url;
}

std::string PercentEncoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace tw::net
