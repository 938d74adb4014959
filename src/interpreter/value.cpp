#include "interpreter/value.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "interpreter/invariant.h"
#include "interpreter/number_text.h"
#include "text/ascii_text.h"
#include "text/utf8.h"

namespace tw {

std::string FailureMessage(const std::exception& failure) {
  if (dynamic_cast<const std::bad_alloc*>(&failure) || dynamic_cast<const std::length_error*>(&failure))
    return "Out of memory";
  return failure.what();
}

// Values are used by the one thread that runs scripts, so the count needs no atomics.
struct ScriptValue::Buffer {
  std::size_t refs = 1;
  std::string data;
  text::CharacterMarks marks;  // the bytes only grow at the end, so what a walk learned stays true
};

ScriptValue::ScriptValue(std::string_view text) : kind_(ValueKind::Text), small_(0) {
  if (text.size() <= kSmallLimit) {
    small_ = static_cast<std::uint8_t>(text.size() + 1);
    if (!text.empty()) std::memcpy(data_.chars, text.data(), text.size());
    return;
  }
  data_.heap.buffer = new Buffer{1, std::string(text), {}};
  data_.heap.length = text.size();
}

ScriptValue::ScriptValue(std::string&& text) : kind_(ValueKind::Text), small_(0) {
  if (text.size() <= kSmallLimit) {
    small_ = static_cast<std::uint8_t>(text.size() + 1);
    if (!text.empty()) std::memcpy(data_.chars, text.data(), text.size());
    return;
  }
  data_.heap.length = text.size();
  data_.heap.buffer = new Buffer{1, std::move(text), {}};
}

ScriptValue ScriptValue::Integer(std::int32_t value) noexcept {
  ScriptValue v;
  v.kind_ = ValueKind::Integer;
  v.small_ = 0;
  v.data_.integer = value;
  return v;
}

ScriptValue ScriptValue::Real(double value) noexcept {
  ScriptValue v;
  v.kind_ = ValueKind::Real;
  v.small_ = 0;
  v.data_.real = value;
  return v;
}

ScriptValue ScriptValue::Boolean(bool value) noexcept {
  ScriptValue v;
  v.kind_ = ValueKind::Boolean;
  v.small_ = 0;
  v.data_.boolean = value;
  return v;
}

const char* ScriptValue::BufferData() const noexcept { return data_.heap.buffer->data.data(); }

void ScriptValue::Retain() const noexcept {
  TW_ASSERT(kind_ != ValueKind::Text || small_ || data_.heap.buffer->refs > 0);  // no value holds a freed buffer
  if (kind_ == ValueKind::Text && !small_) ++data_.heap.buffer->refs;
}

void ScriptValue::ReleaseBuffer() noexcept {
  TW_ASSERT(data_.heap.buffer->refs > 0);
  if (--data_.heap.buffer->refs == 0) delete data_.heap.buffer;
}

namespace {
// Shorter text is walked each time: the walk costs about what remembering would.
constexpr std::size_t kMarkedLength = std::size_t{16} * 1024;
}  // namespace

std::size_t ScriptValue::CharactersBefore(std::size_t bytes) const {
  const std::string_view text = TextView();
  if (kind_ != ValueKind::Text || small_ || text.size() < kMarkedLength)
    return text::CharacterCount(text.substr(0, std::min(bytes, text.size())));
  return data_.heap.buffer->marks.CountBefore(text, bytes);
}

std::size_t ScriptValue::SkipCharacters(std::size_t count) const {
  const std::string_view text = TextView();
  if (kind_ != ValueKind::Text || small_ || text.size() < kMarkedLength) return text::SkipCharacters(text, 0, count);
  return data_.heap.buffer->marks.Skip(text, count);
}

std::size_t ScriptValue::SkipCharacters(std::size_t from, std::size_t before, std::size_t count) const {
  const std::string_view text = TextView();
  if (kind_ != ValueKind::Text || small_ || text.size() < kMarkedLength) return text::SkipCharacters(text, from, count);
  return data_.heap.buffer->marks.Skip(text, before + count, from, before);
}

void ScriptValue::AppendTextTo(std::string& out) const {
  switch (kind_) {
    case ValueKind::Text: out += TextView(); break;
    case ValueKind::Integer: AppendInteger(out, data_.integer); break;
    case ValueKind::Real: AppendReal(out, data_.real); break;
    case ValueKind::Boolean: out += data_.boolean ? "True" : "False"; break;
  }
}

std::string ScriptValue::ToText() const {
  if (kind_ == ValueKind::Text) return std::string(TextView());
  std::string text;
  AppendTextTo(text);
  return text;
}

double ScriptValue::ToReal() const {
  switch (kind_) {
    case ValueKind::Text:
      if (auto value = ParseReal(TextView())) return *value;
      ThrowConversionError(ValueKind::Text, ValueKind::Real);
    case ValueKind::Integer: return data_.integer;
    case ValueKind::Real: return data_.real;
    case ValueKind::Boolean: return data_.boolean ? -1.0 : 0.0;
  }
  return 0;
}

std::int32_t ScriptValue::ToInteger() const {
  switch (kind_) {
    case ValueKind::Text:
      if (auto real = ParseReal(TextView()))
        if (auto rounded = RoundToInteger(*real)) return *rounded;
      if (auto value = ParseInteger(TextView())) return *value;
      ThrowConversionError(ValueKind::Text, ValueKind::Integer);
    case ValueKind::Integer: return data_.integer;
    case ValueKind::Real:
      if (auto rounded = RoundToInteger(data_.real)) return *rounded;
      ThrowConversionError(ValueKind::Real, ValueKind::Integer);
    case ValueKind::Boolean: return data_.boolean ? -1 : 0;
  }
  return 0;
}

bool ScriptValue::ToBoolean() const {
  switch (kind_) {
    case ValueKind::Text: {
      std::string_view text = TextView();
      if (IsKeyword(text, "true")) return true;
      if (IsKeyword(text, "false")) return false;
      if (auto value = ParseReal(text)) return *value != 0;
      ThrowConversionError(ValueKind::Text, ValueKind::Boolean);
    }
    case ValueKind::Integer: return data_.integer != 0;
    case ValueKind::Real: return data_.real != 0;
    case ValueKind::Boolean: return data_.boolean;
  }
  return false;
}

ScriptValue ScriptValue::Concat(const ScriptValue& left, std::string_view right) {
  if (right.empty()) return left.IsText() ? left : ScriptValue(left.ToText());
  if (left.IsText() && !left.small_) {
    Buffer* buffer = left.data_.heap.buffer;
    const bool aliases = right.data() >= buffer->data.data() && right.data() < buffer->data.data() + buffer->data.size();
    if (buffer->data.size() == left.data_.heap.length && !aliases) {
      // Nothing else sees past this value's end, so the buffer can grow in place.
      buffer->data.append(right);
      ScriptValue result = left;
      result.data_.heap.length = left.data_.heap.length + right.size();
      return result;
    }
  }
  std::string joined;
  if (left.IsText()) {
    const std::string_view leftText = left.TextView();
    if (leftText.size() + right.size() <= kSmallLimit) {
      ScriptValue result;
      std::memcpy(result.data_.chars, leftText.data(), leftText.size());
      std::memcpy(result.data_.chars + leftText.size(), right.data(), right.size());
      result.small_ = static_cast<std::uint8_t>(leftText.size() + right.size() + 1);
      return result;
    }
    joined.reserve(leftText.size() + right.size());
    joined += leftText;
  } else {
    left.AppendTextTo(joined);
  }
  joined += right;
  ScriptValue result;
  if (joined.size() <= kSmallLimit) return ScriptValue(std::string_view(joined));
  result.small_ = 0;
  result.data_.heap.buffer = new Buffer{1, std::move(joined), {}};
  result.data_.heap.length = result.data_.heap.buffer->data.size();
  return result;
}

const char* KindName(ValueKind kind) noexcept {
  switch (kind) {
    case ValueKind::Text: return "String";
    case ValueKind::Integer: return "Integer";
    case ValueKind::Real: return "Double";
    case ValueKind::Boolean: return "Boolean";
  }
  return "Unknown";
}

void ThrowConversionError(ValueKind from, ValueKind to) {
  throw ScriptFailure(std::string("Could not convert variant of type (") + KindName(from) +
                      ") into type (" + KindName(to) + ")");
}

namespace {

// Booleans take part in arithmetic as the whole numbers -1 and 0.
bool IsWhole(const ScriptValue& v) {
  return v.Kind() == ValueKind::Integer || v.Kind() == ValueKind::Boolean;
}

std::int64_t WholeOf(const ScriptValue& v) {
  return v.Kind() == ValueKind::Integer ? v.IntegerValue() : (v.BooleanValue() ? -1 : 0);
}

ScriptValue WholeResult(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max())
    return ScriptValue::Real(static_cast<double>(value));
  return ScriptValue::Integer(static_cast<std::int32_t>(value));
}

ScriptValue RealResult(double value) {
  if (std::isnan(value)) throw ScriptFailure("Invalid floating point operation");
  if (std::isinf(value)) throw ScriptFailure("Floating point overflow");
  return ScriptValue::Real(value);
}

}  // namespace

