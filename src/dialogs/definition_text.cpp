#include "dialogs/definition_text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>

#include "text/ascii_text.h"

namespace tw {

std::string_view FieldCursor::Next() {
  const std::size_t comma = rest_.find(',');
  std::string_view field = rest_.substr(0, comma);
  rest_ = comma == std::string_view::npos ? std::string_view() : rest_.substr(comma + 1);
  return field;
}

FieldCursor::Quoted FieldCursor::NextQuoted() {
  Quoted quoted;
  const std::size_t open = rest_.find('"');
  if (open == std::string_view::npos) {
    rest_ = {};
    return quoted;
  }
  const std::size_t close = rest_.find('"', open + 1);
  if (close == std::string_view::npos) {
    quoted.Text = rest_.substr(open + 1);
    rest_ = {};
    return quoted;
  }
  quoted.Text = rest_.substr(open + 1, close - open - 1);
  quoted.After = rest_.substr(close + 1);
  const std::size_t comma = quoted.After.find(',');
  rest_ = comma == std::string_view::npos ? std::string_view() : quoted.After.substr(comma + 1);
  return quoted;
}

std::string DecodeEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 4 <= text.size() && text[i + 3] == '&') {
      const std::string_view code = text.substr(i + 1, 2);
      if (code == "nl" || code == "qt") {
        out += code == "nl" ? "\r\n" : "\"";
        i += 3;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string EncodeEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      out += "&qt&";
    } else if (c == '\r' || c == '\n') {
      out += "&nl&";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<std::string> SplitItems(std::string_view items) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < items.size()) {
    const std::size_t semicolon = std::min(items.find(';', at), items.size());
    out.emplace_back(items.substr(at, semicolon - at));
    at = semicolon + 1;
  }
  return out;
}

std::string JoinItems(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) {
    if (&item != &items.front()) text += ';';
    text += item;
  }
  return text;
}

std::optional<std::int32_t> ParseDefinitionInteger(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
    if (text.size() > 8) return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t magnitude = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (base == 16) {
    const auto bits = static_cast<std::uint32_t>(magnitude);
    const auto value = static_cast<std::int32_t>(bits);
    return negative ? static_cast<std::int32_t>(0u - bits) : value;
  }
  const std::uint64_t limit = negative ? 2147483648ull : 2147483647ull;
  if (magnitude > limit) return std::nullopt;
  return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                  : static_cast<std::int32_t>(magnitude);
}

std::int32_t DefinitionInteger(std::string_view text, std::int32_t fallback) {
  return ParseDefinitionInteger(text).value_or(fallback);
}

bool DefinitionFlag(std::string_view text) { return Trimmed(text) == "1"; }

int TimeoutMilliseconds(std::string_view seconds) {
  seconds = Trimmed(seconds);
  double value = 0;
  const auto [end, error] = std::from_chars(seconds.data(), seconds.data() + seconds.size(), value,
                                            std::chars_format::fixed);
  if (seconds.empty() || error != std::errc() || end != seconds.data() + seconds.size() || !(value > 0)) return 0;
  const double milliseconds = std::nearbyint(value * 1000);
  if (milliseconds >= INT_MAX) return INT_MAX;
  return static_cast<int>(milliseconds);
}

std::string TimeoutText(int milliseconds) {
  const long centiseconds = (std::max(milliseconds, 0) + 5L) / 10;
  char text[32];
  std::snprintf(text, sizeof text, "%ld.%02ld", centiseconds / 100, centiseconds % 100);
  return text;
}

}  // namespace tw
