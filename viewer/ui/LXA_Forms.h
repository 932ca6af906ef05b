// The program's two windows, made by the data module's CreateForms through the factory
// registered here: the main window first, then the about box.
#pragma once

namespace ui {

class TfrmLXAMain;
class TfrmLXAAbout;

// Registers the windows with the core: the window factory of the data module, and the
// screen for the core's requests (message box, hourglass cursor, icons).
void RegisterForms();
// The windows once created, else null. Owned here until DestroyForms.
TfrmLXAMain *frmLXAMain();
TfrmLXAAbout *frmLXAAbout();
// Destroys both windows; they read the catalogue, so this runs before the data module
// is destroyed.
void DestroyForms();

}  // namespace ui
