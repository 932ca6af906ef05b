// The main window's part of the word list: the store, opened when first needed; the stars
// the displays add to their pages (the window's page, the all-books page's blocks, the
// lookup popup); keeping an entry of a page, or taking it out; and the list window.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "viewer/ui/WordListStars.h"
#include "viewer/wordlist/WordStore.h"

class TLXAData;

namespace display {
class THtmlViewer;
}

namespace ui {

class TWordListWindow;

class TWordListHook : public QObject {
    Q_OBJECT
  public:
    // typed: the word the shown results were searched for, as typed (Windows-1252).
    TWordListHook(TLXAData &data, display::THtmlViewer &viewer, std::function<std::string()> typed,
                  QWidget *window);
    ~TWordListHook() override;

    // The list, opened on first use; null (said in a dialog) when it cannot be had. A
    // damaged file set aside is said once, in a dialog.
    wordlist::TWordStore *Store();
    // Stars on the pages of another display: shown tells, at each page, what it holds.
    // The star of an entry in the default list is filled; clicking it takes it out.
    void Attach(display::THtmlViewer &viewer, std::function<TShownEntries()> shown);
    // Keeps the main page's N-th entry in the default list; false when it is no entry of
    // the shown results or the list failed (said).
    bool StarEntry(int index);
    // Keeps the entry at the top of the view.
    bool StarTopEntry();
    // Keeps the entry at the top of another display it stars (a block of the all-books page).
    bool StarTopEntryOf(display::THtmlViewer &viewer);
    bool HasEntries() const;
    void ShowWindow();
    TWordListWindow *Window() const { return m_window; }

  signals:
    void OpenEntry(const QString &book, const QString &headword);
    // What starring did, for the status line of the window that shows the star.
    void Said(const QString &status, QWidget *window);

  private:
    struct TAttached;

    QString Decorate(TAttached &attached, const QString &page);
    std::vector<bool> KeptFlags(const TShownEntries &shown);
    // Keeps the entry, or with toggle takes a kept one out of the default list.
    bool Star(TAttached &attached, int index, bool toggle);
    // Every display whose stars changed shows them anew.
    void Restar();

    TLXAData &m_data;
    display::THtmlViewer &m_viewer;
    std::function<std::string()> m_typed;
    QWidget *m_parent;
    std::unique_ptr<wordlist::TWordStore> m_store;
    bool m_failed = false;
    TWordListWindow *m_window = nullptr;
    std::vector<std::unique_ptr<TAttached>> m_attached;  // the main page's first
};

}  // namespace ui
