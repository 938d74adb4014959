#pragma once
// Conversions between UTF-8 and the Latin-1 of X's STRING type.

#include <string>

namespace tw::port::x11 {

std::string latin1ToUtf8(const std::string& latin1);
// Characters outside Latin-1 become '?'; invalid UTF-8 bytes count as Latin-1 characters.
std::string utf8ToLatin1(const std::string& utf8);

}  // namespace tw::port::x11
