// What the core asks of the screen: a modal message box, the hourglass cursor, and an icon
// made from the images of an icon file. The windows register the real ones at start-up
// (ui::RegisterForms); without them the core runs without a screen, as the terminal tool
// and the core's tests do: messages go to standard error, the cursor is left alone and
// icons stay empty (their files are still read and checked).
#pragma once

#include <QIcon>
#include <QImage>
#include <functional>
#include <vector>

struct TDialogRequest;

struct TScreen {
    // Shows the dialog modally and returns its modal result (mrOk, mrYes ...).
    std::function<int(const TDialogRequest &)> ShowDialog;
    // Sets the hourglass (true) or gives the default cursor back (false); nested calls pair.
    std::function<void(bool)> SetBusy;
    // An icon holding every image of an icon file (one per size).
    std::function<QIcon(const std::vector<QImage> &)> MakeIcon;
};

// Replaces the registered screen; returns the previous one.
TScreen SetScreen(TScreen screen);
const TScreen &Screen();
