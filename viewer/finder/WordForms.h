// The base forms a typed word may stand for: "liep" -> "lopen", "kinderen" -> "kind",
// "gefietst" -> "fietsen", "wolves" -> "wolf". For a miss, the viewer and lexq search these
// in turn and show the first that has entries.
//
// Sources, most trusted first: tables of irregular forms (<tableFolder>/<language>.tsv, see
// WordFormTable.h), the analyses of a Hunspell dictionary, and spelling rules for regular
// forms (Dutch and English; other languages get Hunspell alone). Rule guesses that Hunspell
// confirms come before those it does not know. The engine knows no book: it proposes few
// candidates, most likely first, without repeats and without the word itself (both as the
// book's search keys see them), and the caller keeps those the book has.
//
// All members are safe to call from several threads. The table loads on the first call
// (milliseconds); the Hunspell dictionary loads on the first call that waits for it, or by
// Load(), which a caller may run on a worker thread after start-up so that no keystroke or
// miss ever waits for it: Candidates(..., Wait::No) simply leaves Hunspell out until then.
// A dictionary takes 0.1 to 0.3 s and 10 to 20 MB: keep one WordForms per language, not
// per book, and create it on the first miss, not at start-up.
//
// Wiring, for a miss on word in a book of direction "nl-en":
//     WordForms &forms = ...one for "nl", tables in <data>/wordforms...;
//     std::string base = forms.FirstBaseForm(word, bookHas, WordForms::Use::Miss,
//                                            forms.HunspellReady() ? Wait::Yes : Wait::No);
// and, when word has entries, FirstBaseForm(word, bookHas, Use::SeeAlso, ...) for "Zie ook".
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "HunspellStems.h"
#include "WordFormTable.h"

class WordForms {
  public:
    // Miss: the word has no entries; every candidate, guesses included.
    // SeeAlso: the word has entries of its own; only candidates a table or the Hunspell
    // dictionary vouches for (so "weten" never gets "wet").
    enum class Use { Miss, SeeAlso };
    enum class Wait { Yes, No };
    static constexpr std::size_t kMaxCandidates = 20;

    // language: the book's source language, the part before the dash of its direction.
    // tableFolder: the folder of the tables, normally <data folder>/wordforms.
    // hunspellFolders: where to look for the dictionary (DefaultHunspellFolders).
    WordForms(std::string language, std::string tableFolder,
              std::vector<std::string> hunspellFolders);

    // Candidate base forms of word (UTF-8, as typed), most likely first, at most
    // kMaxCandidates; empty for a word the engine cannot read.
    std::vector<std::string> Candidates(std::string_view word, Use use = Use::Miss,
                                        Wait wait = Wait::Yes);
    // The first candidate for which has() is true, or empty: one search per candidate tried.
    std::string FirstBaseForm(std::string_view word,
                              const std::function<bool(const std::string &)> &has,
                              Use use = Use::Miss, Wait wait = Wait::Yes);

    // Loads the table and the Hunspell dictionary now (blocking; see above).
    void Load();
    bool HunspellReady() const { return hunspell_.Ready(); }
    const std::string &Language() const { return language_; }
    // The table as loaded; loads it if needed.
    const WordFormTable &Table();
    // The dictionary, for callers that want its stems alone.
    const HunspellStems &Hunspell() const { return hunspell_; }

  private:
    std::string language_;
    std::string tablePath_;
    std::once_flag tableOnce_;
    WordFormTable table_;
    HunspellStems hunspell_;

    bool Dutch() const { return language_ == "nl"; }
    bool English() const { return language_ == "en"; }
    bool RulesOn() const { return Dutch() || English(); }
    void TableCandidates(const std::string &word, std::vector<std::string> &out);
    void RuleCandidates(const std::string &word, bool guessStem, std::vector<std::string> &out);
    // Stems the dictionary vouches for go to out; stems of words under a prefix (only
    // named by a flag) to otherWords.
    void HunspellCandidates(const std::string &word, std::vector<std::string> &out,
                            std::vector<std::string> &otherWords) const;
};
