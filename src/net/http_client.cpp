#include "net/http_client.h"

#include "net/curl_session.h"

namespace tw::net {

namespace {

struct BodyTarget {
  const HttpRequest* request;
  CURL* handle;
  bool started = false;
  bool refused = false;
};

std::size_t PassBody(char* data, std::size_t size, std::size_t count, void* target) {
  auto* body = static_cast<BodyTarget*>(target);
  try {  // nothing may be thrown through curl
    if (!body->started) {
      body->started = true;
      curl_off_t length = -1;
      if (body->request->onLength &&
          curl_easy_getinfo(body->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length >= 0)
        body->request->onLength(length);
    }
    if (!body->request->onBody || body->request->onBody(std::string_view(data, size * count))) return size * count;
  } catch (const std::exception&) {
  }
  body->refused = true;
  return 0;
}

// The status line and header fields of the last response among the reply lines (a redirect or a
// proxy's answer comes before the final one).
HttpResponse LastResponse(const std::vector<std::string>& lines) {
  HttpResponse response;
  for (const std::string& line : lines) {
    if (line.rfind("HTTP/", 0) == 0) {
      response = HttpResponse{};
      const std::size_t code = line.find(' ');
      if (code != std::string::npos) {
        response.status = std::atoi(line.c_str() + code + 1);
        const std::size_t reason = line.find(' ', code + 1);
        if (reason != std::string::npos) response.reason = line.substr(reason + 1);
      }
    } else if (!line.empty()) {
      response.headerFields.push_back(line);
    }
  }
  return response;
}

}  // namespace

HttpResponse Fetch(const HttpRequest& request, const KeepWaiting& keepWaiting) {
  CurlSession session("http,https");
  CURL* handle = session.prepare();
  curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, kMostRedirects);
  // A page may take its time to be made before its first byte comes; a stop request still ends the wait.
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, 0L);
  curl_slist* headers = nullptr;
  for (const std::string& header : request.headers) headers = curl_slist_append(headers, header.c_str());
  headers = curl_slist_append(headers, "Expect:");  // send bodies straight away
  struct Freer {
    ~Freer() { curl_slist_free_all(list); }
    curl_slist* list;
  } freer{headers};
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  switch (request.method) {
    case HttpMethod::Get: break;
    case HttpMethod::Head: curl_easy_setopt(handle, CURLOPT_NOBODY, 1L); break;
    case HttpMethod::Post:
      curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
      curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.body.data());
      break;
  }
  if (!request.proxyHost.empty()) {
    curl_easy_setopt(handle, CURLOPT_PROXY, request.proxyHost.c_str());
    curl_easy_setopt(handle, CURLOPT_PROXYPORT, request.proxyPort);
  }
  BodyTarget body{&request, handle};
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &PassBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);

  const RequestOutcome outcome = session.perform(keepWaiting);
  HttpResponse response = LastResponse(session.replies());
  if (body.refused) throw HttpError("The response could not be stored", response.status, response.reason);
  if (!outcome.ok()) throw HttpError(outcome.message, response.status, response.reason);
  if (response.status >= 400) throw HttpError("Request failed", response.status, response.reason);
  return response;
}

}  // namespace tw::net
