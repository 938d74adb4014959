#pragma once
// Colours of dialog definitions: 32-bit values 00BBGGRR, the named ones of the table, and the system colours
// (80000000 plus the system colour's index), which a toolkit maps to the roles of its palette.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

inline constexpr std::int32_t kClBtnFace = static_cast<std::int32_t>(0x8000000F);
inline constexpr std::int32_t kClWindow = static_cast<std::int32_t>(0x80000005);
inline constexpr std::int32_t kClBlack = 0;
inline constexpr std::int32_t kClWhite = 0x00FFFFFF;
inline constexpr std::int32_t kClMoneyGreen = 0x00C0DCC0;

// A colour by name (any letter case) or as a number (decimal, or hexadecimal after "$"); nothing otherwise.
std::optional<std::int32_t> ParseColour(std::string_view text);
// The colour's name when the table has one, otherwise "$" and eight hexadecimal digits.
std::string ColourText(std::int32_t colour);

// The system colour's index for values 80000000 to 800000FF; nothing for other values.
std::optional<int> SystemColourIndex(std::int32_t colour);
// Red, green and blue of a colour that is not a system colour.
struct Rgb {
  int Red = 0, Green = 0, Blue = 0;
};
Rgb RgbOf(std::int32_t colour);

}  // namespace tw
