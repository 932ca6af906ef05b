// What a selected text asks to look up: the words of a selection or the clipboard, and
// whether a new selection is short enough to look up by itself while following it.
#pragma once

#include <QString>

namespace ui {

// At most this many words and characters make a selection worth a popup of its own.
inline constexpr int kFollowedWords = 5;
inline constexpr int kFollowedCharacters = 60;

// The text with its blanks and line breaks simplified to single spaces and punctuation
// trimmed from both ends ("„fiets,”" gives "fiets"); empty when nothing remains.
QString SelectedWords(const QString &text);

// Whether the words (SelectedWords' result) are one to five words of at most 60
// characters that hold a letter.
bool IsFollowedSelection(const QString &words);

}  // namespace ui
