// The main window: search field and find button, the result display, the status line,
// the control bar with the main and dictionary toolbars, and the menu with its commands.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "viewer/ui/Command.h"
#include "viewer/ui/ImageList.h"

class QActionGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class QTextDocument;
class QToolBar;
class QToolButton;
class TLXABook;
class TLXAData;
class TLXASearchResults;
class TWordFinder;

namespace display {
class THtmlViewer;
struct TPageLook;
}  // namespace display
class TAllBooks;
class TBookSearcher;
class TServerLookups;
struct TServerAnswer;
struct TBookAnswer;
struct TBookSuggestion;

namespace ui {

class TAllBooksPage;
class TFindBar;
class THistoryPopup;
class TIdleUpdater;
class TLiveStatus;
class TPageScroller;
class TSelectBook;
class THelpWindow;
class TDictionaryImport;
class TShelfDialog;
struct TDictionaryChoice;
struct TImportOutcome;
class TfrmLXAAbout;
class TTypeAhead;
class TWordListHook;

// What a search of a word shows: the page (empty when there is none to show) and the
// sentence of the status line; with several books chosen, their answers instead of a page.
struct TLookupPage {
    std::string Page;  // Windows-1252, as the display takes it
    QString Status;
    bool Choice = false;  // several books answered: Answers and Note, never Page
    std::vector<std::shared_ptr<const TBookAnswer>> Answers;  // ranked, as the page shows them
    std::string Note;  // the suggestions' page of a word found nowhere; empty until read
    // The entries Page shows, for the word list's stars: their book and results, and the
    // word searched (Windows-1252); no results for a page without entries.
    const TLXABook *Book = nullptr;
    std::shared_ptr<const TLXASearchResults> Results;
    std::string Typed;
};

// The status line's sentences of a search.
QString NotFoundSentence(const QString &typed);
QString FoundSentence(std::int32_t found, std::int32_t count);
// "Gevonden in 2 woordenboeken (3 trefwoorden)."
QString ChoiceFoundSentence(int books, int keywords);

class TfrmLXAMain : public QMainWindow {
    Q_OBJECT
  public:
    // Builds the window for the data module, which has chosen its first book; the data
    // module outlives the window.
    explicit TfrmLXAMain(TLXAData &data, QWidget *parent = nullptr);
    ~TfrmLXAMain() override;

    // Makes the dictionary with this key current and updates caption, icon and the
    // pronounce command; clears the display when that is another book than the current
    // one, and keeps the status line.
    void SelectBookByName(const std::string &name);
    // Shows the result list's page in the display.
    void ShowResults();
    // Puts the word in the search field and runs the find command, as Enter does there:
    // the one way to search from elsewhere (links, double-clicks, lists, history).
    void SearchFor(const QString &word);
    // The page a search of the word would show in this window, with the word finder's
    // lines as far as they are ready, made without changing what the window shows.
    TLookupPage LookupPage(const QString &typed);
    // How the window shows its pages now (zoom, dark reading).
    display::TPageLook PageLook() const;
    // A page of several books' answers with the window's pictures, images and links (its
    // own, and the lookup popup's); word searcher, look and unfolded books are the caller's.
    TAllBooksPage *NewAllBooksPage(QWidget *parent) const;
    // Closes the type-ahead list, as when another list under the search field opens.
    void HideTypeAhead();
    // Runs every command's enabling rule (what the idle hook does).
    void UpdateCommands();
    // Several books at once (LXA_MainAllBooks.cpp): the choice of a group by its key ("*"
    // every book, "*nl" a language's books), which searches go to until a book is chosen.
    void ChooseBooks(const std::string &key);
    // The key of the chosen group; empty while one book is chosen.
    const std::string &ChoiceKey() const;
    TAllBooksPage *AllBooksPage() const;
    // "Alle woordenboeken" first, then the language groups.
    const std::vector<TCommand *> &ChoiceCommands() const;
    // Books of the running all-books search that have not answered yet.
    int AllBooksPending() const;
    // Whether a pattern or full-text search of the current book is still on its worker.
    bool SearchingBeside() const { return m_besideRunning; }
    // The about box shown by the Help menu (not owned; created after this window).
    void SetAboutBox(TfrmLXAAbout *about) { m_about = about; }

