// "Woordenboeken beheren…": every book of the shelf, the program's and the user's, in the
// user's order, with what it is (picture, name, source, direction, keys, size, article
// index, licence). The user reorders (drag, Alt+Up/Down), hides or shows a book in the
// selector (its check box), renames it (F2), removes one of their own (after a question)
// and adds one. Each change is written at once and whole (books::WriteShelf), so the
// dialog has nothing to apply when it closes; Changed tells the window to rearrange.
#pragma once

#include <QDialog>
#include <QIcon>
#include <functional>
#include <string>
#include <vector>

#include "books/shelf.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace ui {

class TShelfDialog : public QDialog {
    Q_OBJECT
  public:
    // A book's picture by its name; a null icon draws its initials.
    using TPicture = std::function<QIcon(const std::string &name)>;

    TShelfDialog(const books::UserShelf &shelf, const std::string &programDataDir, TPicture picture,
                 QWidget *parent);

    // Reads the shelf again (after an import, or a failed write).
    void Reload();

    // The steps the buttons take, on the current book; tests run them directly. False
    // when there is nothing to do or the write failed (after its message).
    bool MoveCurrent(int step);
    bool SetCurrentHidden(bool hidden);
    bool RenameCurrent(const QString &displayName);
    // Asks first; false when the user says no or the book is the program's.
    bool RemoveCurrent();

    QTreeWidget *List() const { return m_list; }
    const std::vector<books::ShelfBook> &Books() const { return m_books; }

    // Column of each fact, left to right.
    enum TColumn { cName, cSource, cDirection, cEntries, cKeys, cSize, cIndex, cLicence, cCount };

  signals:
    // The shelf was written: the selector should follow.
    void Changed();
    // "Toevoegen…": the window runs its add flow, then calls Reload.
    void ImportRequested();

  private:
    void Fill();
    QTreeWidgetItem *MakeItem(const books::ShelfBook &book) const;
    int CurrentRow() const;
    bool Save();
    void ItemChanged(QTreeWidgetItem *item, int column);
    void Dropped(const QString &dragged);
    void UpdateButtons();

    books::UserShelf m_shelf;
    std::string m_programDataDir;
    TPicture m_picture;
    std::vector<books::ShelfBook> m_books;
    bool m_filling = false;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
    QPushButton *m_hide = nullptr;
    QPushButton *m_rename = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_close = nullptr;
};

}  // namespace ui
