#include "viewer/core/LXA_Cursor.h"

#include "viewer/core/Screen.h"

// Without a screen (a test, a tool) there is no cursor to change.
TWaitCursor::TWaitCursor() : Active(static_cast<bool>(Screen().SetBusy)) {
    if (Active)
        Screen().SetBusy(true);
}

TWaitCursor::~TWaitCursor() {
    if (Active && Screen().SetBusy)
        Screen().SetBusy(false);
}
