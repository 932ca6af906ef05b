// The main window's choice of several books (LXA_MainAllBooks.cpp): the groups of the
// catalogue and their commands, the searchers of the chosen group, the all-books page,
// and the workers of the running search.
#pragma once

#include <QThreadPool>
#include <memory>
#include <string>
#include <vector>

#include "viewer/finder/AllBooks.h"
#include "viewer/finder/BookGroups.h"
#include "viewer/ui/LXA_Main.h"

namespace ui {

class TAllBooksPage;

struct TfrmLXAMain::TAllBooksState {
    std::vector<TBookGroup> Groups;
    std::string Choice;  // GroupKey of the chosen group; empty while one book is chosen
    std::shared_ptr<TAllBooks> Searchers;  // of the chosen group; workers hold it too
    std::vector<TCommand *> Commands;      // every book first, then the language groups
    TAllBooksPage *Page = nullptr;         // owned through pnlOutput
    unsigned Search = 0;  // the running search; a new one makes the workers' answers stale
    std::shared_ptr<std::atomic<unsigned>> Current = std::make_shared<std::atomic<unsigned>>(0);
    int Pending = 0;    // books not answered yet
    std::string Typed;  // Windows-1252, as searched
    std::string Word;   // a word search's word as typed (UTF-8, any script)
    // The lists of words near the running search's miss that have arrived.
    std::vector<std::vector<TBookSuggestion>> Suggested;
    // The lookup popup's last miss (choice and word) and the lists of words near it that
    // have arrived (the local books', each server book's).
    std::string LookupMiss;
    std::vector<std::vector<TBookSuggestion>> LookupSuggested;
    // The popup's last word asked of the server books (choice and word), and their blocks
    // as they arrived.
    std::string LookupServed;
    std::vector<std::shared_ptr<const TBookAnswer>> LookupServerBlocks;
    // What the running search lists: entries of a word, a pattern's headwords, articles.
    enum class TKind { Word, Pattern, Articles } Kind = TKind::Word;
    QThreadPool Pool;  // last: its destructor waits for the workers

    ~TAllBooksState() {
        // Workers not started yet never start; running ones end with their book.
        Current->store(~0u);
        Pool.clear();
        Pool.waitForDone();
    }
};

}  // namespace ui
