#pragma once
// The pieces of definition lines: comma-separated fields, quoted texts with their escapes, and numbers as the
// two dialog formats write and read them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// Walks the fields of one line from left to right.
class FieldCursor {
 public:
  explicit FieldCursor(std::string_view line) : rest_(line) {}

  // The text up to the next comma, taken literally (the whole rest when there is no comma).
  std::string_view Next();

  struct Quoted {
    std::string_view Text;   // between the first double quote and the next one
    std::string_view After;  // what follows the closing quote on the line
  };
  // Everything up to the first double quote is skipped and the text runs to the next one. An unclosed quote runs
  // to the end of the line; a line without a quote gives an empty text. Reading goes on after the first comma
  // that follows the closing quote.
  Quoted NextQuoted();

 private:
  std::string_view rest_;
};

// "&nl&" becomes CR LF and "&qt&" a double quote.
std::string DecodeEscapes(std::string_view text);
// The other way round, so that any text fits between two quotes on one line: a double quote becomes "&qt&",
// and each line break (CR LF, or a lone CR or LF) "&nl&".
std::string EncodeEscapes(std::string_view text);

// The items of a drop-down list or list box from their text: each ends at a ';' or at the end of the text, so
// "a;b" and "a;b;" give the same two items and an empty text none.
std::vector<std::string> SplitItems(std::string_view items);
// The items with a ';' between each two, as a person types them.
std::string JoinItems(const std::vector<std::string>& items);

// A whole number in 32 bits: decimal with an optional sign, or hexadecimal after "$" (up to eight digits, read
// as the 32 bits they give); blanks may lead. Nothing for any other text.
std::optional<std::int32_t> ParseDefinitionInteger(std::string_view text);
std::int32_t DefinitionInteger(std::string_view text, std::int32_t fallback);
// A flag is on only when its text, trimmed, is exactly "1".
bool DefinitionFlag(std::string_view text);

// Seconds with a full stop as decimal separator, as whole milliseconds; 0 (no timeout) for a text that is no
// number, for zero and for negative values.
int TimeoutMilliseconds(std::string_view seconds);
// Milliseconds as seconds with exactly two decimals and a full stop: 1500 is "1.50".
std::string TimeoutText(int milliseconds);

}  // namespace tw
