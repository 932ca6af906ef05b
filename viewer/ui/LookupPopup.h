// The popup of a looked-up word: a small window beside the mouse pointer, without a
// task-bar entry, that shows the page the main window would show for the word. Its top
// line holds a search field for a correction, a pin that keeps it open, "Openen in het
// hoofdvenster" and a close button. It takes no keyboard from the program the user was
// in until the user clicks it; Escape, or a click anywhere else, closes it unless pinned.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "viewer/display/PageLook.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/WordListStars.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace display {
class THtmlViewer;
}

namespace ui {

class TAllBooksPage;

// Where a window of `size` goes for a pointer at `pointer` on the screen area `screen`:
// below and right of the pointer, on the other side where that runs off the screen, never
// beyond its edges; centred on the screen without a pointer position.
QPoint PopupPlace(std::optional<QPoint> pointer, QSize size, const QRect &screen);

class TLookupPopup : public QWidget {
    Q_OBJECT
  public:
    // What answers a word (the main window's LookupPage) and how pages look now.
    using TLookup = std::function<TLookupPage(const QString &)>;
    using TLook = std::function<display::TPageLook()>;

    TLookupPopup(TLookup lookup, TLook look, const QString &imageFolder);
    ~TLookupPopup() override;

    // What makes the page of several books' answers (the main window's NewAllBooksPage),
    // called once, when several books first answer.
    using TAllBooksMaker = std::function<TAllBooksPage *(QWidget *parent)>;
    void SetAllBooksMaker(TAllBooksMaker maker) { m_makeAllBooks = std::move(maker); }

    // Looks the word up and shows the answer beside the pointer (or where the popup stands
    // when it is pinned and open), without taking the keyboard.
    void ShowWord(const QString &word);
    // Shows a line of its own instead of a page (nothing selected, for instance).
    void ShowMessage(const QString &text);
    // Asks again for the word shown, and shows the answer where it says more (the word
    // finder's base forms and "Bedoelde u:" that were not ready); the field is left alone.
    void Refresh();

    // The popup's parts, for the program's tests.
    QString Word() const;
    QString Status() const;
    bool Pinned() const;
    QLineEdit *SearchField() const { return m_field; }
    display::THtmlViewer *Viewer() const { return m_viewer; }
    // The page of several books; null until they first answered.
    TAllBooksPage *AllBooks() const { return m_allBooks; }
    QToolButton *PinButton() const { return m_pin; }
    // What the popup's own page holds, for the word list's stars.
    TShownEntries Entries() const;
    // A sentence of its own on the popup's status line (what a star did).
    void Say(const QString &text);
    QToolButton *OpenButton() const { return m_open; }
    // What Ctrl+D keeps the top entry of: the current block of the page of several books
    // when that is shown, else the popup's own page; null without entries.
    display::THtmlViewer *TopDisplay() const;

  signals:
    // Ctrl+D: keep the top entry of TopDisplay() in the word list.
    void StarTop();
    // "Openen in het hoofdvenster": the word the popup shows.
    void OpenInMainWindow(const QString &word);
    // The popup has been shown with an answer (status line's sentence).
    void Answered(const QString &word, const QString &status);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

  private:
    void CreateTopLine();
    void Answer(const QString &word);
    void Show(const TLookupPage &page);
    void Place();
    void Dismiss();
    void TakeClicksOutside(bool take);

    TLookup m_lookup;
    TLook m_look;
    TAllBooksMaker m_makeAllBooks;
    QString m_shown;        // the word whose answer is shown; empty for a message
    std::string m_summary;  // what the answer shown said, to tell a fuller one by
    TLookupPage m_entries;  // the page shown by the popup's own display: its book and hits
    QLineEdit *m_field = nullptr;
    QToolButton *m_pin = nullptr;
    QToolButton *m_open = nullptr;
    QToolButton *m_close = nullptr;
    display::THtmlViewer *m_viewer = nullptr;
    TAllBooksPage *m_allBooks = nullptr;
    std::set<std::string> m_unfolded;  // the books the user unfolded in the main window
    QLabel *m_status = nullptr;
    bool m_wasActive = false;
    bool m_takingClicks = false;
};

}  // namespace ui
