#pragma once
// ScriptValue: the tagged value of the script language (text, whole number, real, boolean)
// with its conversion and operator rules.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tw {

// A failure inside an operation (conversion, arithmetic). The interpreter turns it into a
// script error carrying this message; it never leaves a run.
class ScriptFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class ValueKind : std::uint8_t { Text, Integer, Real, Boolean };

// Text is kept in a shared, append-only buffer: copies are cheap, and appending to a value that
// ends where its buffer ends extends the buffer in place, so `s = s + x` in a loop costs time
// proportional to what is appended, not to the length of s.
class ScriptValue {
 public:
  ScriptValue() noexcept : kind_(ValueKind::Text), length_(0) {}
  ScriptValue(std::string_view text);  // NOLINT: text is the natural value
  ScriptValue(const char* text) : ScriptValue(std::string_view(text)) {}
  ScriptValue(const std::string& text) : ScriptValue(std::string_view(text)) {}
  // Takes the text over without copying it, which counts for large texts such as downloads.
  ScriptValue(std::string&& text);
  static ScriptValue Integer(std::int32_t value) noexcept;
  static ScriptValue Real(double value) noexcept;
  static ScriptValue Boolean(bool value) noexcept;

  ScriptValue(const ScriptValue& other) noexcept;
  ScriptValue(ScriptValue&& other) noexcept;
  ScriptValue& operator=(const ScriptValue& other) noexcept;
  ScriptValue& operator=(ScriptValue&& other) noexcept;
  ~ScriptValue();

  ValueKind Kind() const noexcept { return kind_; }
  bool IsText() const noexcept { return kind_ == ValueKind::Text; }
  bool IsNumber() const noexcept { return kind_ == ValueKind::Integer || kind_ == ValueKind::Real; }

  // The text of a text value; empty for other kinds (use ToText for those).
  std::string_view TextView() const noexcept;

  std::string ToText() const;
  void AppendTextTo(std::string& out) const;
  double ToReal() const;          // throws ScriptFailure (conversion error)
  std::int32_t ToInteger() const; // rounds halves to even; throws ScriptFailure
  bool ToBoolean() const;         // throws ScriptFailure

  std::int32_t IntegerValue() const noexcept { return integer_; }
  double RealValue() const noexcept { return real_; }
  bool BooleanValue() const noexcept { return boolean_; }

  // Text concatenation, extending this value's buffer in place when it may.
  static ScriptValue Concat(const ScriptValue& left, std::string_view right);

 private:
  struct Buffer;
  void Release() noexcept;
  void Retain() const noexcept;

  ValueKind kind_;
  Buffer* buffer_ = nullptr;  // text only; null for the empty text
  union {
    std::size_t length_;      // text
    std::int32_t integer_;
    double real_;
    bool boolean_;
  };
};

// Kind names used in conversion error messages.
const char* KindName(ValueKind kind) noexcept;
[[noreturn]] void ThrowConversionError(ValueKind from, ValueKind to);

// Operators of the language.
ScriptValue Add(const ScriptValue& left, const ScriptValue& right);
ScriptValue Subtract(const ScriptValue& left, const ScriptValue& right);
ScriptValue Multiply(const ScriptValue& left, const ScriptValue& right);
ScriptValue Divide(const ScriptValue& left, const ScriptValue& right);
ScriptValue Power(const ScriptValue& left, const ScriptValue& right);
ScriptValue Negate(const ScriptValue& value);
ScriptValue ToRealValue(const ScriptValue& value);

// Three-way comparison (-1, 0, 1) by the language's rules; throws ScriptFailure when the two
// values cannot be compared.
int Compare(const ScriptValue& left, const ScriptValue& right);

}  // namespace tw
