// What changes without the user moving there, said by a screen reader: the status line
// after a search, the type-ahead list's count and chosen word, the find bar's miss. A label
// shows the text; the accessibility bus sees it as a notification that appears anew with
// each text, which screen readers speak at once, wherever the focus is.
#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QTimer;
class QWidget;

namespace ui {

class TLiveStatus : public QObject {
    Q_OBJECT
  public:
    // Announces through this label (owned by its parent; this object is the label's).
    // A text is told once no other has followed it for `settleMs`: a search that refines
    // its line (a miss, then its base form) is heard once, and so is a word typed fast.
    explicit TLiveStatus(QLabel *label, int settleMs = 0);
    // A label of its own under `parent`, of no size: for what is heard and not shown.
    static TLiveStatus *Unseen(QWidget *parent, const char *objectName, int settleMs = 0);

    // Shows the text and tells the bus; an empty text only clears the label.
    void Announce(const QString &text);
    QLabel *Label() const { return m_label; }
    // How many texts went to the bus (for the tests).
    int Told() const { return m_told; }

  private:
    void Tell();

    QLabel *m_label;
    QTimer *m_settle;
    int m_told = 0;
};

// Whether the widget's accessible interface is a live status's (for the tests).
bool IsLiveStatus(const QWidget *widget);

}  // namespace ui
