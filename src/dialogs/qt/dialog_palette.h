#pragma once
// Definition colours on the screen: the system colours take the colours of the palette's roles.

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace tw {

QColor DialogQColor(std::int32_t colour, const QPalette& palette);

}  // namespace tw