ScriptValue Add(const ScriptValue& left, const ScriptValue& right) {
  if (left.IsText() && right.IsText()) return ScriptValue::Concat(left, right.TextView());
  if (IsWhole(left) && IsWhole(right)) return WholeResult(WholeOf(left) + WholeOf(right));
  return RealResult(left.ToReal() + right.ToReal());
}

ScriptValue Subtract(const ScriptValue& left, const ScriptValue& right) {
  if (IsWhole(left) && IsWhole(right)) return WholeResult(WholeOf(left) - WholeOf(right));
  return RealResult(left.ToReal() - right.ToReal());
}

ScriptValue Multiply(const ScriptValue& left, const ScriptValue& right) {
  if (IsWhole(left) && IsWhole(right)) return WholeResult(WholeOf(left) * WholeOf(right));
  return RealResult(left.ToReal() * right.ToReal());
}

ScriptValue Divide(const ScriptValue& left, const ScriptValue& right) {
  double dividend = left.ToReal();
  double divisor = right.ToReal();
  if (divisor == 0) throw ScriptFailure("Floating point division by zero");
  return RealResult(dividend / divisor);
}

ScriptValue Power(const ScriptValue& left, const ScriptValue& right) {
  double base = left.ToReal();
  std::int32_t exponent = right.ToInteger();
  if (base == 0 && exponent < 0) throw ScriptFailure("Floating point division by zero");
  return RealResult(std::pow(base, exponent));
}

ScriptValue Negate(const ScriptValue& value) {
  if (IsWhole(value)) return WholeResult(-WholeOf(value));
  return ScriptValue::Real(-value.ToReal());
}

ScriptValue ToRealValue(const ScriptValue& value) {
  if (value.Kind() == ValueKind::Real) return value;
  return ScriptValue::Real(value.ToReal());
}

namespace {

template <typename T>
int ThreeWay(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int Compare(const ScriptValue& left, const ScriptValue& right) {
  if (left.IsText() && right.IsText()) {
    int c = left.TextView().compare(right.TextView());  // char_traits<char> compares as unsigned
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  const bool leftBool = left.Kind() == ValueKind::Boolean;
  const bool rightBool = right.Kind() == ValueKind::Boolean;
  if ((leftBool && right.IsText()) || (rightBool && left.IsText()))
    return ThreeWay<int>(left.ToBoolean() ? -1 : 0, right.ToBoolean() ? -1 : 0);
  if (IsWhole(left) && IsWhole(right)) return ThreeWay(WholeOf(left), WholeOf(right));
  return ThreeWay(left.ToReal(), right.ToReal());
}

}  // namespace tw
