// How the user left the main window, kept under the application's registry key for the
// current user (the machine's value as a default): the page's zoom, dark reading, and the
// window's place on the screen.
#pragma once

#include <optional>
#include <string>

struct TViewSettings {
    int ZoomPercent = 100;
    std::optional<bool> DarkReading;  // none: the page follows the desktop
    std::string Placement;            // the window's geometry as the toolkit saved it, or empty
    // "Selectie volgen": a new selection elsewhere shows the lookup popup; the modifier
    // that must be held for it ("Ctrl", "Shift", "Alt", "Meta"; empty: none).
    bool FollowSelection = false;
    std::string FollowModifier;
};

// The settings under the key; values that are missing or unreadable keep their defaults.
TViewSettings ReadViewSettings(const std::string &regKey);
void WriteZoomSetting(const std::string &regKey, int percent);
void WriteDarkReadingSetting(const std::string &regKey, bool dark);
void WriteFollowSelectionSetting(const std::string &regKey, bool follow);
void WritePlacementSetting(const std::string &regKey, const std::string &placement);
