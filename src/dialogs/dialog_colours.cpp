#include "dialogs/dialog_colours.h"

#include <array>
#include <cstdio>

#include "dialogs/definition_text.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

struct NamedColour {
  std::string_view Name;
  std::uint32_t Value;
};

constexpr std::uint32_t kSystem = 0x80000000u;

constexpr std::array<NamedColour, 52> kColours = {{
    {"clBlack", 0x00000000},
    {"clMaroon", 0x00000080},
    {"clGreen", 0x00008000},
    {"clOlive", 0x00008080},
    {"clNavy", 0x00800000},
    {"clPurple", 0x00800080},
    {"clTeal", 0x00808000},
    {"clGray", 0x00808080},
    {"clSilver", 0x00C0C0C0},
    {"clRed", 0x000000FF},
    {"clLime", 0x0000FF00},
    {"clYellow", 0x0000FFFF},
    {"clBlue", 0x00FF0000},
    {"clFuchsia", 0x00FF00FF},
    {"clAqua", 0x00FFFF00},
    {"clWhite", 0x00FFFFFF},
    {"clMoneyGreen", 0x00C0DCC0},
    {"clSkyBlue", 0x00F0CAA6},
    {"clCream", 0x00F0FBFF},
    {"clMedGray", 0x00A4A0A0},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
    {"clScrollBar", kSystem + 0},
    {"clBackground", kSystem + 1},
    {"clActiveCaption", kSystem + 2},
    {"clInactiveCaption", kSystem + 3},
    {"clMenu", kSystem + 4},
    {"clWindow", kSystem + 5},
    {"clWindowFrame", kSystem + 6},
    {"clMenuText", kSystem + 7},
    {"clWindowText", kSystem + 8},
    {"clCaptionText", kSystem + 9},
    {"clActiveBorder", kSystem + 10},
    {"clInactiveBorder", kSystem + 11},
    {"clAppWorkSpace", kSystem + 12},
    {"clHighlight", kSystem + 13},
    {"clHighlightText", kSystem + 14},
    {"clBtnFace", kSystem + 15},
    {"clBtnShadow", kSystem + 16},
    {"clGrayText", kSystem + 17},
    {"clBtnText", kSystem + 18},
    {"clInactiveCaptionText", kSystem + 19},
    {"clBtnHighlight", kSystem + 20},
    {"cl3DDkShadow", kSystem + 21},
    {"cl3DLight", kSystem + 22},
    {"clInfoText", kSystem + 23},
    {"clInfoBk", kSystem + 24},
    {"clHotLight", kSystem + 26},
    {"clGradientActiveCaption", kSystem + 27},
    {"clGradientInactiveCaption", kSystem + 28},
    {"clMenuHighlight", kSystem + 29},
    {"clMenuBar", kSystem + 30},
}};

template <class Matches>
const NamedColour* FindColour(Matches matches) {
  for (const NamedColour& colour : kColours)
    if (matches(colour)) return &colour;
  return nullptr;
}

}  // namespace

std::optional<std::int32_t> ParseColour(std::string_view text) {
  if (const NamedColour* named = FindColour([&](const NamedColour& c) { return EqualsIgnoringAsciiCase(c.Name, text); }))
    return static_cast<std::int32_t>(named->Value);
  return ParseDefinitionInteger(text);
}

std::string ColourText(std::int32_t colour) {
  const auto value = static_cast<std::uint32_t>(colour);
  if (const NamedColour* named = FindColour([&](const NamedColour& c) { return c.Value == value; }))
    return std::string(named->Name);
  char hex[16];
  std::snprintf(hex, sizeof hex, "$%08X", value);
  return hex;
}

std::optional<int> SystemColourIndex(std::int32_t colour) {
  const auto value = static_cast<std::uint32_t>(colour);
  if ((value & 0xFFFFFF00u) != kSystem) return std::nullopt;
  return static_cast<int>(value & 0xFFu);
}

Rgb RgbOf(std::int32_t colour) {
  const auto value = static_cast<std::uint32_t>(colour);
  return {static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF), static_cast<int>((value >> 16) & 0xFF)};
}

}  // namespace tw
