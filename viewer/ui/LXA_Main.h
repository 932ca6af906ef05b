// The main window: search field and find button, the result display, the status line,
// the control bar with the main and dictionary toolbars, and the menu with its commands.
#pragma once

#include <QMainWindow>
#include <memory>
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
class QToolBar;
class QToolButton;
class TLXAData;

namespace display {
class THtmlViewer;
}

namespace ui {

class TFindBar;
class THistoryPopup;
class TIdleUpdater;
class TPageScroller;
class TSelectBook;
class THelpWindow;
class TfrmLXAAbout;

class TfrmLXAMain : public QMainWindow {
    Q_OBJECT
  public:
    // Builds the window for the data module, which has chosen its first book; the data
    // module outlives the window.
    explicit TfrmLXAMain(TLXAData &data, QWidget *parent = nullptr);
    ~TfrmLXAMain() override;

    // Makes the dictionary with this key current and updates caption, icon and the
    // pronounce command; clears the display but keeps the status line.
    void SelectBookByName(const std::string &name);
    // Shows the result list's page in the display.
    void ShowResults();
    // Runs every command's enabling rule (what the idle hook does).
    void UpdateCommands();
    // The about box shown by the Help menu (not owned; created after this window).
    void SetAboutBox(TfrmLXAAbout *about) { m_about = about; }
    // Puts the word in the search field and runs the find command, as Enter there does.
    void SearchFor(const QString &word);

    // The window's parts, for the program's tests.
    display::THtmlViewer *Viewer() const { return m_viewer; }
    QLineEdit *SearchField() const { return edtSearchText; }
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
    QStatusBar *StatusBar() const { return stbMain; }
    // The words the search field's drop-down offers, newest first (UTF-8).
    const std::vector<std::string> &RecentSearches() const;
    // The find bar under the page; null until first opened.
    TFindBar *FindBar() const;
    // The drop-down of recent searches; null until first opened.
    THistoryPopup *HistoryPopup() const;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
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

    // Reading comfort: zoom, dark reading, the search history, keyboard, copy and print
    // (LXA_MainReading.cpp).
    struct TReading;
    void CreateReadingComfort();
    void SaveWindowState();
    void UpdateReadingCommands();
    void RecordSearch(const QString &typed);
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
    void actClearSearchTextExecute();
    void actClearSearchTextUpdate(TCommand &command);
    void actFindInPageExecute();
    void actFindNextExecute();
    void actFindPreviousExecute();
    void actCopyArticleExecute();
    void actPrintExecute();
    void actPageShownUpdate(TCommand &command);

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
    display::THtmlViewer *m_viewer = nullptr;  // owned through pnlOutput
    TfrmLXAAbout *m_about = nullptr;
    std::unique_ptr<THelpWindow> m_help;
    std::unique_ptr<TIdleUpdater> m_idle;
    std::unique_ptr<TReading> m_reading;
};

}  // namespace ui
