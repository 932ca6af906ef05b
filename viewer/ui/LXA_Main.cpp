#include "LXA_Main.h"

#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/shell.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/display/PageLook.h"
#include "viewer/finder/ServerLookups.h"
#include "viewer/finder/WordFinder.h"
#include "viewer/ui/AddDictionary.h"
#include "viewer/ui/HelpWindow.h"
#include "viewer/ui/IdleUpdater.h"
#include "viewer/ui/LiveStatus.h"
#include "viewer/ui/MainAllBooks.h"
#include "viewer/ui/MainReading.h"
#include "viewer/ui/MenuItem.h"
#include "viewer/ui/PageScroller.h"
#include "viewer/ui/SelectBook.h"
#include "viewer/ui/TypeAhead.h"
#include "viewer/ui/UiResources.h"

namespace ui {

namespace {

QFont ArialPixels(int pixels) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    return font;
}

QToolBar *MakeToolbar(const char *name, const char *title, QWidget *parent) {
    auto *bar = new QToolBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(kImageSize, kImageSize));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setContentsMargins(1, 1, 1, 1);
    bar->setAccessibleName(QString::fromUtf8(title));
    bar->setStyleSheet(QStringLiteral("QToolBar { border: 0px; spacing: 1px; }"));
    return bar;
}

}  // namespace

TfrmLXAMain::TfrmLXAMain(TLXAData &appData, QWidget *parent)
    : QMainWindow(parent),
      m_data(appData),
      aclMain(new QObject(this)),
      aclDictionaries(new QObject(this)),
      m_bookGroup(new QActionGroup(this)),
      m_reading(std::make_unique<TReading>()),
      m_allBooks(std::make_unique<TAllBooksState>()) {
    setObjectName(QStringLiteral("frmLXAMain"));
    InitUiResources();
    aclMain->setObjectName(QStringLiteral("aclMain"));
    aclDictionaries->setObjectName(QStringLiteral("aclDictionaries"));
    resize(497, 345);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    CreateMenus();
    auto *client = new QWidget(this);
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(client);
    CreateControlBar();
    CreateCommands();
    CreateInputPanel();
    CreateWordFinder();
    CreateOutputPanel();
    column->addWidget(clbMain);
    column->addWidget(pnlInput);
    column->addWidget(pnlOutput, 1);
    CreateStatusBar();
    InitialiseForm();
    setTabOrder(edtSearchText, m_viewer);
    setTabOrder(m_viewer, tbrDictionaries);
    edtSearchText->setFocus();
    setAcceptDrops(true);
    CreateReadingComfort();
    CreateWordList();
    m_idle = std::make_unique<TIdleUpdater>([this] { UpdateCommands(); });
}

TfrmLXAMain::~TfrmLXAMain() {
    SaveWindowState();
}

void TfrmLXAMain::CreateControlBar() {
    clbMain = new QWidget(this);
    clbMain->setObjectName(QStringLiteral("clbMain"));
    clbMain->setFixedHeight(30);
    auto *bands = new QHBoxLayout(clbMain);
    bands->setContentsMargins(2, 2, 2, 2);
    bands->setSpacing(0);
    pgsMain = new TPageScroller(clbMain);
    pgsMain->setObjectName(QStringLiteral("pgsMain"));
    pgsMain->setFixedSize(54, 26);
    tbrMain = MakeToolbar("tbrMain", "Werkbalk", pgsMain);
    pgsMain->SetContent(tbrMain);
    pgsDictionaries = new TPageScroller(clbMain);
    pgsDictionaries->setObjectName(QStringLiteral("pgsDictionaries"));
    pgsDictionaries->setFixedSize(58, 26);
    tbrDictionaries = MakeToolbar("tbrDictionaries", "Woordenboeken", pgsDictionaries);
    // The current book's button stands out from the bar at 3:1 or better, as a control's
    // state must; the style's own sunken look hardly differs from the bar.
    const QColor bar = tbrDictionaries->palette().color(QPalette::Window);
    const QColor mark = display::WithContrast(palette().color(QPalette::Highlight), bar, 3.0);
    tbrDictionaries->setStyleSheet(
        tbrDictionaries->styleSheet() +
        QStringLiteral(" QToolButton:checked { border: 2px solid %1; border-radius: 3px; }")
            .arg(mark.name()));
    pgsDictionaries->SetContent(tbrDictionaries);
    bands->addWidget(pgsMain);
    bands->addWidget(pgsDictionaries);
    bands->addStretch(1);
    for (QWidget *watched : {static_cast<QWidget *>(clbMain), static_cast<QWidget *>(tbrMain),
                             static_cast<QWidget *>(tbrDictionaries)})
        watched->installEventFilter(this);
}

