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

// The message a user reads for an exception that ended an operation: the library's own words for a
// failed allocation ("std::bad_alloc") mean nothing to a script's author.
std::string FailureMessage(const std::exception& failure);

enum class ValueKind : std::uint8_t { Text, Integer, Real, Boolean };

// Short text (up to 16 bytes) is held in the value itself, so numbers turned into text, names and
// short literals cost no allocation. Longer text is kept in a shared, append-only buffer: copies
// are cheap, and appending to a value that ends where its buffer ends extends the buffer in place,
// so `s = s + x` in a loop costs time proportional to what is appended, not to the length of s.
class ScriptValue {
 public:
  ScriptValue() noexcept : kind_(ValueKind::Text), small_(1) {}
  ScriptValue(std::string_view text);  // NOLINT: text is the natural value
  ScriptValue(const char* text) : ScriptValue(std::string_view(text)) {}
  ScriptValue(const std::string& text) : ScriptValue(std::string_view(text)) {}
  // Takes the text over without copying it, which counts for large texts such as downloads.
  ScriptValue(std::string&& text);
  static ScriptValue Integer(std::int32_t value) noexcept;
  static ScriptValue Real(double value) noexcept;
  static ScriptValue Boolean(bool value) noexcept;

  ScriptValue(const ScriptValue& other) noexcept : kind_(other.kind_), small_(other.small_), data_(other.data_) {
    Retain();
  }
  ScriptValue(ScriptValue&& other) noexcept : kind_(other.kind_), small_(other.small_), data_(other.data_) {
    other.kind_ = ValueKind::Text;
    other.small_ = 1;
  }
  ScriptValue& operator=(const ScriptValue& other) noexcept {
    if (this != &other) {
      other.Retain();
      Release();
      kind_ = other.kind_;
      small_ = other.small_;
      data_ = other.data_;
    }
    return *this;
  }
  ScriptValue& operator=(ScriptValue&& other) noexcept {
    if (this != &other) {
      Release();
      kind_ = other.kind_;
      small_ = other.small_;
      data_ = other.data_;
      other.kind_ = ValueKind::Text;
      other.small_ = 1;
    }
    return *this;
  }
  ~ScriptValue() { Release(); }

  ValueKind Kind() const noexcept { return kind_; }
  bool IsText() const noexcept { return kind_ == ValueKind::Text; }
  bool IsNumber() const noexcept { return kind_ == ValueKind::Integer || kind_ == ValueKind::Real; }

  // The text of a text value; empty for other kinds (use ToText for those).
  std::string_view TextView() const noexcept {
    if (kind_ != ValueKind::Text) return {};
    if (small_) return std::string_view(data_.chars, small_ - 1u);
    return std::string_view(BufferData(), data_.heap.length);
  }

  std::string ToText() const;
  void AppendTextTo(std::string& out) const;
  double ToReal() const;          // throws ScriptFailure (conversion error)
  std::int32_t ToInteger() const; // rounds halves to even; throws ScriptFailure
  bool ToBoolean() const;         // throws ScriptFailure

  std::int32_t IntegerValue() const noexcept { return data_.integer; }
  double RealValue() const noexcept { return data_.real; }
  bool BooleanValue() const noexcept { return data_.boolean; }

  // For text: how many characters its first `bytes` bytes hold, and the byte offset after its first
  // `count` characters (the rules of text/utf8.h). Long text remembers in its buffer what a walk
  // learned, so asking again, through this value or another sharing the buffer, walks at most a
  // few kilobytes instead of the whole text.
  std::size_t CharactersBefore(std::size_t bytes) const;
  std::size_t SkipCharacters(std::size_t count) const;
  // The byte offset after `count` more characters from byte `from`, a character start that `before`
  // characters precede.
  std::size_t SkipCharacters(std::size_t from, std::size_t before, std::size_t count) const;

  // Text concatenation, extending this value's buffer in place when it may.
  static ScriptValue Concat(const ScriptValue& left, std::string_view right);

 private:
  struct Buffer;
  static constexpr std::size_t kSmallLimit = 16;
  const char* BufferData() const noexcept;
  void Release() noexcept {
    if (kind_ == ValueKind::Text && !small_) ReleaseBuffer();
  }
  void Retain() const noexcept;
  void ReleaseBuffer() noexcept;

  ValueKind kind_;
  std::uint8_t small_;  // text held in place: its length + 1; 0 for text in a buffer
  union Data {
    struct {
      Buffer* buffer;
      std::size_t length;
    } heap;
    char chars[kSmallLimit];
    std::int32_t integer;
    double real;
    bool boolean;
  } data_{};
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

// Whether a three-way order satisfies comparison operator 0 =, 1 <>, 2 <, 3 >, 4 <=, 5 >=.
inline bool OrderHolds(int comparison, int order) {
  switch (comparison) {
    case 0: return order == 0;
    case 1: return order != 0;
    case 2: return order < 0;
    case 3: return order > 0;
    case 4: return order <= 0;
    default: return order >= 0;
  }
}

}  // namespace tw