    // The window's parts, for the program's tests.
    display::THtmlViewer *Viewer() const { return m_viewer; }
    QLineEdit *SearchField() const { return edtSearchText; }
    TTypeAhead *TypeAhead() const { return m_typeAhead; }
    QString StatusText() const;
    // The command of the window's table with this object name ("actFindWord"), else null.
    TCommand *Command(const char *name) const;
    const std::vector<TSelectBook *> &DictionaryCommands() const { return m_books; }
    QMenu *FileMenu() const { return Menu("mniFile"); }
    QToolBar *DictionaryToolbar() const { return tbrDictionaries; }
    TPageScroller *DictionaryBand() const { return pgsDictionaries; }
    TPageScroller *MainBand() const { return pgsMain; }
    QWidget *ControlBar() const { return clbMain; }
    const TImageList &EnabledImages() const { return imlDictionariesEnabled; }
    const TImageList &DisabledImages() const { return imlDictionariesDisabled; }
    // Whether "Woordenboek toevoegen" is converting a dictionary now.
    bool AddingDictionary() const { return m_import != nullptr; }
    // "Woordenboeken beheren" while it is open, else null.
    TShelfDialog *ShelfDialog() const;
    QStatusBar *StatusBar() const { return stbMain; }
    // The words the search field's drop-down offers, newest first (UTF-8).
    const std::vector<std::string> &RecentSearches() const;
    // The find bar under the page; null until first opened.
    TFindBar *FindBar() const;
    // The drop-down of recent searches; null until first opened.
    THistoryPopup *HistoryPopup() const;
    // The word list: its store, the page's stars and its window (LXA_MainWordList.cpp).
    TWordListHook *WordList() const { return m_wordList; }

  signals:
    // The word finder can say more than when LookupPage last answered: the Hunspell
    // dictionary loaded, the book's keys read, or a choice's suggestions found.
    void WordFinderGrew();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // A dictionary's file dropped on the window is added as "Woordenboek toevoegen" adds it.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

  private:
    // Alt+1 to Alt+9 choose the first nine dictionaries of the toolbar.
    static constexpr std::size_t kNumberedBooks = 9;

    // The window's commands and menus, one row each (LXA_MainCommands.cpp).
    struct TCommandEntry;
    struct TMenuEntry;
    static std::span<const TCommandEntry> CommandTable();
    static std::span<const TMenuEntry> MenuTable();

    // Building the window, in the order the constructor runs them.
    void CreateMenus();
    void CreateControlBar();
    void CreateCommands();
    void CreateInputPanel();
    void CreateOutputPanel();
    void CreateStatusBar();
    void InitialiseForm();
    void CreateDictionaryActions();
    void CreateDictionaryMenuItems();
    void CreateDictionaryButtons();
    void CreateViewer();
    // One book's command, button and band (LXA_MainBooks.cpp); also for books added while
    // the window runs.
    void AddDictionaryAction(TLXABook *book);
    void AddDictionaryButton(TSelectBook *command);
    void ShowDictionaryBand();
    void AddDictionaries(const std::vector<TLXABook *> &books);
    // The selector after the user rearranged the shelf: order, names, hidden and removed
    // books, and a current book the user hid is replaced by the first one shown.
    void ArrangeDictionaries();
    // The commands the selector shows, left to right.
    std::vector<TSelectBook *> ShownDictionaries() const;

    // Command handlers and enabling rules.
    void actOpenNewWindowExecute();
    void actAppExitExecute();
    void actShowHelpExecute();
    void actShowAboutExecute();
    void actFindWordExecute();
    void actFindWordUpdate(TCommand &command);
    void actPronounceWordExecute();
    void actPronounceWordUpdate(TCommand &command);
    void actHitShowSourceExecute();
    void actHitShowSourceUpdate(TCommand &command);
    void actCopyHTMLToClipboardExecute();
    void actCopyHTMLToClipboardUpdate(TCommand &command);
    void actAddDictionaryExecute();
    // The progress dialog over `over` (null: this window).
    void StartImport(const TDictionaryChoice &choice, QWidget *over = nullptr);
    void actAddServerExecute();
    // "Wachttijd van servers...": the reply timeout of the user's setting, for this window's
    // lookups from then on.
    void actServerTimeoutExecute();
    void actServerTimeoutUpdate(TCommand &command);
    // Asks the direction of each server book added without one and gives it; returns the
    // name the outcome's first book has then.
    std::string GiveDirections(const TImportOutcome &outcome);
    void actManageDictionariesExecute();
    void actManageDictionariesUpdate(TCommand &command);
    void actAddDictionaryUpdate(TCommand &command);
    void DictionaryImported(const TImportOutcome &outcome);

    // The word finder (LXA_MainWordFinder.cpp): the type-ahead list, and what a search
    // adds to its page before and after the results are shown.
    void CreateWordFinder();
    QStringList TypeAheadWords(const QString &typed) const;
    void WordFinderBookChanged();
    void BeforeResults(const QString &typed, std::int32_t found);
    void AfterResults();
    std::string SeeAlsoFor(const std::string &typed);
    std::string SeeAlsoLineFor(const std::string &typed);
    // Searches the miss's base form; its headword as the book spells it, or empty when the
    // base form has no entries.
    std::string SearchBaseForm(const std::string &typed);
    // The suggestions for a miss; none until the book's keys are read (which this starts).
    std::vector<std::string> SuggestionsFor(const std::string &typed);
    bool ShowBaseForm();
    void ShowSuggestions();
    void ReadKeys();
    void ReadKeySlice(unsigned walk);
    void LoadHunspell();
    void HunspellLoaded();

