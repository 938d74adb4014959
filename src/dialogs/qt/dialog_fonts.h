#pragma once
// The fonts that dialog definitions name, as the toolkit draws them. Names resolve through fontconfig, so
// metric-compatible fonts stand in for the classic ones ("Arial", "Courier New"); "Tahoma" is the sans font.
// Sizes are points at 96 pixels per inch, the grid the definitions' pixel positions were drawn on.

#include <QFont>

#include "dialogs/dialog_control.h"

namespace tw {

// "Courier New" always comes out fixed-pitch (the system's fixed font when the name does not resolve to one),
// since the text-layout grid depends on it.
QFont DialogQFont(const DialogFont& font);
// The definition font of a font the user chose: its family and styles, the size in points at 96 pixels per inch.
DialogFont DialogFontOf(const QFont& font);

}  // namespace tw
