#pragma once
// Definition colours on the screen: the system colours take the colours of the palette's roles.

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace tw {

QColor DialogQColor(std::int32_t colour, const QPalette& palette);
// The definition colour (00BBGGRR) of a colour the user chose.
std::int32_t DialogColourOf(const QColor& colour);

}  // namespace tw
