// The main window's reading comfort state (LXA_MainReading.cpp): the page's look, the
// search history, and the parts made on first use.
#pragma once

#include <QPrinter>
#include <memory>
#include <optional>

#include "viewer/core/SearchHistory.h"
#include "viewer/display/PageLook.h"
#include "viewer/ui/LXA_Main.h"

namespace ui {

struct TfrmLXAMain::TReading {
    display::TPageLook Look;
    std::optional<bool> DarkChoice;  // the user's choice; none: the page follows the desktop
    TSearchTrail Trail;
    TRecentSearches Recent;
    bool Replaying = false;             // showing a search of the trail again records nothing
    bool Saved = false;                 // the history went to the settings when the window closed
    TFindBar *FindBar = nullptr;        // owned by the window, made on first use
    THistoryPopup *Popup = nullptr;     // the same
    std::unique_ptr<QPrinter> Printer;  // kept for the run: the user's last choices
};

}  // namespace ui
