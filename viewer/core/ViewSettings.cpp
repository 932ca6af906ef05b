#include "viewer/core/ViewSettings.h"

#include <charconv>

#include "viewer/core/LXA_Utils.h"

namespace {

using platform::RegRoot;

std::string Read(const std::string &regKey, const char *name) {
    return ReadSetting(RegRoot::CurrentUser, RegRoot::LocalMachine, regKey, name, "");
}

void Write(const std::string &regKey, const char *name, const std::string &value) {
    WriteSetting(RegRoot::CurrentUser, std::nullopt, regKey, name, value);
}

}  // namespace

TViewSettings ReadViewSettings(const std::string &regKey) {
    TViewSettings settings;
    const std::string zoom = Read(regKey, "Zoom");
    int percent = 0;
    const auto [end, error] = std::from_chars(zoom.data(), zoom.data() + zoom.size(), percent);
    if (error == std::errc() && end == zoom.data() + zoom.size() && !zoom.empty())
        settings.ZoomPercent = percent;
    const std::string dark = Read(regKey, "DarkReading");
    if (dark == "1" || dark == "0")
        settings.DarkReading = dark == "1";
    settings.Placement = Read(regKey, "WindowPlacement");
    settings.FollowSelection = Read(regKey, "FollowSelection") == "1";
    const std::string modifier = Read(regKey, "FollowSelectionModifier");
    for (const char *known : {"Ctrl", "Shift", "Alt", "Meta"})
        if (modifier == known)
            settings.FollowModifier = modifier;
    return settings;
}

void WriteZoomSetting(const std::string &regKey, int percent) {
    Write(regKey, "Zoom", std::to_string(percent));
}

void WriteDarkReadingSetting(const std::string &regKey, bool dark) {
    Write(regKey, "DarkReading", dark ? "1" : "0");
}

void WriteFollowSelectionSetting(const std::string &regKey, bool follow) {
    Write(regKey, "FollowSelection", follow ? "1" : "0");
}

void WritePlacementSetting(const std::string &regKey, const std::string &placement) {
    Write(regKey, "WindowPlacement", placement);
}
