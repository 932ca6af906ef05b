// A button that opens and closes a part of the window, such as one book's results under
// its header: a screen reader hears a button that is expanded or collapsed (its checked
// state), and is told when that changes.
#pragma once

class QAbstractButton;

namespace ui {

// Makes the button checkable and read as an expander.
void MarkAsExpander(QAbstractButton *button);

}  // namespace ui
