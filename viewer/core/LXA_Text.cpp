// ExtractBetween, FoldToLetterKey and SmallLigatureSpelling of LXA_Utils.
#include <algorithm>

#include "viewer/core/BookText.h"
#include "viewer/core/LXA_Utils.h"

TExtractedView ExtractBetweenView(std::string_view text, std::string_view startMarker,
                                  std::string_view endMarker) {
    const std::size_t start = text.find(startMarker);
    // The end marker is looked for from the beginning, not after the start marker.
    const std::size_t end = text.find(endMarker);
    if (start == std::string_view::npos || end == std::string_view::npos ||
        end < start + startMarker.size())
        return {};
    const std::size_t innerStart = start + startMarker.size();
    return {text.substr(0, start), text.substr(innerStart, end - innerStart),
            text.substr(end + endMarker.size())};
}

TExtracted ExtractBetween(std::string_view text, std::string_view startMarker,
                          std::string_view endMarker) {
    const TExtractedView parts = ExtractBetweenView(text, startMarker, endMarker);
    return {std::string(parts.Before), std::string(parts.Inner), std::string(parts.After)};
}

std::string FoldToLetterKey(std::string_view text) {
    return booktext::FoldKey(text);
}

std::optional<std::string> SmallLigatureSpelling(std::string_view text) {
    constexpr char kCapitalOe = '\x8C', kSmallOe = '\x9C';
    if (text.find(kCapitalOe) == std::string_view::npos)
        return std::nullopt;
    std::string small(text);
    std::replace(small.begin(), small.end(), kCapitalOe, kSmallOe);
    return small;
}
