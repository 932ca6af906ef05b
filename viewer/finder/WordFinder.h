// Finding the word the user meant in the open book: base forms of the typed word that have
// entries (for a miss, and for "Zie ook" beside the word's own entries), and the headwords
// nearest to a word that has none. The viewer and lexq share it; they differ only in
// whether they wait (see below).
//
// It calls the search library, so it belongs to the one thread that searches. The slow
// parts can stay off that thread: the Hunspell dictionary of a language loads through
// Forms()->Load(), which may run on a worker (BaseForm(..., Wait::No) leaves Hunspell out
// until it is ready), and the book's keys are read a slice at a time (IndexKeys) so that
// a caller can read them between keystrokes. Nothing is read before it is needed.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "viewer/finder/BookKeys.h"
#include "viewer/finder/Suggest.h"
#include "viewer/finder/WordForms.h"

// The source language of a book by its name, the part before the dash of its direction
// ("nl" for "nl-en", "en" for "en"), in lower case; empty for a name that names no
// language (two or three ASCII letters).
std::string SourceLanguage(const std::string &bookName);

class TWordFinder {
  public:
    static constexpr std::size_t kMaxSuggestions = 8;

    // dataDir: the program's data folder (tables in dataDir/wordforms, and Hunspell's
    // dictionaries as DefaultHunspellFolders finds them).
    explicit TWordFinder(std::string dataDir);

    // The open book is now this one: its language decides the base forms, and its keys
    // are read afresh when suggestions are first wanted.
    void SetBook(const std::string &bookName);

    // The engine of the book's language (made on first use, one per language for the
    // whole run), or null for a book without a language.
    std::shared_ptr<WordForms> Forms();

    // The first base form of word (as typed) that has entries in the book, as the engine
    // writes it, or empty. Use::SeeAlso for a word with entries of its own.
    std::string BaseForm(const std::string &word, WordForms::Use use, WordForms::Wait wait);

    // Suggestions need the book's keys; the library's key walk reads them.
    bool CanSuggest() const;
    bool KeysRead() const { return m_suggester != nullptr; }
    // Reads up to slice further keys; false once all are read (or the walk failed, which
    // leaves the book without suggestions).
    bool IndexKeys(std::uint32_t slice);
    // Reads every key not read yet.
    void IndexAllKeys();
    // Up to kMaxSuggestions headwords of the book nearest to word, nearest first, then in
    // key order, each as the book writes it; empty until the keys are read.
    std::vector<std::string> Suggestions(const std::string &word) const;
    std::size_t KeyIndexBytes() const;

  private:
    std::string m_dataDir;
    std::string m_language;
    std::map<std::string, std::shared_ptr<WordForms>> m_forms;
    // The keys read so far, back to back, and where each starts.
    std::string m_keyChars;
    std::vector<std::uint32_t> m_keyStarts;
    std::unique_ptr<TKeyWalk> m_walk;
    std::unique_ptr<Suggester> m_suggester;
};
