#include "viewer/ui/WordListWindow.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <set>
#include <tuple>

#include "viewer/wordlist/CardFile.h"
#include "viewer/wordlist/CardImport.h"
#include "viewer/wordlist/WordStore.h"

namespace ui {

namespace {

QString Q(const std::string &utf8) {
    return QString::fromStdString(utf8);
}

const QString kAllLists = QStringLiteral("Alle lijsten");
const QString kAllBooks = QStringLiteral("Alle woordenboeken");

QPushButton *Button(const QString &text, const QString &tip, QWidget *parent) {
    auto *button = new QPushButton(text, parent);
    button->setToolTip(tip);
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')).remove(QStringLiteral("…")));
    button->setAccessibleDescription(tip);
    return button;
}

}  // namespace

TWordListWindow::TWordListWindow(wordlist::TWordStore &store, QWidget *parent)
    : QWidget(parent, Qt::Window), m_store(store) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("frmWordList"));
    setWindowTitle(QStringLiteral("Woordenlijst"));
    setAccessibleName(QStringLiteral("Woordenlijst"));
    resize(640, 420);
    m_choose = [this](bool save, const QString &title, const QString &filter, const QString &name) {
        return save ? QFileDialog::getSaveFileName(this, title, name, filter)
                    : QFileDialog::getOpenFileName(this, title, QString(), filter);
    };

    auto *column = new QVBoxLayout(this);
    auto *choices = new QHBoxLayout;
    const auto labelled = [&](const QString &text, QWidget *field, const QString &name) {
        auto *label = new QLabel(text, this);
        label->setBuddy(field);
        field->setAccessibleName(name);
        choices->addWidget(label);
        choices->addWidget(field);
    };
    m_list = new QComboBox(this);
    m_list->setObjectName(QStringLiteral("cbxList"));
    labelled(QStringLiteral("&Lijst:"), m_list, QStringLiteral("Lijst"));
    m_book = new QComboBox(this);
    m_book->setObjectName(QStringLiteral("cbxBook"));
    labelled(QStringLiteral("&Woordenboek:"), m_book, QStringLiteral("Woordenboek"));
    m_order = new QComboBox(this);
    m_order->setObjectName(QStringLiteral("cbxOrder"));
    m_order->addItems({QStringLiteral("Op datum"), QStringLiteral("Alfabetisch")});
    labelled(QStringLiteral("&Volgorde:"), m_order, QStringLiteral("Volgorde"));
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("edtFilter"));
    m_search->setPlaceholderText(QStringLiteral("Zoeken in de lijst"));
    m_search->setClearButtonEnabled(true);
    column->addLayout(choices);
    // The search text on a line of its own: it wants the width.
    choices = new QHBoxLayout;
    labelled(QStringLiteral("&Zoeken:"), m_search, QStringLiteral("Zoeken in de lijst"));
    column->addLayout(choices);

    m_lines = new QTreeWidget(this);
    m_lines->setObjectName(QStringLiteral("lvwWords"));
    m_lines->setAccessibleName(QStringLiteral("Bewaarde woorden"));
    m_lines->setAccessibleDescription(
        QStringLiteral("Enter opent het artikel, Delete verwijdert, Ctrl+Z zet terug"));
    m_lines->setHeaderLabels({QStringLiteral("Trefwoord"), QStringLiteral("Getypt"),
                              QStringLiteral("Woordenboek"), QStringLiteral("Lijst"),
                              QStringLiteral("Datum")});
    m_lines->setRootIsDecorated(false);
    m_lines->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lines->setSortingEnabled(false);
    m_lines->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    column->addWidget(m_lines, 1);

    auto *buttons = new QHBoxLayout;
    QPushButton *newList = Button(QStringLiteral("&Nieuwe lijst…"),
                                  QStringLiteral("Maak een lijst met een eigen naam"), this);
    QPushButton *copy =
        Button(QStringLiteral("Naar li&jst…"),
               QStringLiteral("Zet de gekozen regels ook in een andere lijst"), this);
    QPushButton *remove = Button(QStringLiteral("&Verwijderen"),
                                 QStringLiteral("Verwijder de gekozen regels (Delete)"), this);
    QPushButton *anki =
        Button(QStringLiteral("Exporteren voor &Anki…"),
               QStringLiteral("Schrijf de lijst of de keuze als notities voor Anki"), this);
    QPushButton *csv = Button(QStringLiteral("Exporteren als &CSV…"),
                              QStringLiteral("Schrijf de lijst of de keuze als CSV-tabel"), this);
    QPushButton *import =
        Button(QStringLiteral("&Importeren…"),
               QStringLiteral("Lees een Anki- of CSV-bestand in deze lijst"), this);
    for (QPushButton *button : {newList, copy, remove, anki, csv, import})
        buttons->addWidget(button);
    buttons->addStretch(1);
    column->addLayout(buttons);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    column->addWidget(m_status);

    connect(newList, &QPushButton::clicked, this, [this] { NewList(); });
    connect(copy, &QPushButton::clicked, this, [this] {
        QStringList lists;
        for (const std::string &list : m_store.Lists())
            lists.push_back(Q(list));
        bool ok = false;
        const QString list = QInputDialog::getItem(this, QStringLiteral("Naar lijst"),
                                                   QStringLiteral("Lijst:"), lists, 0, true, &ok);
        if (ok)
            CopyToList(list.trimmed());
    });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveSelected(); });
    connect(anki, &QPushButton::clicked, this, [this] { ExportAnki(); });
    connect(csv, &QPushButton::clicked, this, [this] { ExportCsv(); });
    connect(import, &QPushButton::clicked, this, [this] { Import(); });
    connect(m_list, &QComboBox::currentIndexChanged, this, [this] { Reload(); });
    connect(m_book, &QComboBox::currentIndexChanged, this, [this] { Fill(); });
    connect(m_order, &QComboBox::currentIndexChanged, this, [this] { Fill(); });
    connect(m_search, &QLineEdit::textChanged, this, [this] { Fill(); });
    connect(m_lines, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { emit OpenEntry(item->text(2), item->text(0)); });
    auto *deleteKey = new QShortcut(QKeySequence::Delete, m_lines);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, [this] { RemoveSelected(); });
    auto *undoKey = new QShortcut(QKeySequence::Undo, this);
    connect(undoKey, &QShortcut::activated, this, [this] { Undo(); });
    Reload();
}

