// httpexec against python3's http.server with a CGI echo, tinyproxy and openssl s_server on 127.0.0.1.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "library_support.h"
#include "net_servers.h"
#include "support/scoped_environment.h"

namespace tw {
namespace {

using netbed::HttpServer;
using netbed::WriteFile;
using ::testing::HasSubstr;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

TEST(HttpFunctions, GetGivesTheBodyWithEveryLineBreakAsCrLf) {
  HttpServer server;
  WriteFile(server.root() / "mixed.txt", "unix\nmac\rdos\r\nlast");
  // Enough CR LF pairs that some are split between the pieces the body arrives in.
  std::string big;
  for (int i = 0; i < 100000; ++i) big += "line " + std::to_string(i) + "\r\n";
  WriteFile(server.root() / "big.txt", big);
  // The server sends a folder's address without its final "/" on to the address with it.
  std::filesystem::create_directories(server.root() / "moved");
  WriteFile(server.root() / "moved" / "index.html", "found after a redirect");
  test::LibrarySession session;
  const test::LibraryRun run = session.Run(
      "a = httpexec(\"get\", " + Quoted(server.url("/mixed.txt")) + ")\n"
      "b = httpexec(\"browse\", " + Quoted(server.url("/big.txt")) + ")\n"
      "print a\nprint length(b)\nprint right(b, 12)\n"
      "print httpexec(\"get\", " + Quoted(server.url("/moved")) + ")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "unix\r\nmac\r\ndos\r\nlast\n" + std::to_string(big.size()) +
                            "\nline 99999\r\n\nfound after a redirect\n");
}

TEST(HttpFunctions, PostSendsTheDataAsAFormWithTheFixedHeaders) {
  HttpServer server;
  test::LibrarySession session;
  const test::LibraryRun run =
      session.Run("print httpexec(\"POST\", " + Quoted(server.url("/cgi-bin/echo.cgi")) + ", \"name=Ann&city=Bern\")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output,
            "method=POST\r\n"
            "type=application/x-www-form-urlencoded\r\n"
            "agent=Mozilla/3.0 (compatible)\r\n"
            "accept=image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
            "cache=\r\n"
            "body=name=Ann&city=Bern\r\n\n")
      << server.log();
}

TEST(HttpFunctions, HeadGivesTheHeaderFieldsWithoutTheStatusLine) {
  HttpServer server;
  WriteFile(server.root() / "page.html", "<p>12345</p>");
  test::LibrarySession session;
  const test::LibraryRun run = session.Run("print httpexec(\"head\", " + Quoted(server.url("/page.html")) + ")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_THAT(run.Output, ::testing::StartsWith("Server: SimpleHTTP/"));
  EXPECT_THAT(run.Output, HasSubstr("\r\nContent-Length: 12\r\n"));
  EXPECT_THAT(run.Output, ::testing::EndsWith("GMT\n"));  // the last field, no empty line after it
  EXPECT_THAT(run.Output, ::testing::Not(HasSubstr("HTTP/1.")));
}

TEST(HttpFunctions, FailuresGiveTheMessageStatusAndReason) {
  HttpServer server;
  const int closedPort = netbed::FreePort();
  const struct {
    std::string url;
    std::string error;
  } cases[] = {
      {server.url("/missing.html"), "Request failed - Status: 404 - Reason: File not found"},
      {"http://127.0.0.1:" + std::to_string(closedPort) + "/", " - Status: 0 - Reason: "},
      {"gopher://127.0.0.1/", " - Status: 0 - Reason: "},
  };
  for (const auto& c : cases) {
    test::LibrarySession session;
    const test::LibraryRun run = session.Run("print httpexec(\"get\", " + Quoted(c.url) + ")\n");
    ASSERT_EQ(run.Errors.size(), 1u) << c.url;
    EXPECT_THAT(run.Errors[0], HasSubstr(c.error + " on line: 1")) << c.url;
  }
}

TEST(HttpFunctions, AProxyIsUsedOnlyWhenNamed) {
  HttpServer server;
  WriteFile(server.root() / "via.txt", "through the proxy");
  netbed::HttpProxy proxy;
  // A proxy in the environment is not the script's.
  test::ScopedEnvironment environmentProxy("http_proxy", "http://127.0.0.1:" + std::to_string(netbed::FreePort()));
  test::LibrarySession session;
  const test::LibraryRun run =
      session.Run("print httpexec(\"get\", " + Quoted(server.url("/via.txt")) + ", \"\", " +
                  std::to_string(proxy.port()) + ", \"127.0.0.1\")\n"
                  "print httpexec(\"get\", " + Quoted(server.url("/via.txt")) + ")\n");
  EXPECT_THAT(run.Errors, ::testing::IsEmpty());
  EXPECT_EQ(run.Output, "through the proxy\nthrough the proxy\n");
  EXPECT_THAT(proxy.log(), HasSubstr(server.url("/via.txt")));
  EXPECT_EQ(proxy.log().find(server.url("/via.txt")), proxy.log().rfind(server.url("/via.txt")));
}

TEST(HttpFunctions, HttpsTrustsTheSystemStoreOrTheBundleTheEnvironmentNames) {
  netbed::TestCa ca;
  netbed::TlsWebServer server(ca);
  WriteFile(server.root() / "secure.txt", "sealed\n");
  const std::string script =
      "print httpexec(\"get\", \"https://127.0.0.1:" + std::to_string(server.port()) + "/secure.txt\")\n";
  test::ScopedEnvironment noBundle("CURL_CA_BUNDLE", std::nullopt), noFile("SSL_CERT_FILE", std::nullopt);
  {
    test::LibrarySession session;
    const test::LibraryRun run = session.Run(script);
    ASSERT_EQ(run.Errors.size(), 1u);
    EXPECT_THAT(run.Errors[0], HasSubstr("certificate"));
    EXPECT_THAT(run.Errors[0], HasSubstr(" - Status: 0 - Reason: "));
  }
  for (const char* variable : {"CURL_CA_BUNDLE", "SSL_CERT_FILE"}) {
    test::ScopedEnvironment trust(variable, ca.caFile().string());
    test::LibrarySession session;
    const test::LibraryRun run = session.Run(script);
    EXPECT_THAT(run.Errors, ::testing::IsEmpty()) << variable;
    EXPECT_EQ(run.Output, "sealed\r\n\n") << variable;
  }
}

}  // namespace
}  // namespace tw
