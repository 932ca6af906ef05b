// The screen side of the core's requests (viewer/core/Screen.h): the Dutch message box, the
// hourglass cursor and icons as pixmaps. RegisterForms registers them with the core.
#pragma once

#include <QMessageBox>
#include <memory>

#include "viewer/core/LXA_MsgDlg.h"

namespace ui {

void RegisterScreen();

// The box for a dialog: the kind's picture, the Dutch caption and buttons, the text as plain
// text (a dictionary name with "<" must not turn into markup).
std::unique_ptr<QMessageBox> MakeMessageBox(const TDialogRequest &request);
// The modal result of the button that closed the box (mrCancel when none did).
int ResultOf(const QMessageBox &box);

}  // namespace ui
