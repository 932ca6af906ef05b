// The small find bar under the page: finds text in the shown page as it is typed, marks
// every match, and steps from match to match (Enter, F3; Shift for the previous one). It can
// find in several pages at once, in turn (the blocks of the all-books page).
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

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

    // The pages to find in, asked at every search, in the order they are shown, and what
    // shows the page of a match (its block unfolded, scrolled to); without them, the one page.
    using TPages = std::function<std::vector<QTextEdit *>()>;
    void SetPages(TPages pages, std::function<void(QTextEdit *)> reveal);
    // Marks the matches again, in pages that came since (while the bar is shown).
    void Refresh();
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
    std::vector<QTextEdit *> Pages() const;
    QTextEdit *CurrentPage(const std::vector<QTextEdit *> &pages) const;

    QTextEdit *m_page;
    TPages m_pages;
    std::function<void(QTextEdit *)> m_reveal;
    QTextEdit *m_current = nullptr;  // the page of the last match
    QLineEdit *m_field;
    QLabel *m_result;
    TLiveStatus *m_spoken;
    int m_matches = 0;
};

}  // namespace ui
