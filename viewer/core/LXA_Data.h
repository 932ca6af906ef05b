// The data module: the viewer's non-visual centre. Computes the folders, loads the search
// library, reads the catalogue and settings, picks and switches dictionaries, runs searches,
// speaks, creates the windows through a registered factory, and reports every exception
// that escapes a command. The program makes exactly one (LXAData) before any window.
//
// Tests: SetProgramPathOverride (LXA_Paths.h) names the program file whose folder holds
// data/, imgs/, lexqapi.so and fldtts.so; platform::SetCommandLine sets the arguments.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/dynlib.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_Paths.h"
#include "viewer/core/LXA_Search.h"

class TLXAData;

// Creates the main window and then the about box; registered by the windows' code so that
// the core does not depend on it. Called by CreateForms.
using TFormFactory = std::function<void(TLXAData &)>;
void SetFormFactory(TFormFactory factory);

class TLXAData {
  public:
    // Registers itself as LXAData.
    TLXAData();
    // Runs Finalise and unregisters. Destroy the windows first: they read the catalogue.
    ~TLXAData();
    TLXAData(const TLXAData &) = delete;
    TLXAData &operator=(const TLXAData &) = delete;

    // The start-up work; failures leave as exceptions (EAbort after a message of its own).
    bool Initialise();
    void ChooseStartBook();
    void CreateForms();
    // Makes the book current: closes the open dictionary, records "MRU", loads the speech
    // engine on first need (and gives it the book's voice) and opens the book's ".idx".
    // Null forgets the current book.
    void SelectBook(TLXABook *book);
    // Makes the book current for a one-off lookup (a command-line tool): closes the open
    // dictionary and opens the book's ".idx" with SelectBook's messages, but records no
    // "MRU" and loads no speech engine. Returns the library's status of the open.
    std::int32_t OpenBook(TLXABook &book);
    // Searches with the current book's pronunciation field; returns the number of hits.
    // The text is Windows-1252, as the search library takes it.
    std::int32_t Search(const std::string &text);
    // Searches a word as the user typed it (UTF-8). A word with a character that no
    // dictionary can hold is not searched: the hits are cleared, an error (6, 3) names the
    // character, and the result is 0. A word with a capital Œ that finds nothing is
    // searched once more with œ in its place.
    std::int32_t SearchTyped(const std::string &utf8);
    bool SpeechAvailable() const;
    void Speak(const std::string &text);

    // What the windows ask.
    // Makes the catalogue's book of this key current (compared without regard to case);
    // with no such book, SelectBook(null).
    void SelectBookNamed(const std::string &name);
    // The books the dictionary selector offers: installed or listed and not hidden by the
    // user, in the user's order.
    std::vector<TLXABook *> SelectableBooks() const;
    // The current book's stylesheet file in its data folder; empty without a current book.
    std::string StyleSheetPath() const;
    // That file as the result page links it (PageFileReference).
    std::string StyleSheetLink() const;
    // The hits of the last search: their number, and their page with the stylesheet above.
    std::int32_t ResultCount() const;
    std::string ResultPage() const;
    // Whether the hits can be spoken: the speech engine is loaded and at least one hit has
    // a text to pronounce. SpeakResults speaks them all.
    bool CanSpeakResults() const;
    void SpeakResults();
    // Releases everything; safe to run more than once.
    void Finalise();

    // The application-wide handler: an ELXAException shows its own text, group and number;
    // any other its message inside the unexpected-error text (99, 1); EAbort nothing.
    void ApplicationEventsException(const std::exception &e);
    // An exception of no known class.
    void ApplicationEventsUnknownException();

    std::string Title;     // "Morvelt taalkist"
    std::string HelpFile;  // the program path with ".hlp"
    bool HelpdeskMode = false;
    platform::LibHandle FluencyLibrary = nullptr;
    platform::LibHandle SearchLibrary = nullptr;
    std::unique_ptr<TLXABooks> Books;
    TLXABook *CurrentBook = nullptr;  // one of Books, not owned
    std::unique_ptr<TLXASearchResults> SearchResults;
    TRPaths Paths;

  private:
    // The book's words without letters, from the list beside its dictionary file.
    void LoadExactWords(const std::string &indexFile);
};

// The one data module while it exists, else null. Not owned: the program owns it. The
// windows are handed the data module instead; only the utilities read the global.
extern TLXAData *LXAData;

// The reaction to an exception that escaped a command or the start-up, as the data
// module's handler shows it; usable before the data module exists.
void ShowException(const std::exception &e);
void ShowUnknownException();

// Runs a command so that no exception leaves it: what escapes goes to ShowException.
void RunGuarded(const std::function<void()> &command);
