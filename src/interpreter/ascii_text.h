#pragma once
// Text helpers that look at ASCII only: names the system compares without regard to letter case (window
// titles, key names, settings keys) and the trimming of blanks and control characters. Other bytes, UTF-8
// sequences among them, stay as they are.

#include <string>
#include <string_view>

namespace tw {

std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// text without the blanks and control characters (bytes up to 32) at either end.
std::string_view Trimmed(std::string_view text);

}  // namespace tw
