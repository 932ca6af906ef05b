// The popup of a looked-up word: a small window beside the mouse pointer, without a
// task-bar entry, that shows the page the main window would show for the word. Its top
// line holds a search field for a correction, a pin that keeps it open, "Openen in het
// hoofdvenster" and a close button. It takes no keyboard from the program the user was
// in until the user clicks it; Escape, or a click anywhere else, closes it unless pinned.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "viewer/display/PageLook.h"
#include "viewer/ui/LXA_Main.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace display {
class THtmlViewer;
}

namespace ui {

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

    // Looks the word up and shows the answer beside the pointer (or where the popup stands
    // when it is pinned and open), without taking the keyboard.
    void ShowWord(const QString &word);
    // Shows a line of its own instead of a page (nothing selected, for instance).
    void ShowMessage(const QString &text);

    // The popup's parts, for the program's tests.
    QString Word() const;
    QString Status() const;
    bool Pinned() const;
    QLineEdit *SearchField() const { return m_field; }
    display::THtmlViewer *Viewer() const { return m_viewer; }
    QToolButton *PinButton() const { return m_pin; }
    QToolButton *OpenButton() const { return m_open; }

  signals:
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
    void Place();
    void Dismiss();
    void TakeClicksOutside(bool take);

    TLookup m_lookup;
    TLook m_look;
    QLineEdit *m_field = nullptr;
    QToolButton *m_pin = nullptr;
    QToolButton *m_open = nullptr;
    QToolButton *m_close = nullptr;
    display::THtmlViewer *m_viewer = nullptr;
    QLabel *m_status = nullptr;
    bool m_wasActive = false;
    bool m_takingClicks = false;
};

}  // namespace ui
