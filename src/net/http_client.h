#pragma once
// One HTTP or HTTPS request on a connection of its own: redirects followed, a proxy only when
// one is named, the body handed over as it arrives.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "net/net_error.h"

namespace tw::net {

enum class HttpMethod { Get, Post, Head };

struct HttpRequest {
  HttpMethod method = HttpMethod::Get;
  std::string url;
  std::vector<std::string> headers;  // "Name: value"
  std::string body;                  // sent with posts
  std::string proxyHost;             // empty: straight to the server
  long proxyPort = 0;
  // Receives the response body in pieces; answering false ends the request with an error.
  std::function<bool(std::string_view)> onBody;
  // Told the body's announced length (in bytes) before its first piece arrives, when the server announces one.
  std::function<void(std::int64_t)> onLength;
};

struct HttpResponse {
  int status = 0;
  std::string reason;
  std::vector<std::string> headerFields;  // of the final response, without its status line
};

inline constexpr long kMostRedirects = 10;

// The request failed, or the final response has a status of 400 or more. status and reason are
// those of the last response received (0 and "" when none came).
class HttpError : public NetError {
 public:
  HttpError(const std::string& message, int status, std::string reason)
      : NetError(message), status_(status), reason_(std::move(reason)) {}
  int status() const { return status_; }
  const std::string& reason() const { return reason_; }

 private:
  int status_;
  std::string reason_;
};

HttpResponse Fetch(const HttpRequest& request, const KeepWaiting& keepWaiting);

}  // namespace tw::net