QString TWordListWindow::CurrentList() const {
    const QString list = m_list->currentText();
    return list == kAllLists ? QString() : list;
}

void TWordListWindow::Reload() {
    const QString shown = m_list->count() > 0 ? m_list->currentText() : Q(wordlist::kDefaultList);
    {
        const QSignalBlocker quiet(m_list);
        m_list->clear();
        m_list->addItem(kAllLists);
        std::vector<std::string> lists = m_store.Lists();
        if (std::find(lists.begin(), lists.end(), wordlist::kDefaultList) == lists.end())
            lists.insert(lists.begin(), wordlist::kDefaultList);
        for (const std::string &list : lists)
            m_list->addItem(Q(list));
        m_list->setCurrentIndex(std::max(0, m_list->findText(shown)));
    }
    m_entries = m_store.Entries(CurrentList().toStdString(), /*texts=*/false);
    std::set<std::string> books;
    for (const wordlist::TWordEntry &entry : m_entries)
        books.insert(entry.Book);
    const QString book = m_book->currentText();
    {
        const QSignalBlocker quiet(m_book);
        m_book->clear();
        m_book->addItem(kAllBooks);
        for (const std::string &name : books)
            m_book->addItem(Q(name));
        m_book->setCurrentIndex(std::max(0, m_book->findText(book)));
    }
    Fill();
}

void TWordListWindow::Fill() {
    const QString book = m_book->currentIndex() > 0 ? m_book->currentText() : QString();
    const QString search = m_search->text().trimmed();
    std::vector<const wordlist::TWordEntry *> shown;
    for (const wordlist::TWordEntry &entry : m_entries) {
        if (!book.isEmpty() && Q(entry.Book) != book)
            continue;
        if (!search.isEmpty() && !Q(entry.Headword).contains(search, Qt::CaseInsensitive) &&
            !Q(entry.Typed).contains(search, Qt::CaseInsensitive))
            continue;
        shown.push_back(&entry);
    }
    if (m_order->currentIndex() == 1) {
        std::stable_sort(shown.begin(), shown.end(), [](const auto *a, const auto *b) {
            return QString::localeAwareCompare(Q(a->Headword), Q(b->Headword)) < 0;
        });
    } else {
        // Newest first: what was kept today is what the user looks for.
        std::stable_sort(shown.begin(), shown.end(), [](const auto *a, const auto *b) {
            return std::tie(a->Added, a->Id) > std::tie(b->Added, b->Id);
        });
    }
    m_lines->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(static_cast<qsizetype>(shown.size()));
    for (const wordlist::TWordEntry *entry : shown) {
        auto *item = new QTreeWidgetItem(
            {Q(entry->Headword), entry->Typed == entry->Headword ? QString() : Q(entry->Typed),
             Q(entry->Book), Q(entry->List), Q(entry->Added.substr(0, 10))});
        item->setData(0, Qt::UserRole, QVariant::fromValue<qlonglong>(entry->Id));
        items.push_back(item);
    }
    m_lines->addTopLevelItems(items);
    if (!items.isEmpty())
        m_lines->setCurrentItem(items.front(), 0, QItemSelectionModel::NoUpdate);
    m_status->setText(shown.size() == 1 ? QStringLiteral("1 woord")
                                        : QStringLiteral("%1 woorden").arg(shown.size()));
}

QString TWordListWindow::StatusText() const {
    return m_status->text();
}

