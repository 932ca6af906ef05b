#include "viewer/ui/LookupResident.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QDateTime>
#include <QFile>
#include <QMenu>
#include <QSystemTrayIcon>

#include "viewer/core/LXA_Data.h"
#include "viewer/core/ViewSettings.h"
#include "viewer/ui/AllBooksPage.h"
#include "viewer/ui/InstanceChannel.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/LookupBus.h"
#include "viewer/ui/LookupPopup.h"
#include "viewer/ui/SelectionText.h"
#include "viewer/ui/SelectionWatch.h"
#include "viewer/ui/WordListHook.h"

namespace ui {

TLookupResident::TLookupResident(TfrmLXAMain &main, TLXAData &data)
    : m_main(main), m_data(data), m_channel(new TInstanceChannel(this)) {
    m_popup = std::make_unique<TLookupPopup>(
        [this](const QString &word) { return m_main.LookupPage(word); },
        [this] { return m_main.PageLook(); }, QString::fromStdString(m_data.Paths.DataDir));
    m_popup->SetAllBooksMaker([this](QWidget *parent) {
        TAllBooksPage *page = m_main.NewAllBooksPage(parent);
        page->SetUnfolded(m_main.AllBooksPage()->Unfolded());
        return page;
    });
    // Stars on the popup's page, and its own status line for what they did; the blocks of
    // its all-books page get theirs where the main window makes the page.
    if (TWordListHook *list = m_main.WordList()) {
        list->Attach(*m_popup->Viewer(), [popup = m_popup.get()] { return popup->Entries(); });
        connect(m_popup.get(), &TLookupPopup::StarTop, list, [list, popup = m_popup.get()] {
            if (display::THtmlViewer *top = popup->TopDisplay())
                list->StarTopEntryOf(*top);
        });
        connect(list, &TWordListHook::Said, m_popup.get(),
                [popup = m_popup.get()](const QString &status, QWidget *where) {
                    if (where == popup)
                        popup->Say(status);
                });
    }
    // Base forms and "Bedoelde u:" that come later complete the popup as they do the window.
    // Queued: the word finder may tell so in the middle of the popup's own search.
    connect(&m_main, &TfrmLXAMain::WordFinderGrew, m_popup.get(), &TLookupPopup::Refresh,
            Qt::QueuedConnection);
    connect(m_popup.get(), &TLookupPopup::OpenInMainWindow, this,
            &TLookupResident::OpenInMainWindow);
    connect(m_popup.get(), &TLookupPopup::Answered, this, &TLookupResident::Record);
    connect(m_channel, &TInstanceChannel::Requested, this, &TLookupResident::Handle);
    m_main.installEventFilter(this);
}

TLookupResident::~TLookupResident() = default;

void TLookupResident::Listen() {
    m_channel->Listen();
    // Where there is no session bus the socket is the way in.
    auto *bus = new TLookupBus(*this, this);
    if (!bus->Register())
        delete bus;
}

void TLookupResident::Handle(const TLookupRequest &request) {
    BecomeResident();
    switch (request.Kind) {
        case TLookupKind::Word:
            LookUp(QString::fromStdString(request.Word));
            break;
        case TLookupKind::Selection:
            LookUpSelection();
            break;
        case TLookupKind::Clipboard:
            LookUpClipboard();
            break;
    }
}

void TLookupResident::LookUp(const QString &word) {
    BecomeResident();
    m_popup->ShowWord(word);
}

void TLookupResident::LookUpSelection() {
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QClipboard::Mode mode =
        clipboard->supportsSelection() ? QClipboard::Selection : QClipboard::Clipboard;
    LookUpText(clipboard->text(mode), QStringLiteral("Er is geen tekst geselecteerd."));
}

void TLookupResident::LookUpClipboard() {
    LookUpText(QGuiApplication::clipboard()->text(QClipboard::Clipboard),
               QStringLiteral("Het klembord bevat geen tekst."));
}

void TLookupResident::LookUpText(const QString &text, const QString &nothing) {
    BecomeResident();
    // The search field holds 256 characters; a longer text is a paragraph, not a word.
    const QString words = SelectedWords(text.left(1024)).left(256);
    if (words.isEmpty())
        m_popup->ShowMessage(nothing);
    else
        m_popup->ShowWord(words);
}

void TLookupResident::BecomeResident() {
    if (m_resident)
        return;
    m_resident = true;
    QApplication::setQuitOnLastWindowClosed(false);
    CreateTray();
}

void TLookupResident::CreateTray() {
    const TViewSettings settings = ReadViewSettings(m_data.Paths.RegKey);
    m_watch = new TSelectionWatch(this);
    if (settings.FollowModifier == "Ctrl")
        m_watch->SetModifier(Qt::ControlModifier);
    else if (settings.FollowModifier == "Shift")
        m_watch->SetModifier(Qt::ShiftModifier);
    else if (settings.FollowModifier == "Alt")
        m_watch->SetModifier(Qt::AltModifier);
    else if (settings.FollowModifier == "Meta")
        m_watch->SetModifier(Qt::MetaModifier);
    connect(m_watch, &TSelectionWatch::Selected, this, &TLookupResident::LookUp);

    m_trayMenu = std::make_unique<QMenu>();
    m_trayMenu->setObjectName(QStringLiteral("mnuTray"));
    QAction *open = m_trayMenu->addAction(QStringLiteral("Hoofdvenster openen"));
    open->setObjectName(QStringLiteral("actTrayOpen"));
    connect(open, &QAction::triggered, this, &TLookupResident::OpenMainWindow);
    m_follow = m_trayMenu->addAction(QStringLiteral("Selectie volgen"));
    m_follow->setObjectName(QStringLiteral("actTrayFollowSelection"));
    m_follow->setCheckable(true);
    m_follow->setEnabled(TSelectionWatch::Available());
    m_follow->setToolTip(TSelectionWatch::Available()
                             ? QStringLiteral("Toon een nieuwe selectie in een venstertje")
                             : QStringLiteral("Dit systeem laat geen selectie volgen"));
    m_follow->setChecked(settings.FollowSelection && TSelectionWatch::Available());
    m_watch->SetActive(m_follow->isChecked());
    connect(m_follow, &QAction::toggled, this, &TLookupResident::FollowSelection);
    m_trayMenu->addSeparator();
    QAction *quit = m_trayMenu->addAction(QStringLiteral("Afsluiten"));
    quit->setObjectName(QStringLiteral("actTrayQuit"));
    connect(quit, &QAction::triggered, this, &TLookupResident::Quit);

    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QIcon(QStringLiteral(":/ui/find.png"));
    m_tray = new QSystemTrayIcon(icon, this);
    m_tray->setToolTip(QStringLiteral("Morvelt taalkist"));
    m_tray->setContextMenu(m_trayMenu.get());
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger)
                    OpenMainWindow();
            });
    m_tray->show();
}

