#pragma once
// The widgets that stand for a dialog's controls on the design surface. Lists and labels are shown as memos of
// their text so that it can be read and typed over; edit boxes and memos have no border; check boxes and radio
// buttons sit on the designer's green; shapes are filled so that the mouse can take them. What is typed into a
// widget goes to its control at once.

#include <QWidget>
#include <cstddef>

#include "dialogs/enhance_form_dialog.h"

namespace tw {

QWidget* BuildDesignWidget(TEnhanceFormDialog& dialog, std::size_t control, QWidget* surface);

}  // namespace tw
