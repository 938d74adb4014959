#include "interpreter/value.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "interpreter/number_text.h"

namespace tw {

// Values are used by the one thread that runs scripts, so the count needs no atomics.
struct ScriptValue::Buffer {
  std::size_t refs = 1;
  std::string data;
};

ScriptValue::ScriptValue(std::string_view text) : kind_(ValueKind::Text), length_(text.size()) {
  if (!text.empty()) {
    buffer_ = new Buffer;
    buffer_->data.assign(text);
  }
}

ScriptValue::ScriptValue(std::string&& text) : kind_(ValueKind::Text), length_(text.size()) {
  if (!text.empty()) {
    buffer_ = new Buffer;
    buffer_->data = std::move(text);
  }
}

ScriptValue ScriptValue::Integer(std::int32_t value) noexcept {
  ScriptValue v;
  v.kind_ = ValueKind::Integer;
  v.integer_ = value;
  return v;
}

ScriptValue ScriptValue::Real(double value) noexcept {
  ScriptValue v;
  v.kind_ = ValueKind::Real;
  v.real_ = value;
  return v;
}

ScriptValue ScriptValue::Boolean(bool value) noexcept {
  ScriptValue v;
  v.kind_ = ValueKind::Boolean;
  v.boolean_ = value;
  return v;
}

ScriptValue::ScriptValue(const ScriptValue& other) noexcept
    : kind_(other.kind_), buffer_(other.buffer_), real_(0) {
  std::memcpy(static_cast<void*>(&real_), &other.real_, sizeof real_);
  Retain();
}

ScriptValue::ScriptValue(ScriptValue&& other) noexcept
    : kind_(other.kind_), buffer_(other.buffer_), real_(0) {
  std::memcpy(static_cast<void*>(&real_), &other.real_, sizeof real_);
  other.buffer_ = nullptr;
  other.kind_ = ValueKind::Text;
  other.length_ = 0;
}

ScriptValue& ScriptValue::operator=(const ScriptValue& other) noexcept {
  if (this != &other) {
    other.Retain();
    Release();
    kind_ = other.kind_;
    buffer_ = other.buffer_;
    std::memcpy(static_cast<void*>(&real_), &other.real_, sizeof real_);
  }
  return *this;
}

ScriptValue& ScriptValue::operator=(ScriptValue&& other) noexcept {
  if (this != &other) {
    Release();
    kind_ = other.kind_;
    buffer_ = other.buffer_;
    std::memcpy(static_cast<void*>(&real_), &other.real_, sizeof real_);
    other.buffer_ = nullptr;
    other.kind_ = ValueKind::Text;
    other.length_ = 0;
  }
  return *this;
}

ScriptValue::~ScriptValue() { Release(); }

void ScriptValue::Retain() const noexcept {
  if (buffer_) ++buffer_->refs;
}

void ScriptValue::Release() noexcept {
  if (buffer_ && --buffer_->refs == 0) delete buffer_;
  buffer_ = nullptr;
}

std::string_view ScriptValue::TextView() const noexcept {
  if (kind_ != ValueKind::Text || !buffer_) return {};
  return std::string_view(buffer_->data.data(), length_);
}

void ScriptValue::AppendTextTo(std::string& out) const {
  switch (kind_) {
    case ValueKind::Text: out += TextView(); break;
    case ValueKind::Integer: AppendInteger(out, integer_); break;
    case ValueKind::Real: AppendReal(out, real_); break;
    case ValueKind::Boolean: out += boolean_ ? "True" : "False"; break;
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
    case ValueKind::Integer: return integer_;
    case ValueKind::Real: return real_;
    case ValueKind::Boolean: return boolean_ ? -1.0 : 0.0;
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
    case ValueKind::Integer: return integer_;
    case ValueKind::Real:
      if (auto rounded = RoundToInteger(real_)) return *rounded;
      ThrowConversionError(ValueKind::Real, ValueKind::Integer);
    case ValueKind::Boolean: return boolean_ ? -1 : 0;
  }
  return 0;
}

bool ScriptValue::ToBoolean() const {
  switch (kind_) {
    case ValueKind::Text: {
      std::string_view text = TextView();
      auto equalsFolded = [text](std::string_view word) {
        if (text.size() != word.size()) return false;
        for (std::size_t i = 0; i < text.size(); ++i)
          if ((text[i] | 0x20) != word[i]) return false;
        return true;
      };
      if (equalsFolded("true")) return true;
      if (equalsFolded("false")) return false;
      if (auto value = ParseReal(text)) return *value != 0;
      ThrowConversionError(ValueKind::Text, ValueKind::Boolean);
    }
    case ValueKind::Integer: return integer_ != 0;
    case ValueKind::Real: return real_ != 0;
    case ValueKind::Boolean: return boolean_;
  }
  return false;
}

ScriptValue ScriptValue::Concat(const ScriptValue& left, std::string_view right) {
  std::string_view leftText = left.TextView();
  if (right.empty()) return left.IsText() ? left : ScriptValue(left.ToText());
  Buffer* buffer = left.IsText() ? left.buffer_ : nullptr;
  const bool aliases = buffer && right.data() >= buffer->data.data() &&
                       right.data() < buffer->data.data() + buffer->data.size();
  if (buffer && buffer->data.size() == left.length_ && !aliases) {
    // Nothing else sees past this value's end, so the buffer can grow in place.
    buffer->data.append(right);
    ScriptValue result = left;
    result.length_ = left.length_ + right.size();
    return result;
  }
  std::string joined;
  joined.reserve(leftText.size() + right.size());
  if (left.IsText())
    joined += leftText;
  else
    left.AppendTextTo(joined);
  joined += right;
  ScriptValue result;
  result.buffer_ = new Buffer;
  result.buffer_->data = std::move(joined);
  result.length_ = result.buffer_->data.size();
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
