#include "commands/connection_string.h"

#include <algorithm>
#include <cctype>

#include "text/ascii_text.h"

namespace tw {

namespace {

struct Attribute {
  std::string Key;  // trimmed, as written
  std::string Value;
  bool HasValue = true;  // false for a part written without "="
};

// Keys and values lose white space at either end; other control characters are kept.
std::string_view TrimmedWhiteSpace(std::string_view text) { return TrimmedOf(text, " \t\n\v\f\r"); }

bool IsPasswordKey(std::string_view key) {
  return EqualsIgnoringAsciiCase(key, "pwd") || EqualsIgnoringAsciiCase(key, "password");
}

std::vector<Attribute> Split(std::string_view text) {
  std::vector<Attribute> attributes;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t equals = text.find('=', at);
    const std::size_t semicolon = text.find(';', at);
    if (equals == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < equals)) {
      // A part without "=": kept as a key without value, so the driver can say what it makes of it.
      const std::size_t end = semicolon == std::string_view::npos ? text.size() : semicolon;
      if (!TrimmedWhiteSpace(text.substr(at, end - at)).empty())
        attributes.push_back({std::string(TrimmedWhiteSpace(text.substr(at, end - at))), "", false});
      at = end + 1;
      continue;
    }
    Attribute attribute{std::string(TrimmedWhiteSpace(text.substr(at, equals - at))), ""};
    std::size_t valueStart = equals + 1;
    while (valueStart < text.size() && text[valueStart] == ' ') ++valueStart;
    if (valueStart < text.size() && text[valueStart] == '{') {
      const std::size_t close = text.find('}', valueStart);
      const std::size_t end = close == std::string_view::npos ? text.size() : close + 1;
      attribute.Value = std::string(text.substr(valueStart, end - valueStart));
      at = text.find(';', end);
      at = at == std::string_view::npos ? text.size() : at + 1;
    } else {
      const std::size_t end = text.find(';', valueStart);
      attribute.Value = std::string(TrimmedWhiteSpace(
          text.substr(valueStart, end == std::string_view::npos ? std::string_view::npos : end - valueStart)));
      at = end == std::string_view::npos ? text.size() : end + 1;
    }
    attributes.push_back(std::move(attribute));
  }
  return attributes;
}

// The value without the braces it may be written in.
std::string Bare(const std::string& value) {
  if (value.size() >= 2 && value.front() == '{' && value.back() == '}') return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

TConnectionString ParseConnectionString(std::string_view text) {
  std::vector<Attribute> attributes = Split(text);
  TConnectionString result;
  bool odbcProvider = false;
  for (auto it = attributes.begin(); it != attributes.end();) {
    if (!EqualsIgnoringAsciiCase(it->Key, "provider")) {
      ++it;
      continue;
    }
    const std::string provider = Bare(it->Value);
    if (!EqualsIgnoringAsciiCase(provider, "msdasql") && !EqualsIgnoringAsciiCase(provider, "msdasql.1")) {
      result.OtherProvider = provider;
      return result;
    }
    odbcProvider = true;
    it = attributes.erase(it);
  }
  for (Attribute& attribute : attributes) {
    if (odbcProvider) {
      if (EqualsIgnoringAsciiCase(attribute.Key, "data source")) attribute.Key = "DSN";
      if (EqualsIgnoringAsciiCase(attribute.Key, "user id")) attribute.Key = "UID";
      if (EqualsIgnoringAsciiCase(attribute.Key, "password")) attribute.Key = "PWD";
    }
    if (IsPasswordKey(attribute.Key) && !Bare(attribute.Value).empty()) result.Secrets.push_back(Bare(attribute.Value));
    if (!result.Odbc.empty()) result.Odbc += ';';
    result.Odbc += attribute.Key;
    if (attribute.HasValue) result.Odbc += "=" + attribute.Value;
  }
  return result;
}

std::string WithoutSecrets(std::string message, const std::vector<std::string>& secrets) {
  for (const std::string& secret : secrets)
    for (std::size_t at = message.find(secret); at != std::string::npos; at = message.find(secret, at + 3))
      message.replace(at, secret.size(), "***");
  // Drivers that repeat the connection string in a message.
  for (std::size_t at = 0; at < message.size(); ++at) {
    for (std::string_view key : {"pwd=", "password="}) {
      if (at + key.size() > message.size() ||
          !EqualsIgnoringAsciiCase(std::string_view(message).substr(at, key.size()), key))
        continue;
      if (at > 0 && std::isalnum(static_cast<unsigned char>(message[at - 1]))) continue;
      const std::size_t start = at + key.size();
      std::size_t end = start;
      if (end < message.size() && message[end] == '{') {
        end = message.find('}', end);
        end = end == std::string::npos ? message.size() : end + 1;
      } else {
        while (end < message.size() && message[end] != ';' && !std::isspace(static_cast<unsigned char>(message[end])))
          ++end;
      }
      message.replace(start, end - start, "***");
      at = start + 2;
      break;
    }
  }
  return message;
}

}  // namespace tw
