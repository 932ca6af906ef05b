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
    const std::vector<TSelectBook *> shown = ShownDictionaries();
    const auto place = std::size_t(std::find(shown.begin(), shown.end(), command) - shown.begin());
    button->setAccessibleDescription(
        place < kNumberedBooks ? QStringLiteral("Woordenboek (Alt+%1)").arg(place + 1) : QString());
}

std::vector<TSelectBook *> TfrmLXAMain::ShownDictionaries() const {
    std::vector<TSelectBook *> shown;
    for (TSelectBook *command : m_books)
        if (command->isVisible())
            shown.push_back(command);
    return shown;
}

void TfrmLXAMain::ShowDictionaryBand() {
    pgsDictionaries->setVisible(ShownDictionaries().size() >= 2);
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

void TfrmLXAMain::ArrangeDictionaries() {
    if (!m_data.Books)
        return;
    m_data.Books->Arrange();
    // A book hidden when the window opened has no command yet.
    for (TLXABook *book : m_data.SelectableBooks()) {
        if (std::none_of(m_books.begin(), m_books.end(),
                         [&](TSelectBook *c) { return c->Book() == book; }))
            AddDictionaryAction(book);
    }
    // The commands in the shelf's order; the toolbar and the menu follow.
    std::vector<TSelectBook *> ordered;
    for (std::int32_t i = 0; i < m_data.Books->Count(); ++i) {
        const TLXABook *book = m_data.Books->FindBook(m_data.Books->NameAt(i));
        for (TSelectBook *command : m_books)
            if (command->Book() == book)
                ordered.push_back(command);
    }
    m_books = std::move(ordered);
    for (TSelectBook *command : m_books) {
        command->Refresh();
        tbrDictionaries->removeAction(command);
    }
    QMenu *file = Menu("mniFile");
    for (QAction *entry : file->actions())
        if (entry->objectName().startsWith(QStringLiteral("mniactBook_")))
            delete entry;
    CreateDictionaryMenuItems();
    for (TSelectBook *command : m_books)
        AddDictionaryButton(command);
    // A current book the user hid or removed gives way to the first one shown.
    const TLXABook *current = m_data.CurrentBook;
    if (current == nullptr || current->Hidden || !current->Installed) {
        for (TSelectBook *command : ShownDictionaries()) {
            if (command->Book()->Installed) {
                SelectBookByName(command->Book()->Name);
                break;
            }
        }
    }
    CreateChoiceCommands();
    ShowDictionaryBand();
}

}  // namespace ui
