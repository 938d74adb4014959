#pragma once
// Case of characters beyond ASCII, from ICU's simple (one character to one character) mappings.
// Bytes that are not valid UTF-8 are kept as they are.

#include <string>
#include <string_view>

namespace tw::text {

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
char32_t FoldCase(char32_t c);

}  // namespace tw::text