    // Searches beside the word (LXA_MainSearches.cpp): a pattern on the headwords, and
    // the words of the search field in the articles' text, on a worker; for the choice of
    // several books one block per book.
    bool ShowPattern(const QString &typed);
    // A pattern's status sentence and page lines (Windows-1252); nothing when the text is
    // no pattern this book can walk its keys for.
    struct TPatternPage {
        std::string Sentence;
        std::string Lines;
    };
    std::optional<TPatternPage> PatternPage(const std::string &text);
    void actFindInArticlesExecute();
    void ShowSearchPage(const std::string &lines);
    unsigned StartBeside();
    TAllBooks &BesideBook();  // the current book on a handle of its own, made on first use
    void StopBeside();
    bool PatternAllBooks(const std::string &typed);
    void ArticlesAllBooks(const std::string &typed, const std::string &query);

    // The choice of several books and its search (LXA_MainAllBooks.cpp).
    struct TAllBooksState;
    void CreateAllBooksChoice();
    void CreateChoiceCommands();
    // Ends the choice of several books; false when none was chosen.
    bool LeaveChoice();
    std::string NewWindowChoice() const;
    void SearchAllBooks(const QString &typed);
    void AllBooksAnswered(unsigned search, const std::shared_ptr<const TBookAnswer> &answer);
    // One more list of words near a miss (the local books', or a server's): the note shows
    // them all, merged, as each list arrives.
    void AllBooksSuggested(unsigned search, std::vector<TBookSuggestion> suggestions);
    // Each local book of the choice answers on a worker, its block joining the page; a
    // search made stale makes no further lookup.
    using TBlockOf = std::function<std::shared_ptr<const TBookAnswer>(
        TBookSearcher &book, const std::function<bool()> &stale)>;
    void AskLocalBooks(unsigned search, TBlockOf blockOf);
    QStringList AllBooksTypeAhead(const std::string &text) const;
    // The choice's books on DICT servers (LXA_MainChoiceServers.cpp), each asked on its
    // server's worker: their definitions, a pattern's headwords or the words near a miss
    // join the page when they arrive, their headwords the type-ahead list, their blocks and
    // the words near a miss the lookup popup's page (which is asked again then).
    TServerLookups &ServerLookups();
    void AskServerBooks(unsigned search, const std::string &word);
    void AskServerPatterns(unsigned search, const std::string &typed, const std::string &word);
    void AskServerSuggestions(unsigned search, const std::string &word);
    void AskServerTypeAheads(const QString &typed, const QStringList &local);
    void AddServerLookups(const std::string &word, TLookupPage &page);
    // The words near the popup's miss in the book-th server book of the searchers.
    void AskServerSuggestionsForLookup(const std::shared_ptr<TAllBooks> &searchers,
                                       std::size_t book, const std::string &miss,
                                       const std::string &word);
    void ApplyAllBooksLook(const display::TPageLook &look);
    // LookupPage with several books chosen; text is typed in Windows-1252.
    TLookupPage ChoiceLookupPage(const std::string &text, const QString &typed);
    // The page's commands on the all-books page: copy, print and the source act on the
    // block that holds the focus, else on every block; find in page goes through every
    // block; pronounce speaks the top block's headwords in its book's voice.
    bool AllBooksShown() const { return !ChoiceKey().empty(); }
    std::unique_ptr<QTextDocument> AllBooksPrintable() const;
    std::string AllBooksSource() const;
    bool CanSpeakAllBooks() const;
    void SpeakAllBooks();
    void FindInAllBooks(TFindBar &bar);