void TLookupResident::FollowSelection(bool follow) {
    m_watch->SetActive(follow);
    WriteFollowSelectionSetting(m_data.Paths.RegKey, follow);
}

void TLookupResident::OpenMainWindow() {
    m_main.show();
    m_main.raise();
    m_main.activateWindow();
}

void TLookupResident::Quit() {
    // The main window keeps its place and history as when it is closed by the user.
    m_popup->hide();
    if (m_main.isVisible())
        m_main.close();
    QCoreApplication::quit();
}

bool TLookupResident::HasTray() const {
    return m_tray != nullptr && m_tray->isVisible();
}

void TLookupResident::OpenInMainWindow(const QString &word) {
    OpenMainWindow();
    if (!word.trimmed().isEmpty())
        m_main.SearchFor(word);
}

bool TLookupResident::eventFilter(QObject *watched, QEvent *event) {
    // Without a tray to end it from, closing the main window still ends the program.
    if (watched == &m_main && event->type() == QEvent::Close && m_resident && !HasTray())
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void TLookupResident::Record(const QString &word, const QString &status) const {
    // The program's tests and benchmark read what the popup answered, where it stood and
    // when (milliseconds since 1970).
    const QByteArray log = qgetenv("TAALKIST_LOOKUP_LOG");
    if (log.isEmpty())
        return;
    QFile file(QString::fromLocal8Bit(log));
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    const QRect place = m_popup->frameGeometry();
    const QPoint pointer = QCursor::pos();
    file.write(QStringLiteral("%1\t%2\t%3 %4 %5 %6\t%7 %8\t%9\n")
                   .arg(word, status)
                   .arg(place.x())
                   .arg(place.y())
                   .arg(place.width())
                   .arg(place.height())
                   .arg(pointer.x())
                   .arg(pointer.y())
                   .arg(QDateTime::currentMSecsSinceEpoch())
                   .toUtf8());
}

}  // namespace ui