std::vector<wordlist::TWordEntry> TWordListWindow::Chosen(bool texts) const {
    std::vector<wordlist::TWordEntry> chosen;
    QList<QTreeWidgetItem *> items = m_lines->selectedItems();
    if (items.isEmpty())
        for (int i = 0; i < m_lines->topLevelItemCount(); ++i)
            items.push_back(m_lines->topLevelItem(i));
    for (QTreeWidgetItem *item : items) {
        wordlist::TWordEntry entry;
        if (m_store.Entry(item->data(0, Qt::UserRole).toLongLong(), entry)) {
            if (!texts)
                entry.Html.clear(), entry.Plain.clear();
            chosen.push_back(std::move(entry));
        }
    }
    return chosen;
}

void TWordListWindow::RemoveSelected() {
    if (m_lines->selectedItems().isEmpty())
        return;
    std::vector<wordlist::TWordEntry> removed = Chosen(/*texts=*/true);
    for (const wordlist::TWordEntry &entry : removed)
        m_store.Remove(entry.Id);
    m_status->setText(QStringLiteral("%1 verwijderd; Ctrl+Z zet terug").arg(removed.size()));
    m_removed.push_back(std::move(removed));
    const QString status = m_status->text();
    Reload();
    m_status->setText(status);
}

void TWordListWindow::Undo() {
    if (m_removed.empty())
        return;
    for (const wordlist::TWordEntry &entry : m_removed.back()) {
        bool added = false;
        m_store.Add(entry, added);
    }
    const std::size_t count = m_removed.back().size();
    m_removed.pop_back();
    Reload();
    m_status->setText(QStringLiteral("%1 teruggezet").arg(count));
}

bool TWordListWindow::Export(bool anki) {
    const std::vector<wordlist::TWordEntry> entries = Chosen(/*texts=*/true);
    const QString list = CurrentList().isEmpty() ? QStringLiteral("woordenlijst") : CurrentList();
    const QString path = m_choose(
        true, anki ? QStringLiteral("Exporteren voor Anki") : QStringLiteral("Exporteren als CSV"),
        anki ? QStringLiteral("Anki-notities (*.txt)") : QStringLiteral("CSV-tabel (*.csv)"),
        list + (anki ? QStringLiteral(".txt") : QStringLiteral(".csv")));
    if (path.isEmpty())
        return false;
    std::string error;
    const std::string text = anki ? wordlist::AnkiNotes(entries) : wordlist::CsvTable(entries);
    if (!wordlist::WriteFileAtomically(path.toStdString(), text, error)) {
        m_status->setText(Q(error));
        return false;
    }
    m_status->setText(
        QStringLiteral("%1 woorden geschreven naar %2").arg(entries.size()).arg(path));
    return true;
}

bool TWordListWindow::ExportAnki() {
    return Export(true);
}

bool TWordListWindow::ExportCsv() {
    return Export(false);
}

bool TWordListWindow::Import() {
    const QString path = m_choose(false, QStringLiteral("Importeren in de woordenlijst"),
                                  QStringLiteral("Anki-notities of CSV (*.txt *.csv *.tsv);;Alle "
                                                 "bestanden (*)"),
                                  QString());
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_status->setText(QStringLiteral("Het bestand %1 kan niet worden gelezen.").arg(path));
        return false;
    }
    const QByteArray bytes = file.read(64 * 1024 * 1024);
    const wordlist::TCardImport read =
        wordlist::ReadCardFile(std::string_view(bytes.constData(), bytes.size()));
    if (!read.Error.empty()) {
        m_status->setText(Q(read.Error));
        return false;
    }
    const std::string list =
        CurrentList().isEmpty() ? wordlist::kDefaultList : CurrentList().toStdString();
    int added = 0;
    for (wordlist::TWordEntry entry : read.Entries) {
        entry.List = list;
        bool isNew = false;
        m_store.Add(entry, isNew);
        added += isNew ? 1 : 0;
    }
    Reload();
    m_status->setText(QStringLiteral("%1 woorden ingelezen in '%2'").arg(added).arg(Q(list)));
    return true;
}

bool TWordListWindow::CopyToList(const QString &list) {
    if (list.isEmpty())
        return false;
    int added = 0;
    for (wordlist::TWordEntry entry : Chosen(/*texts=*/true)) {
        entry.List = list.toStdString();
        bool isNew = false;
        m_store.Add(entry, isNew);
        added += isNew ? 1 : 0;
    }
    Reload();
    m_status->setText(QStringLiteral("%1 woorden in '%2' gezet").arg(added).arg(list));
    return true;
}

bool TWordListWindow::NewList() {
    bool ok = false;
    const QString name = QInputDialog::getText(this, QStringLiteral("Nieuwe lijst"),
                                               QStringLiteral("Naam van de lijst:"),
                                               QLineEdit::Normal, QString(), &ok)
                             .trimmed();
    if (!ok || name.isEmpty() || !m_store.CreateList(name.toStdString()))
        return false;
    Reload();
    m_list->setCurrentIndex(m_list->findText(name));
    return true;
}

}  // namespace ui