    // Reading comfort: zoom, dark reading, the search history, keyboard, copy and print
    // (LXA_MainReading.cpp).
    struct TReading;
    void CreateReadingComfort();
    void SaveWindowState();
    void UpdateReadingCommands();
    void RecordSearch(const QString &typed);
    // A book on a DICT server (LXA_MainServer.cpp): the word is asked for on a worker and
    // its page shown when the answer arrives; false when the current book is no such book.
    bool SearchOnServer(const QString &typed);
    void ServerAnswered(unsigned search, const std::shared_ptr<const TServerAnswer> &answer);
    bool OnServerBook() const;
    void AskServerTypeAhead(const QString &typed);
    // With the reply timeout of the user's setting.
    std::unique_ptr<TServerLookups> MakeServerLookups() const;
    void ShowVisit(bool forward);
    void SetZoom(int percent);
    void ApplyPageLook();
    TFindBar &OpenFindBar();
    void actZoomInExecute();
    void actZoomInUpdate(TCommand &command);
    void actZoomOutExecute();
    void actZoomOutUpdate(TCommand &command);
    void actZoomResetExecute();
    void actZoomResetUpdate(TCommand &command);
    void actDarkReadingExecute();
    void actDarkReadingUpdate(TCommand &command);
    void actHistoryBackExecute();
    void actHistoryBackUpdate(TCommand &command);
    void actHistoryForwardExecute();
    void actHistoryForwardUpdate(TCommand &command);
    void actSearchHistoryExecute();
    void actSearchHistoryUpdate(TCommand &command);
    void actFocusSearchExecute();
    void actOpenMenuExecute();
    void actClearSearchTextExecute();
    void actClearSearchTextUpdate(TCommand &command);
    void actFindInPageExecute();
    void actFindNextExecute();
    void actFindPreviousExecute();
    void actCopyArticleExecute();
    void actPrintExecute();
    void actPageShownUpdate(TCommand &command);

    // The word list (LXA_MainWordList.cpp).
    void CreateWordList();
    void actStarEntryExecute();
    void actStarEntryUpdate(TCommand &command);
    // What Ctrl+D keeps the top entry of on the all-books page; null without entries.
    display::THtmlViewer *TopBlockDisplay() const;
    void actShowWordListExecute();

    QMenu *Menu(const char *name) const;
    QToolBar *Toolbar(const char *name) const;
    void SetStatus(const QString &text);
    void FitBands();

    TLXAData &m_data;
    std::vector<TCommand *> m_commands;
    std::vector<TSelectBook *> m_books;
    QObject *aclMain;
    QObject *aclDictionaries;
    QActionGroup *m_bookGroup;
    TImageList imlMain;
    TImageList imlDictionariesEnabled;
    TImageList imlDictionariesDisabled;
    QWidget *clbMain = nullptr;
    TPageScroller *pgsMain = nullptr;
    TPageScroller *pgsDictionaries = nullptr;
    QToolBar *tbrMain = nullptr;
    QToolBar *tbrDictionaries = nullptr;
    QWidget *pnlInput = nullptr;
    QLineEdit *edtSearchText = nullptr;
    QToolButton *btnFindWord = nullptr;
    QFrame *pnlOutput = nullptr;
    QStatusBar *stbMain = nullptr;
    QLabel *m_statusLine = nullptr;
    TLiveStatus *m_status = nullptr;           // the status line, told to screen readers
    display::THtmlViewer *m_viewer = nullptr;  // owned through pnlOutput
    TfrmLXAAbout *m_about = nullptr;
    std::unique_ptr<THelpWindow> m_help;
    std::unique_ptr<TIdleUpdater> m_idle;
    std::unique_ptr<TDictionaryImport> m_import;  // the running "Woordenboek toevoegen"
    QPointer<TShelfDialog> m_shelfDialog;         // "Woordenboeken beheren" while it is open

    // What the word finder still has to do for the search shown: a miss waits for base
    // forms and suggestions, a word with entries for its "Zie ook"; Done when settled.
    struct TFinding {
        enum { None, Miss, SeeAlso, Done } Stage = None;
        std::string Typed;  // Windows-1252, as searched
    };
    std::unique_ptr<TWordFinder> m_finder;
    TTypeAhead *m_typeAhead = nullptr;  // owned by the search field
    TFinding m_finding;
    std::string m_lineAbove;   // the finder's line above the results shown
    unsigned m_keySlices = 0;  // which walk of the book's keys is current
    bool m_readingKeys = false;
    std::set<std::string> m_hunspellLoads;  // languages whose dictionary was asked for
    // The current book searched beside the word on a worker: its searcher (made at its first
    // use), and the running search, which a newer one makes stale.
    std::shared_ptr<TAllBooks> m_besideBook;
    unsigned m_besideSearch = 0;
    bool m_besideRunning = false;
    std::shared_ptr<std::atomic<unsigned>> m_besideCurrent =
        std::make_shared<std::atomic<unsigned>>(0);
    std::unique_ptr<TReading> m_reading;
    std::unique_ptr<TAllBooksState> m_allBooks;
    TWordListHook *m_wordList = nullptr;  // owned as a child
    // Lookups on DICT servers, made with the window (with the user's reply timeout); the
    // search shown, which a newer makes stale.
    std::unique_ptr<TServerLookups> m_serverLookups;
    unsigned m_serverSearch = 0;
    unsigned m_serverTypeAhead = 0;  // the last type-ahead asked of a server; older are stale
};

}  // namespace ui
