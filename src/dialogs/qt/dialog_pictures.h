#pragma once
// The dialogs' own seven 32 x 32 pictures, shown by image controls whose file is missing:
// 0 a globe with orbiting balls, 1 a shooting star with a speech bubble (every text layout's icon), 2 a scroll
// with a quill, 3 a window with a diskette, 4 a computer with a star, 5 a hand writing on paper, 6 a dialog form.

#include <QPixmap>

#include "dialogs/dialog_control.h"

namespace tw {

inline constexpr int kDialogPictureCount = 7;

// An empty (transparent) picture for an index outside the list.
QPixmap DialogPicture(int index);
// What an image control shows: the picture in its file, or its picture of the list when the file is missing.
QPixmap ImagePicture(const DialogControl& control);

}  // namespace tw