void TfrmLXAMain::CreateInputPanel() {
    pnlInput = new QWidget(this);
    pnlInput->setObjectName(QStringLiteral("pnlInput"));
    pnlInput->setFixedHeight(34);
    auto *row = new QHBoxLayout(pnlInput);
    row->setContentsMargins(0, 4, 2, 5);
    row->setSpacing(2);
    edtSearchText = new QLineEdit(pnlInput);
    edtSearchText->setObjectName(QStringLiteral("edtSearchText"));
    edtSearchText->setFont(ArialPixels(15));
    edtSearchText->setFixedHeight(25);
    edtSearchText->setMaxLength(256);
    edtSearchText->setAccessibleName(QStringLiteral("Zoekwoord"));
    edtSearchText->setAccessibleDescription(
        QStringLiteral("Typ een woord en druk op Enter om het op te zoeken"));
    // Enter runs the find command through its enabling rule, like the button.
    TCommand *find = Command("actFindWord");
    connect(edtSearchText, &QLineEdit::returnPressed, find, &TCommand::Execute);
    connect(edtSearchText, &QLineEdit::textChanged, find, &TCommand::Update);
    btnFindWord = new QToolButton(pnlInput);
    btnFindWord->setObjectName(QStringLiteral("btnFindWord"));
    btnFindWord->setDefaultAction(find);
    btnFindWord->setAutoRaise(true);
    btnFindWord->setFixedSize(23, 22);
    btnFindWord->setIconSize(QSize(kImageSize, kImageSize));
    btnFindWord->setFocusPolicy(Qt::NoFocus);  // Enter in the field does what it does
    btnFindWord->setAccessibleName(QStringLiteral("Vind woord"));
    // "Zoeken in artikelen" is in the menu with Ctrl+Shift+F; the row keeps the field and
    // the find button at the right edge.
    connect(edtSearchText, &QLineEdit::textChanged, Command("actFindInArticles"),
            &TCommand::Update);
    row->addWidget(edtSearchText, 1);
    // The button sits one pixel lower than the field (top 5 against 4).
    auto *buttonColumn = new QVBoxLayout;
    buttonColumn->setContentsMargins(0, 1, 0, 0);
    buttonColumn->addWidget(btnFindWord);
    buttonColumn->addStretch(1);
    row->addLayout(buttonColumn);
}

void TfrmLXAMain::CreateOutputPanel() {
    pnlOutput = new QFrame(this);
    pnlOutput->setObjectName(QStringLiteral("pnlOutput"));
    pnlOutput->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlOutput->setFont(ArialPixels(15));
    auto *fill = new QVBoxLayout(pnlOutput);
    fill->setContentsMargins(1, 1, 1, 1);
}

void TfrmLXAMain::CreateStatusBar() {
    stbMain = new QStatusBar(this);
    stbMain->setObjectName(QStringLiteral("stbMain"));
    stbMain->setFixedHeight(21);
    stbMain->setSizeGripEnabled(false);
    // A permanent label, not a temporary message, so that menu hints never replace it.
    m_statusLine = new QLabel(stbMain);
    m_statusLine->setObjectName(QStringLiteral("stbMainText"));
    // The line quotes the typed word: never read it as markup.
    m_statusLine->setTextFormat(Qt::PlainText);
    // What a search found is said at once, while the focus stays in the search field.
    m_status = new TLiveStatus(m_statusLine);
    stbMain->setAccessibleName(QStringLiteral("Statusregel"));
    stbMain->addWidget(m_statusLine, 1);
    setStatusBar(stbMain);
}

void TfrmLXAMain::InitialiseForm() {
    CreateDictionaryActions();
    CreateDictionaryMenuItems();
    CreateDictionaryButtons();
    CreateViewer();
    SelectBookByName(m_data.CurrentBook != nullptr ? m_data.CurrentBook->Name : std::string());
    CreateAllBooksChoice();
    // Made here, not at the first lookup, so that every path to a server has the user's
    // reply timeout.
    m_serverLookups = MakeServerLookups();
}

void TfrmLXAMain::CreateViewer() {
    m_viewer = new display::THtmlViewer(pnlOutput);
    m_viewer->setAccessibleName(QStringLiteral("Artikel"));
    m_viewer->setAccessibleDescription(
        QStringLiteral("De pijltjestoetsen lezen het artikel; Tab gaat naar de koppelingen"));
    pnlOutput->layout()->addWidget(m_viewer);
    m_viewer->SetImageFolder(QString::fromStdString(m_data.Paths.DataDir));
    m_viewer->SetCopyByCommand(true);
    // Web links in entries open in the user's browser through the shell.
    m_viewer->SetLinkOpener(
        [](const QUrl &link) { platform::ShellOpen(link.toString().toStdString(), ""); });
    // zoek: links and double-clicked words search in the current book.
    m_viewer->SetWordSearcher([this](const QString &word) { SearchFor(word); });
}

void TfrmLXAMain::UpdateCommands() {
    for (TCommand *command : m_commands)
        command->Update();
    for (TSelectBook *command : m_books)
        command->Update();
    for (TCommand *command : ChoiceCommands())
        command->Update();
}

TCommand *TfrmLXAMain::Command(const char *name) const {
    for (TCommand *command : m_commands)
        if (command->objectName() == QLatin1String(name))
            return command;
    return nullptr;
}

QMenu *TfrmLXAMain::Menu(const char *name) const {
    return menuBar()->findChild<QMenu *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

QToolBar *TfrmLXAMain::Toolbar(const char *name) const {
    return findChild<QToolBar *>(QLatin1String(name));
}

QString TfrmLXAMain::StatusText() const {
    return m_statusLine->text();
}

void TfrmLXAMain::SetStatus(const QString &text) {
    m_status->Announce(text);
}

bool TfrmLXAMain::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)
        FitBands();
    return QMainWindow::eventFilter(watched, event);
}

void TfrmLXAMain::FitBands() {
    if (clbMain == nullptr || pgsMain == nullptr || pgsDictionaries == nullptr)
        return;
    const int bar = clbMain->width() - 4;  // inside the bar's margins
    const int other = pgsDictionaries->isHidden() ? 0 : pgsDictionaries->width();
    const int mainWidth = FitBandWidth(pgsMain->width(), pgsMain->ContentWidth(), other, bar);
    if (mainWidth != pgsMain->width())
        pgsMain->setFixedWidth(mainWidth);
    if (!pgsDictionaries->isHidden()) {
        const int width =
            FitBandWidth(pgsDictionaries->width(), pgsDictionaries->ContentWidth(), mainWidth, bar);
        if (width != pgsDictionaries->width())
            pgsDictionaries->setFixedWidth(width);
    }
}

}  // namespace ui
