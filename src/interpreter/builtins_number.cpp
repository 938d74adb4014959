// abs, sqrt, trunc, round and random. The numeric argument arrives as text and is read as a
// real in full double precision.

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <system_error>

#include "interpreter/builtins.h"
#include "interpreter/interpreter.h"

namespace tw {

namespace {

// Reads the one real argument of abs, sqrt and trunc; false when the run must not go on with it.
bool ReadReal(TBasicInterpreter& in, double& value) {
  const ScriptValue argument(in.ReadArgument());
  if (in.CheckMode) return false;
  return RealArgument(in, argument, value);
}

void Abs(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  double value = 0;
  if (ReadReal(in, value)) result = ScriptValue::Real(std::fabs(value));
}

void Sqrt(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  double value = 0;
  if (!ReadReal(in, value)) return;
  if (value < 0) {
    in.ScriptError("Invalid floating point operation");
    return;
  }
  result = ScriptValue::Real(std::sqrt(value));
}

// The fraction is dropped toward zero. A whole part beyond 32 bits cannot be a whole number
// value; it is kept as a real (still without fraction) rather than failing.
void Trunc(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  double value = 0;
  if (!ReadReal(in, value)) return;
  const double whole = std::trunc(value);
  if (whole >= std::numeric_limits<std::int32_t>::min() && whole <= std::numeric_limits<std::int32_t>::max())
    result = ScriptValue::Integer(static_cast<std::int32_t>(whole));
  else
    result = ScriptValue::Real(whole);
}

// Rounds in decimal, on the shortest digits that read back as the same double, so a value is
// rounded as its written text says: 2.675 is a half and goes to 2.68, though the double nearest
// to it lies a little below. Halves go to the even neighbour. Nothing when the result overflows.
std::optional<double> RoundDecimal(double value, std::int32_t digits) {
  if (value == 0) return 0.0;
  char text[64];
  const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  // text is [-]d[.ddd]e(+|-)xx
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  std::string mantissa;
  for (; *p != 'e'; ++p)
    if (*p != '.') mantissa += *p;
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+'), written.ptr, exponent);

  // Digit i of the mantissa stands for 10^(exponent - i); keep those down to 10^-digits.
  const std::int64_t keep = static_cast<std::int64_t>(exponent) + digits + 1;
  if (keep >= static_cast<std::int64_t>(mantissa.size())) return value;
  if (keep < 0) return negative ? -0.0 : 0.0;

  std::string kept = mantissa.substr(0, static_cast<std::size_t>(keep));
  const char next = mantissa[static_cast<std::size_t>(keep)];
  const bool moreAfterNext = mantissa.find_first_not_of('0', static_cast<std::size_t>(keep) + 1) != std::string::npos;
  const bool lastOdd = !kept.empty() && (kept.back() - '0') % 2 == 1;
  const bool up = next > '5' || (next == '5' && (moreAfterNext || lastOdd));
  if (kept.empty()) kept.push_back('0');  // not = "0": GCC 12 at -O3 warns of a memcpy overlap there
  if (up) {
    std::size_t i = kept.size();
    while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
    if (i == 0)
      kept.insert(kept.begin(), '1');
    else
      ++kept[i - 1];
  }
  // The kept digits are a whole number of units of 10^(exponent - keep + 1) = 10^-digits.
  std::string decimal = kept + "e" + std::to_string(-static_cast<std::int64_t>(digits));
  double rounded = 0;
  const auto read = std::from_chars(decimal.data(), decimal.data() + decimal.size(), rounded);
  if (read.ec != std::errc() || !std::isfinite(rounded)) return std::nullopt;
  return negative ? -rounded : rounded;
}

void Round(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue valueArgument(in.ReadArgument());
  const ScriptValue digitsArgument = in.ReadOptionalArgument(ScriptValue::Integer(0));
  if (in.CheckMode) return;
  double value = 0;
  std::int32_t digits = 0;
  if (!RealArgument(in, valueArgument, value) || !IntegerArgument(in, digitsArgument, digits)) return;
  const std::optional<double> rounded = RoundDecimal(value, digits);
  if (!rounded) {
    in.ScriptError("Floating point overflow");
    return;
  }
  result = ScriptValue::Real(*rounded == 0 ? 0.0 : *rounded);
}

std::mt19937& Generator() {
  static std::mt19937 generator([] {
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    return std::mt19937(seed);
  }());
  return generator;
}

// random(n) for n of 1 or less has only one value to give: 0.
void Random(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue argument = in.ReadOptionalArgument(ScriptValue::Integer(1));
  if (in.CheckMode) return;
  std::int32_t range = 1;
  if (!IntegerArgument(in, argument, range) || range <= 1) return;
  std::uniform_int_distribution<std::int32_t> pick(0, range - 1);
  result = ScriptValue::Integer(pick(Generator()));
}

}  // namespace

void AddNumberFunctions(BuiltinTable& table) {
  table.Set(Builtin::Abs, Abs);
  table.Set(Builtin::Sqrt, Sqrt);
  table.Set(Builtin::Trunc, Trunc);
  table.Set(Builtin::Round, Round);
  table.Set(Builtin::Random, Random);
}

}  // namespace tw
