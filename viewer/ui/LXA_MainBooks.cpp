// The dictionary selector of the main window: one command per installed or listed book,
// shown as toolbar buttons and, with two or more, as File-menu entries.
#include <QActionGroup>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "LXA_Main.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/ui/MenuItem.h"
#include "viewer/ui/PageScroller.h"
#include "viewer/ui/SelectBook.h"

namespace ui {

void TfrmLXAMain::CreateDictionaryActions() {
    for (TLXABook *book : m_data.SelectableBooks()) {
        auto *command = new TSelectBook(aclDictionaries, this, m_data);
        command->setObjectName(QStringLiteral("actBook_") + QString::fromStdString(book->Name));
        command->SetBook(book, imlDictionariesEnabled, imlDictionariesDisabled);
        m_books.push_back(command);
    }
}

void TfrmLXAMain::CreateDictionaryMenuItems() {
    if (m_books.size() < 2)
        return;
    // Between the separators N1 and N2 of the File menu.
    QMenu *file = Menu("mniFile");
    QAction *n2 = file->findChild<QAction *>(QStringLiteral("N2"));
    for (TSelectBook *command : m_books) {
        auto *entry = new TMenuItem("", command, file);
        entry->setObjectName(QStringLiteral("mni") + command->objectName());
        file->insertAction(n2, entry);
    }
}

void TfrmLXAMain::CreateDictionaryButtons() {
    m_bookGroup->setExclusive(true);
    for (TSelectBook *command : m_books) {
        m_bookGroup->addAction(command);
        tbrDictionaries->addAction(command);
        // The dictionary buttons are reachable with the Tab key.
        tbrDictionaries->widgetForAction(command)->setFocusPolicy(Qt::TabFocus);
    }
    pgsDictionaries->setVisible(m_books.size() >= 2);
    UpdateCommands();
    FitBands();
}

}  // namespace ui
