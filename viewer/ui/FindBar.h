// The small find bar under the page: finds text in the shown page as it is typed, marks
// every match, and steps from match to match (Enter, F3; Shift for the previous one).
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QTextEdit;

namespace ui {

class TLiveStatus;

class TFindBar : public QWidget {
    Q_OBJECT
  public:
    // Finds in this page (not owned; outlives the bar). Hidden until opened.
    explicit TFindBar(QTextEdit *page, QWidget *parent = nullptr);

    // Shows the bar and puts the focus in its field with the text selected.
    void Open();
    // Hides the bar, removes the marks and gives the focus back to the page.
    void Close();
    // Selects the next (or previous) match in the page, going round at the end; false
    // when the page does not hold the text.
    bool FindNext(bool backward = false);
    QLineEdit *Field() const { return m_field; }
    int MatchCount() const { return m_matches; }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void TextEdited();
    void MarkMatches();
    void ShowFound(bool found);

    QTextEdit *m_page;
    QLineEdit *m_field;
    QLabel *m_result;
    TLiveStatus *m_spoken;
    int m_matches = 0;
};

}  // namespace ui
