// The dictionary selector of the main window: one command per installed or listed book,
// shown as toolbar buttons and, with two or more, as File-menu entries. Books the user adds
// while the window runs join it the same way, after the others.
#include <QActionGroup>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "LXA_Main.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/ui/MenuItem.h"
#include "viewer/ui/PageScroller.h"
#include "viewer/ui/SelectBook.h"

namespace ui {

void TfrmLXAMain::CreateDictionaryActions() {
    for (TLXABook *book : m_data.SelectableBooks())
        AddDictionaryAction(book);
}

void TfrmLXAMain::AddDictionaryAction(TLXABook *book) {
    auto *command = new TSelectBook(aclDictionaries, this, m_data);
    command->setObjectName(QStringLiteral("actBook_") + QString::fromStdString(book->Name));
    command->SetBook(book, imlDictionariesEnabled, imlDictionariesDisabled);
    m_books.push_back(command);
}

void TfrmLXAMain::CreateDictionaryMenuItems() {
    if (m_books.size() < 2)
        return;
    // Between the separators N1 and N2 of the File menu; a command that has its entry
    // already (the window adds books while it runs) keeps it.
    QMenu *file = Menu("mniFile");
    // Before the choices of several books, which follow the books.
    QAction *n2 = file->findChild<QAction *>(QStringLiteral("mniactChoiceAll"));
    if (n2 == nullptr)
        n2 = file->findChild<QAction *>(QStringLiteral("N2"));
    for (TSelectBook *command : m_books) {
        const QString name = QStringLiteral("mni") + command->objectName();
        if (file->findChild<QAction *>(name, Qt::FindDirectChildrenOnly) != nullptr)
            continue;
        auto *entry = new TMenuItem("", command, file);
        entry->setObjectName(name);
        file->insertAction(n2, entry);
    }
}

void TfrmLXAMain::CreateDictionaryButtons() {
    m_bookGroup->setExclusive(true);
    for (TSelectBook *command : m_books)
        AddDictionaryButton(command);
    ShowDictionaryBand();
}

void TfrmLXAMain::AddDictionaryButton(TSelectBook *command) {
    m_bookGroup->addAction(command);
    const std::vector<TCommand *> &choices = ChoiceCommands();
    if (choices.empty())
        tbrDictionaries->addAction(command);
    else
        tbrDictionaries->insertAction(choices.front(), command);
    // The dictionary buttons are reachable with the Tab key.
    QWidget *button = tbrDictionaries->widgetForAction(command);
    button->setFocusPolicy(Qt::TabFocus);
    const auto place =
        std::size_t(std::find(m_books.begin(), m_books.end(), command) - m_books.begin());
    if (place < kNumberedBooks)
        button->setAccessibleDescription(QStringLiteral("Woordenboek (Alt+%1)").arg(place + 1));
}

void TfrmLXAMain::ShowDictionaryBand() {
    pgsDictionaries->setVisible(m_books.size() >= 2);
    UpdateCommands();
    FitBands();
}

void TfrmLXAMain::AddDictionaries(const std::vector<TLXABook *> &books) {
    const std::size_t first = m_books.size();
    for (TLXABook *book : books)
        if (book->Installed || book->Listed)
            AddDictionaryAction(book);
    CreateDictionaryMenuItems();
    for (std::size_t i = first; i < m_books.size(); ++i)
        AddDictionaryButton(m_books[i]);
    // A new book may make a language group.
    CreateChoiceCommands();
    ShowDictionaryBand();
}

}  // namespace ui
