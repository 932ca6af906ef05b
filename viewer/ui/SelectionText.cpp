#include "viewer/ui/SelectionText.h"

namespace ui {

namespace {

// Punctuation, symbols and blanks around a word; a letter, digit or mark ends the trim.
bool IsTrimmed(QChar c) {
    return c.isPunct() || c.isSymbol() || c.isSpace() || c.category() == QChar::Other_Control ||
           c.category() == QChar::Other_Format;
}

}  // namespace

QString SelectedWords(const QString &text) {
    const QString simple = text.simplified();
    qsizetype begin = 0;
    qsizetype end = simple.size();
    while (begin < end && IsTrimmed(simple[begin]))
        ++begin;
    while (end > begin && IsTrimmed(simple[end - 1]))
        --end;
    return simple.mid(begin, end - begin);
}

bool IsFollowedSelection(const QString &words) {
    if (words.isEmpty() || words.size() > kFollowedCharacters)
        return false;
    bool letter = false;
    for (const QChar c : words)
        letter = letter || c.isLetter();
    return letter && words.count(QLatin1Char(' ')) < kFollowedWords;
}

}  // namespace ui
