#include "viewer/ui/ShelfDialog.h"

#include <QDialogButtonBox>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>

#include "books/article_index.h"
#include "books/diagnostics.h"
#include "viewer/core/LXA_IniFile.h"
#include "viewer/core/LXA_MsgDlg.h"
#include "viewer/ui/BookPicture.h"

namespace ui {

namespace {

// The list moves whole rows only: a book dropped on another goes before it, never into it.
class TShelfList : public QTreeWidget {
  public:
    using QTreeWidget::QTreeWidget;
    std::function<void(const QString &)> OnDropped;  // the name of the book dragged
    std::function<void(int)> OnMove;                 // Alt+Up, Alt+Down: -1, +1
    std::function<void()> OnDelete;

  protected:
    // The list's own keys, where its focus is; the buttons beside it do the same.
    void keyPressEvent(QKeyEvent *event) override {
        const bool alt = event->modifiers() == Qt::AltModifier;
        if (alt && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
            OnMove(event->key() == Qt::Key_Up ? -1 : +1);
            return;
        }
        if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
            OnDelete();
            return;
        }
        QTreeWidget::keyPressEvent(event);
    }

    void dropEvent(QDropEvent *event) override {
        const QString dragged =
            currentItem() != nullptr ? currentItem()->data(0, Qt::UserRole).toString() : QString();
        QTreeWidget::dropEvent(event);
        if (OnDropped)
            OnDropped(dragged);
    }
};

// What the files of a book tell without opening it.
struct TFacts {
    bool installed = false;
    std::uint32_t keys = 0;              // the book file's header holds its number of keys
    std::optional<std::size_t> entries;  // the article index's, where it can be read
    std::uintmax_t bytes = 0;            // its files together
    bool articleIndex = false;
    std::string licence;  // "licence" of the book's settings, if any
};

TFacts FactsOf(const std::string &dataDir, const std::string &name) {
    TFacts facts;
    const std::string base = dataDir + "/" + name;
    std::error_code error;
    facts.installed = std::filesystem::is_regular_file(base + ".idx", error) &&
                      std::filesystem::is_regular_file(base + ".def", error);
    for (const char *ending : {".idx", ".fts", ".exact", ".def"}) {
        const std::uintmax_t size = std::filesystem::file_size(base + ending, error);
        if (!error)
            facts.bytes += size;
    }
    facts.articleIndex = std::filesystem::is_regular_file(base + ".fts", error);
    if (facts.articleIndex) {
        // An enciphered index without its decipherer leaves the count unknown.
        books::ArticleIndex::OpenStatus status;
        if (const auto index = books::ArticleIndex::Open(base + ".fts", status))
            facts.entries = index->Entries();
    }
    std::ifstream idx(base + ".idx", std::ios::binary);
    unsigned char header[24] = {};
    if (idx.read(reinterpret_cast<char *>(header), sizeof header))
        facts.keys = std::uint32_t(header[20]) | std::uint32_t(header[21]) << 8 |
                     std::uint32_t(header[22]) << 16 | std::uint32_t(header[23]) << 24;
    if (facts.installed)
        facts.licence = TLXAIniFile(base + ".def").ReadString("dictionary", "licence", "");
    return facts;
}

// "en → nl" from a name that starts with its languages ("en-nl", "en-wordnet"); "en" for a
// book that explains its own language; empty when the name tells none.
QString DirectionOf(const std::string &name) {
    auto isCode = [](const std::string &part) {
        return part.size() == 2 && std::islower(static_cast<unsigned char>(part[0])) &&
               std::islower(static_cast<unsigned char>(part[1]));
    };
    const std::size_t dash = name.find('-');
    const std::string from = name.substr(0, dash);
    if (!isCode(from))
        return {};
    if (dash == std::string::npos)
        return QString::fromStdString(from);
    const std::size_t next = name.find('-', dash + 1);
    const std::string to =
        name.substr(dash + 1, next == std::string::npos ? next : next - dash - 1);
    return isCode(to) ? QString::fromStdString(from + " → " + to) : QString::fromStdString(from);
}

QString SizeText(std::uintmax_t bytes) {
    return QLocale(QLocale::Dutch)
        .formattedDataSize(static_cast<qint64>(bytes), 1, QLocale::DataSizeTraditionalFormat);
}

QPushButton *Button(const QString &text, const QString &spoken, QWidget *parent) {
    auto *button = new QPushButton(text, parent);
    button->setAccessibleName(spoken);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TShelfDialog::TShelfDialog(const books::UserShelf &shelf, const std::string &programDataDir,
                           TPicture picture, QWidget *parent)
    : QDialog(parent),
      m_shelf(shelf),
      m_programDataDir(programDataDir),
      m_picture(std::move(picture)) {
    setObjectName(QStringLiteral("dlgShelf"));
    setWindowTitle(QStringLiteral("Woordenboeken beheren"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(
        QStringLiteral("&Woordenboeken, in de volgorde van de keuzelijst. Een vinkje: de "
                       "keuzelijst toont het woordenboek."),
        this);
    label->setWordWrap(true);
    layout->addWidget(label);

    auto *list = new TShelfList(this);
    list->OnDropped = [this](const QString &dragged) { Dropped(dragged); };
    list->OnMove = [this](int step) { MoveCurrent(step); };
    list->OnDelete = [this] { RemoveCurrent(); };
    m_list = list;
    m_list->setObjectName(QStringLiteral("lstShelf"));
    m_list->setAccessibleName(QStringLiteral("Woordenboeken"));
    m_list->setAccessibleDescription(
        QStringLiteral("Alt+pijl omhoog of omlaag verplaatst het woordenboek, spatie toont of "
                       "verbergt het, F2 wijzigt de naam, Delete verwijdert een eigen "
                       "woordenboek."));
    label->setBuddy(m_list);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setDragDropMode(QAbstractItemView::InternalMove);
    m_list->setDefaultDropAction(Qt::MoveAction);
    m_list->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    m_list->setColumnCount(cCount);
    m_list->setHeaderLabels({QStringLiteral("Naam"), QStringLiteral("Bron"),
                             QStringLiteral("Richting"), QStringLiteral("Artikelen"),
                             QStringLiteral("Zoeksleutels"), QStringLiteral("Grootte"),
                             QStringLiteral("Artikelindex"), QStringLiteral("Licentie")});
    m_list->header()->setStretchLastSection(true);
    layout->addWidget(m_list, 1);

    auto *row = new QHBoxLayout;
    m_up = Button(QStringLiteral("Om&hoog"), QStringLiteral("Woordenboek omhoog"), this);
    m_up->setToolTip(QStringLiteral("Alt+pijl omhoog in de lijst"));
    m_down = Button(QStringLiteral("Om&laag"), QStringLiteral("Woordenboek omlaag"), this);
    m_down->setToolTip(QStringLiteral("Alt+pijl omlaag in de lijst"));
    m_hide =
        Button(QStringLiteral("&Verbergen"), QStringLiteral("Verbergen in de keuzelijst"), this);
    m_rename = Button(QStringLiteral("Naam &wijzigen"), QStringLiteral("Naam wijzigen"), this);
    m_remove =
        Button(QStringLiteral("Ve&rwijderen…"), QStringLiteral("Woordenboek verwijderen"), this);
    m_remove->setToolTip(QStringLiteral("Delete in de lijst"));
    m_add = Button(QStringLiteral("&Toevoegen…"), QStringLiteral("Woordenboek toevoegen"), this);
    for (QPushButton *button : {m_up, m_down, m_hide, m_rename, m_remove, m_add})
        row->addWidget(button);
    row->addStretch(1);
    layout->addLayout(row);

    auto *box = new QDialogButtonBox(this);
    m_close = box->addButton(QStringLiteral("&Sluiten"), QDialogButtonBox::RejectRole);
    m_close->setAccessibleName(QStringLiteral("Sluiten"));
    m_close->setDefault(true);
    layout->addWidget(box);
    // Every change is kept already: closing, by the button or Escape, is all there is.
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(m_up, &QPushButton::clicked, this, [this] { MoveCurrent(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { MoveCurrent(+1); });
    connect(m_hide, &QPushButton::clicked, this, [this] {
        const int at = CurrentRow();
        if (at >= 0)
            SetCurrentHidden(!m_books[std::size_t(at)].hidden);
    });
    connect(m_rename, &QPushButton::clicked, this, [this] {
        if (QTreeWidgetItem *item = m_list->currentItem())
            m_list->editItem(item, cName);
    });
    connect(m_remove, &QPushButton::clicked, this, [this] { RemoveCurrent(); });
    connect(m_add, &QPushButton::clicked, this, &TShelfDialog::ImportRequested);
    connect(m_list, &QTreeWidget::itemChanged, this, &TShelfDialog::ItemChanged);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });

    resize(820, 380);
    Reload();
}

void TShelfDialog::Reload() {
    try {
        m_books = books::ReadShelf(m_shelf, m_programDataDir);
    } catch (const books::InputError &e) {
        ShowError(e.what(), 3, 3);
    }
    Fill();
}

QTreeWidgetItem *TShelfDialog::MakeItem(const books::ShelfBook &book) const {
    const TFacts facts = FactsOf(book.mine ? m_shelf.dataDir : m_programDataDir, book.name);
    auto *item = new QTreeWidgetItem;
    item->setData(cName, Qt::UserRole, QString::fromStdString(book.name));
    item->setText(cName, QString::fromStdString(book.displayName));
    QIcon icon = m_picture ? m_picture(book.name) : QIcon();
    if (icon.isNull())
        icon = QIcon(QPixmap::fromImage(
            InitialsPicture(book.name, QString::fromStdString(book.displayName))));
    item->setIcon(cName, icon);
    item->setCheckState(cName, book.hidden ? Qt::Unchecked : Qt::Checked);
    item->setText(cSource, book.mine ? QStringLiteral("eigen") : QStringLiteral("programma"));
    item->setText(cDirection, DirectionOf(book.name));
    const QLocale dutch(QLocale::Dutch);
    item->setText(cEntries, !facts.installed ? QStringLiteral("niet geïnstalleerd")
                            : facts.entries  ? dutch.toString(qulonglong(*facts.entries))
                                             : QString());
    item->setTextAlignment(cEntries, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(cKeys, facts.installed ? dutch.toString(facts.keys) : QString());
    item->setTextAlignment(cKeys, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(cSize, facts.installed ? SizeText(facts.bytes) : QString());
    item->setTextAlignment(cSize, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(cIndex, facts.articleIndex ? QStringLiteral("ja") : QStringLiteral("nee"));
    item->setText(cLicence, QString::fromStdString(facts.licence));
    // What a screen reader says of the row as a whole.
    item->setData(
        cName, Qt::AccessibleDescriptionRole,
        QStringLiteral("%1, %2%3")
            .arg(book.mine ? QStringLiteral("eigen woordenboek")
                           : QStringLiteral("woordenboek van het programma"),
                 book.hidden ? QStringLiteral("verborgen") : QStringLiteral("in de keuzelijst"),
                 facts.articleIndex ? QStringLiteral(", met artikelindex") : QString()));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable |
                   Qt::ItemIsEditable | Qt::ItemIsDragEnabled);
    return item;
}

void TShelfDialog::Fill() {
    const QString current = m_list->currentItem() != nullptr
                                ? m_list->currentItem()->data(cName, Qt::UserRole).toString()
                                : QString();
    m_filling = true;
    m_list->clear();
    for (const books::ShelfBook &book : m_books)
        m_list->addTopLevelItem(MakeItem(book));
    m_filling = false;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->data(cName, Qt::UserRole).toString() == current ||
            (current.isEmpty() && i == 0))
            m_list->setCurrentItem(m_list->topLevelItem(i));
    for (int column = 0; column < cLicence; ++column)
        m_list->resizeColumnToContents(column);
    UpdateButtons();
}

int TShelfDialog::CurrentRow() const {
    QTreeWidgetItem *item = m_list->currentItem();
    return item == nullptr ? -1 : m_list->indexOfTopLevelItem(item);
}

void TShelfDialog::UpdateButtons() {
    const int at = CurrentRow();
    const bool any = at >= 0 && std::size_t(at) < m_books.size();
    m_up->setEnabled(any && at > 0);
    m_down->setEnabled(any && std::size_t(at) + 1 < m_books.size());
    m_hide->setEnabled(any);
    m_rename->setEnabled(any);
    m_remove->setEnabled(any && m_books[std::size_t(at)].mine);
    const bool hidden = any && m_books[std::size_t(at)].hidden;
    m_hide->setText(hidden ? QStringLiteral("T&onen") : QStringLiteral("&Verbergen"));
    m_hide->setAccessibleName(hidden ? QStringLiteral("Tonen in de keuzelijst")
                                     : QStringLiteral("Verbergen in de keuzelijst"));
}

bool TShelfDialog::Save() {
    try {
        books::WriteShelf(m_shelf, m_programDataDir, m_books);
    } catch (const books::InputError &e) {
        ShowError(e.what(), 3, 3);
        Reload();
        return false;
    }
    Fill();
    emit Changed();
    return true;
}

bool TShelfDialog::MoveCurrent(int step) {
    const int at = CurrentRow();
    const int to = at + step;
    if (at < 0 || to < 0 || std::size_t(to) >= m_books.size())
        return false;
    std::swap(m_books[std::size_t(at)], m_books[std::size_t(to)]);
    m_list->setCurrentItem(m_list->topLevelItem(to));
    const QString name = QString::fromStdString(m_books[std::size_t(to)].name);
    const bool saved = Save();
    // The moved book stays the current one, where it went.
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->data(cName, Qt::UserRole).toString() == name)
            m_list->setCurrentItem(m_list->topLevelItem(i));
    return saved;
}

bool TShelfDialog::SetCurrentHidden(bool hidden) {
    const int at = CurrentRow();
    if (at < 0 || m_books[std::size_t(at)].hidden == hidden)
        return false;
    m_books[std::size_t(at)].hidden = hidden;
    return Save();
}

bool TShelfDialog::RenameCurrent(const QString &displayName) {
    const int at = CurrentRow();
    if (at < 0)
        return false;
    const std::string name = displayName.trimmed().toStdString();
    if (name == m_books[std::size_t(at)].displayName) {
        Fill();
        return false;
    }
    try {
        books::CheckDisplayName(m_books, std::size_t(at), name);
    } catch (const books::InputError &e) {
        ShowError(e.what(), 3, 3);
        Fill();
        return false;
    }
    m_books[std::size_t(at)].displayName = name;
    return Save();
}

bool TShelfDialog::RemoveCurrent() {
    const int at = CurrentRow();
    if (at < 0 || !m_books[std::size_t(at)].mine)
        return false;
    const books::ShelfBook book = m_books[std::size_t(at)];
    const int answer = ShowMessageDialog(
        "Wilt u het woordenboek '" + book.displayName +
            "' verwijderen? De bestanden ervan worden gewist; u kunt het later opnieuw "
            "toevoegen.",
        TMsgDlgType::Confirmation, mbYes | mbNo);
    if (answer != mrYes)
        return false;
    try {
        books::RemoveUserBook(m_shelf, book.name, m_programDataDir);
    } catch (const books::InputError &e) {
        ShowError(e.what(), 3, 3);
        Reload();
        return false;
    }
    Reload();
    emit Changed();
    return true;
}

void TShelfDialog::ItemChanged(QTreeWidgetItem *item, int column) {
    if (m_filling || column != cName)
        return;
    const int at = m_list->indexOfTopLevelItem(item);
    if (at < 0 || std::size_t(at) >= m_books.size())
        return;
    m_list->setCurrentItem(item);
    const bool hidden = item->checkState(cName) != Qt::Checked;
    // Fill and Save rebuild the items: the queued work must not hold this one.
    if (hidden != m_books[std::size_t(at)].hidden) {
        QMetaObject::invokeMethod(
            this, [this, hidden] { SetCurrentHidden(hidden); }, Qt::QueuedConnection);
        return;
    }
    const QString text = item->text(cName);
    if (text.toStdString() != m_books[std::size_t(at)].displayName)
        QMetaObject::invokeMethod(
            this, [this, text] { RenameCurrent(text); }, Qt::QueuedConnection);
}

void TShelfDialog::Dropped(const QString &dragged) {
    // The rows' order after the drag is the new order.
    std::vector<books::ShelfBook> ordered;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const std::string name =
            m_list->topLevelItem(i)->data(cName, Qt::UserRole).toString().toStdString();
        for (const books::ShelfBook &book : m_books)
            if (book.name == name)
                ordered.push_back(book);
    }
    if (ordered.size() != m_books.size()) {
        Reload();
        return;
    }
    m_books = std::move(ordered);
    // The book dragged stays the current one, where it went.
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->data(cName, Qt::UserRole).toString() == dragged)
            m_list->setCurrentItem(m_list->topLevelItem(i));
    QMetaObject::invokeMethod(
        this, [this] { Save(); }, Qt::QueuedConnection);
}

}  // namespace ui
