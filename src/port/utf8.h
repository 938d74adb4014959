#pragma once
// Text at the desktop's edge is UTF-8; script text that is not valid UTF-8 is read as Windows-1252.

#include <string>
#include <string_view>

namespace tw::port {

void AppendUtf8(std::string& out, char32_t c);
std::string Utf8(char32_t c);
// The characters of the text: UTF-8 sequences decoded, any other byte taken as Windows-1252.
std::u32string DecodeUtf8OrWindows1252(std::string_view text);

}  // namespace tw::port
