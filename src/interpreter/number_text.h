#pragma once
// Numbers as the script language writes and reads them, using the locale's decimal separator.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

// General format: at most 15 significant digits, no trailing zeros; fixed notation for
// magnitudes from 0.00001 with at most 15 integer digits, otherwise "1.5E-6" / "1E20".
void AppendReal(std::string& out, double value);
std::string FormatReal(double value);
void AppendInteger(std::string& out, std::int64_t value);

// Optional sign, digits with an optional decimal separator and fraction, optional exponent,
// blanks around. Returns nothing when the text does not read as a finite number.
std::optional<double> ParseReal(std::string_view text);

// A plain decimal whole number (optional sign, digits, blanks around) within 32 bits.
std::optional<std::int32_t> ParseInteger(std::string_view text);

// Rounds to the nearest whole number, halves to even; nothing when outside 32 bits.
std::optional<std::int32_t> RoundToInteger(double value);

}  // namespace tw
