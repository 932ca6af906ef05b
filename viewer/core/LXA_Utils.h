// Small services shared by the data module, the result list and the main window: registry
// settings with a machine-wide fallback, cutting a text at two markers, folding a word to
// its letter key, the shell's open operation, and the article export.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

// The three parts of a text around the first start marker and the first end marker.
struct TExtracted {
    std::string Before;
    std::string Inner;
    std::string After;
};

// The same parts as views into the text, for scanning long texts without copying.
struct TExtractedView {
    std::string_view Before;
    std::string_view Inner;
    std::string_view After;
};

// The named string value under key in the primary root, else in the fallback root, else
// the default. Never fails.
std::string ReadSetting(platform::RegRoot primary, std::optional<platform::RegRoot> fallback,
                        const std::string &key, const std::string &name,
                        const std::string &defaultValue);
// Writes a string value, creating the key; tries the fallback root when that fails.
void WriteSetting(platform::RegRoot primary, std::optional<platform::RegRoot> fallback,
                  const std::string &key, const std::string &name, const std::string &value);

// Three empty parts when a marker is missing or the first end marker comes before the end
// of the first start marker.
TExtracted ExtractBetween(std::string_view text, std::string_view startMarker,
                          std::string_view endMarker);
TExtractedView ExtractBetweenView(std::string_view text, std::string_view startMarker,
                                  std::string_view endMarker);

// Every byte replaced by its fold-table letters: "Café-au-lait 2" gives "CAFEAULAIT".
std::string FoldToLetterKey(std::string_view text);

// The keys fold a capital ligature to "CE" (the stored books rely on it) but the small one
// to "OE", so "CŒUR" finds the entries of "cœur" only as "cœur": the Windows-1252 word with
// every Œ made œ, for a second search after a miss; nothing when it has no Œ.
std::optional<std::string> SmallLigatureSpelling(std::string_view text);

// Opens a program or document under the hourglass; raises EGeneral with the system's text.
void ShellOpen(const std::string &file, const std::string &parameters);

// The user's temporary folder, ending in a delimiter, or empty.
std::string GetTempDirectory();

// Writes the article to "<yyyymmddhhnnss>.html" in the user's own "morvelt" folder for
// temporary files (PrivateTempFolder: in the temporary folder when that is the user's alone,
// else in the user's runtime folder, else "morvelt-<user number>" in the shared temporary
// folder) and offers to open it in the configured text editor (the desktop's editor when
// that program is missing). The folder must be the user's own and no link, and is closed to
// others (mode 0700); when no such folder can be had, an error (8, 1) says so. Raises
// EFCreateError when the file cannot be written.
void SaveArticle(const std::string &text);
// The same with the time stamp taken from `when`.
void SaveArticle(const std::string &text, std::time_t when);
