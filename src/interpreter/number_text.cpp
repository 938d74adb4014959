#include "interpreter/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "interpreter/locale/locale.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void AppendInteger(std::string& out, std::int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendReal(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "NAN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-INF" : "INF";
    return;
  }
  if (value == 0) {
    out += '0';
    return;
  }
  const char separator = currentLocale().decimalSeparator;
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    AppendInteger(out, static_cast<std::int64_t>(value));  // whole numbers are the common case
    return;
  }
  // 15 significant digits, correctly rounded, as d.dddddddddddddde[+-]x.
  char buffer[40];
  auto written = std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::scientific, 14);
  *written.ptr = '\0';
  const char* p = buffer;
  bool negative = *p == '-';
  if (negative) ++p;
  char digits[16];
  int count = 0;
  for (; *p != 'e'; ++p)
    if (IsDigit(*p)) digits[count++] = *p;
  int exponent = std::atoi(p + 1);
  while (count > 1 && digits[count - 1] == '0') --count;

  if (negative) out += '-';
  if (exponent >= -5 && exponent <= 14) {
    if (exponent >= 0) {
      for (int i = 0; i <= exponent; ++i) out += i < count ? digits[i] : '0';
      if (count > exponent + 1) {
        out += separator;
        out.append(digits + exponent + 1, digits + count);
      }
    } else {
      out += '0';
      out += separator;
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out.append(digits, digits + count);
    }
    return;
  }
  out += digits[0];
  if (count > 1) {
    out += separator;
    out.append(digits + 1, digits + count);
  }
  out += 'E';
  if (exponent < 0) out += '-';
  AppendInteger(out, std::abs(exponent));
}

std::string FormatReal(double value) {
  std::string text;
  AppendReal(text, value);
  return text;
}

std::optional<double> ParseReal(std::string_view text) {
  text = Trimmed(text);
  // Whole numbers of up to 15 digits, the common case, are exact as doubles.
  if (!text.empty() && text.size() <= 16) {
    std::size_t at = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (at < text.size()) {
      std::int64_t whole = 0;
      std::size_t i = at;
      while (i < text.size() && IsDigit(text[i])) whole = whole * 10 + (text[i++] - '0');
      if (i == text.size()) return text[0] == '-' ? -static_cast<double>(whole) : static_cast<double>(whole);
    }
  }
  // Rewrite into the form from_chars reads: sign dropped, '.' as the separator.
  char buffer[512];
  std::size_t length = 0;
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const char separator = currentLocale().decimalSeparator;
  std::size_t mantissaDigits = 0;
  auto put = [&](char c) {
    if (length >= sizeof buffer - 1) return false;
    buffer[length++] = c;
    return true;
  };
  for (; i < text.size() && IsDigit(text[i]); ++i, ++mantissaDigits)
    if (!put(text[i])) return std::nullopt;
  if (i < text.size() && text[i] == separator) {
    if (!put('.')) return std::nullopt;
    for (++i; i < text.size() && IsDigit(text[i]); ++i, ++mantissaDigits)
      if (!put(text[i])) return std::nullopt;
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    if (!put('e')) return std::nullopt;
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
      if (!put(text[i++])) return std::nullopt;
    std::size_t exponentDigits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++exponentDigits)
      if (!put(text[i])) return std::nullopt;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  double value = 0;
  auto result = std::from_chars(buffer, buffer + length, value);
  if (result.ec == std::errc::result_out_of_range) {
    // The largest reals, written with 15 digits, round up past the top of the range: read them back
    // as that top rather than refusing text this program wrote itself.
    long double wide = 0;
    auto again = std::from_chars(buffer, buffer + length, wide);
    constexpr long double top = std::numeric_limits<double>::max();
    if (again.ec == std::errc() && wide > 1 && wide <= top * (1 + 1e-14L)) {
      value = std::numeric_limits<double>::max();
      result = again;
    }
  }
  if (result.ec != std::errc() || result.ptr != buffer + length || !std::isfinite(value))
    return std::nullopt;
  return negative ? -value : value;
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int32_t value = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
    return std::nullopt;
  return value;
}

std::optional<std::int32_t> RoundToInteger(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double rounded = std::nearbyint(value);  // the default rounding mode sends halves to even
  if (rounded < std::numeric_limits<std::int32_t>::min() ||
      rounded > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

}  // namespace tw
