// The header of one book's block on the all-books page: the book's picture and name on a
// button that folds the block away and back (a click, Enter or Space). Checked is unfolded;
// a screen reader hears a button that can be expanded, and whether it is (Expander.h).
#pragma once

#include <QToolButton>

namespace ui {

class TBlockHeader : public QToolButton {
    Q_OBJECT
  public:
    // dark: the colours of a page in dark reading (SetDark).
    explicit TBlockHeader(bool dark = false, QWidget *parent = nullptr);

    // The picture and the names of the books whose block this is (one, or several books
    // with the same articles).
    void SetBooks(const QIcon &icon, const QStringList &names);
    const QStringList &Books() const { return m_names; }
    bool Expanded() const { return isChecked(); }
    // Folds or unfolds without counting as the user's choice (no clicked signal).
    void SetExpanded(bool expanded);
    // The colours of the page it heads: light, or dark reading.
    void SetDark(bool dark);

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void ShowState();

    QStringList m_names;
};

}  // namespace ui
