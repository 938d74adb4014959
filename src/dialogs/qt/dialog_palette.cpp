#include "dialogs/qt/dialog_palette.h"

#include <array>

#include "dialogs/dialog_colours.h"

namespace tw {

namespace {

// The palette role that plays each system colour, by the system colour's index.
constexpr std::array<QPalette::ColorRole, 31> kRoles = {
    QPalette::Button,           // scroll bar
    QPalette::Dark,             // desktop background
    QPalette::Highlight,        // active caption
    QPalette::Mid,              // inactive caption
    QPalette::Window,           // menu
    QPalette::Base,             // window
    QPalette::Shadow,           // window frame
    QPalette::WindowText,       // menu text
    QPalette::Text,             // window text
    QPalette::HighlightedText,  // caption text
    QPalette::Window,           // active border
    QPalette::Window,           // inactive border
    QPalette::Mid,              // application workspace
    QPalette::Highlight,        // highlight
    QPalette::HighlightedText,  // highlighted text
    QPalette::Button,           // button face
    QPalette::Dark,             // button shadow
    QPalette::PlaceholderText,  // grey text
    QPalette::ButtonText,       // button text
    QPalette::WindowText,       // inactive caption text
    QPalette::Light,            // button highlight
    QPalette::Shadow,           // 3D dark shadow
    QPalette::Midlight,         // 3D light
    QPalette::ToolTipText,      // info text
    QPalette::ToolTipBase,      // info background
    QPalette::Window,           // (not used)
    QPalette::Link,             // hot light
    QPalette::Highlight,        // gradient active caption
    QPalette::Mid,              // gradient inactive caption
    QPalette::Highlight,        // menu highlight
    QPalette::Window,           // menu bar
};

}  // namespace

QColor DialogQColor(std::int32_t colour, const QPalette& palette) {
  if (const auto index = SystemColourIndex(colour))
    return palette.color(*index < static_cast<int>(kRoles.size()) ? kRoles[static_cast<std::size_t>(*index)]
                                                                  : QPalette::Window);
  // clNone and clDefault: the window's own colour.
  if (colour == 0x1FFFFFFF || colour == 0x20000000) return palette.color(QPalette::Button);
  const Rgb rgb = RgbOf(colour);
  return QColor(rgb.Red, rgb.Green, rgb.Blue);
}

std::int32_t DialogColourOf(const QColor& colour) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(colour.blue()) << 16 |
                                   static_cast<std::uint32_t>(colour.green()) << 8 |
                                   static_cast<std::uint32_t>(colour.red()));
}

}  // namespace tw
