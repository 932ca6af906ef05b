// The word list's window: the kept entries of one list or all, sorted by date or by
// headword, filtered by book and by a search text; a line opens its entry, Delete removes
// lines (Ctrl+Z puts them back while the window is open), and the list (or the selection)
// is exported for Anki or as CSV, and card files imported into it.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "viewer/wordlist/WordEntry.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace wordlist {
class TWordStore;
}

namespace ui {

class TWordListWindow : public QWidget {
    Q_OBJECT
  public:
    // What a file dialog would answer: the chosen path, empty when cancelled. Tests set
    // their own; the window's default asks the user.
    using TFileChooser = std::function<QString(bool save, const QString &title,
                                               const QString &filter, const QString &name)>;

    TWordListWindow(wordlist::TWordStore &store, QWidget *parent = nullptr);

    // Reads the store again (after a star was added elsewhere).
    void Reload();
    void SetFileChooser(TFileChooser chooser) { m_choose = std::move(chooser); }

    // The parts, for tests.
    QTreeWidget *Lines() const { return m_lines; }
    QComboBox *ListChoice() const { return m_list; }
    QComboBox *BookChoice() const { return m_book; }
    QComboBox *OrderChoice() const { return m_order; }
    QLineEdit *SearchField() const { return m_search; }
    QString StatusText() const;

    // Removes the selected lines; Undo puts the last removal back.
    void RemoveSelected();
    void Undo();
    // Writes the selection, or the list shown when nothing is selected; false when
    // cancelled or failed (the reason shown).
    bool ExportAnki();
    bool ExportCsv();
    bool Import();
    bool NewList();
    // Puts the chosen lines (all shown without a choice) into another list as well.
    bool CopyToList(const QString &list);

  signals:
    // A line was opened: look its headword up in its book.
    void OpenEntry(const QString &book, const QString &headword);

  private:
    void Fill();
    std::vector<wordlist::TWordEntry> Chosen(bool texts) const;
    bool Export(bool anki);
    QString CurrentList() const;

    wordlist::TWordStore &m_store;
    std::vector<wordlist::TWordEntry> m_entries;               // of the list shown, without texts
    std::vector<std::vector<wordlist::TWordEntry>> m_removed;  // for Ctrl+Z, newest last
    QComboBox *m_list = nullptr;
    QComboBox *m_book = nullptr;
    QComboBox *m_order = nullptr;
    QLineEdit *m_search = nullptr;
    QTreeWidget *m_lines = nullptr;
    QLabel *m_status = nullptr;
    TFileChooser m_choose;
};

}  // namespace ui
