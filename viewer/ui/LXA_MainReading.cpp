// The main window's reading comfort: the page's zoom and dark reading, back and forward
// through the window's searches and the drop-down of recent ones, keyboard access to the
// search field, the dictionaries and the find bar, and copying and printing the article.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTextDocument>

#include "platform/paths.h"
#include "viewer/core/LXA_Cursor.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/ViewSettings.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/AllBooksPage.h"
#include "viewer/ui/FindBar.h"
#include "viewer/ui/HistoryPopup.h"
#include "viewer/ui/MainReading.h"
#include "viewer/ui/SelectBook.h"
#include "viewer/ui/TypeAhead.h"

namespace ui {

namespace {

constexpr int kMessageMs = 2000;
// A second window of the program (started with dictionary names, as the new-window
// command does) opens this far from the place kept, so that it does not hide the first.
constexpr int kCascade = 32;

// A dark desktop has light text on dark windows.
bool DesktopIsDark() {
    const QPalette desktop = QGuiApplication::palette();
    return desktop.color(QPalette::Window).lightness() <
           desktop.color(QPalette::WindowText).lightness();
}

}  // namespace

void TfrmLXAMain::CreateReadingComfort() {
    const std::string &regKey = m_data.Paths.RegKey;
    const TViewSettings settings = ReadViewSettings(regKey);
    m_reading->Look.ZoomPercent = display::ValidZoom(settings.ZoomPercent);
    m_reading->DarkChoice = settings.DarkReading;
    ApplyPageLook();
    m_reading->Recent.Load(regKey);
    if (!settings.Placement.empty() &&
        restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(settings.Placement))) &&
        !platform::CommandLineArguments().empty())
        move(pos() + QPoint(kCascade, kCascade));

    // The search field: its drop-down arrow, and Escape that clears it. Escape belongs to the
    // field alone, so that an open list under it closes first.
    edtSearchText->addAction(Command("actSearchHistory"), QLineEdit::TrailingPosition);
    TCommand *clear = Command("actClearSearchText");
    removeAction(clear);
    clear->setShortcutContext(Qt::WidgetShortcut);
    static_cast<QWidget *>(edtSearchText)->addAction(clear);
    connect(edtSearchText, &QLineEdit::textChanged, clear, &TCommand::Update);

    // Alt+1 to Alt+9: the dictionaries of the toolbar, left to right, as the user arranges
    // them.
    for (std::size_t i = 0; i < kNumberedBooks; ++i) {
        auto *key = new QShortcut(
            QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(Qt::Key_1 + int(i)))), this);
        connect(key, &QShortcut::activated, this, [this, i] {
            const std::vector<TSelectBook *> shown = ShownDictionaries();
            if (i < shown.size())
                shown[i]->Execute();
        });
    }

    connect(m_viewer, &display::THtmlViewer::ZoomStepRequested, this, [this](int steps) {
        SetZoom(display::SteppedZoom(m_reading->Look.ZoomPercent, steps));
    });
    // The shown search keeps its place on the page, for going back to it.
    connect(m_viewer->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (TVisit *shown = m_reading->Trail.Current();
            shown != nullptr && !m_reading->Replaying && m_viewer->HasPage())
            shown->Place = m_viewer->TopPosition();
    });
}

void TfrmLXAMain::closeEvent(QCloseEvent *event) {
    WritePlacementSetting(m_data.Paths.RegKey, saveGeometry().toBase64().toStdString());
    SaveWindowState();
    QMainWindow::closeEvent(event);
}

void TfrmLXAMain::SaveWindowState() {
    if (!m_reading || m_reading->Saved)
        return;
    m_reading->Saved = true;
    m_reading->Recent.Save(m_data.Paths.RegKey);
}

void TfrmLXAMain::changeEvent(QEvent *event) {
    // A page that follows the desktop turns dark or light with it.
    const bool desktop =
        event->type() == QEvent::PaletteChange || event->type() == QEvent::ThemeChange;
    if (desktop && m_viewer != nullptr && !m_reading->DarkChoice)
        ApplyPageLook();
    QMainWindow::changeEvent(event);
}

const std::vector<std::string> &TfrmLXAMain::RecentSearches() const {
    return m_reading->Recent.Words();
}

TFindBar *TfrmLXAMain::FindBar() const {
    return m_reading->FindBar;
}

THistoryPopup *TfrmLXAMain::HistoryPopup() const {
    return m_reading->Popup;
}

// Zoom and dark reading.

display::TPageLook TfrmLXAMain::PageLook() const {
    return m_reading->Look;
}

void TfrmLXAMain::ApplyPageLook() {
    m_reading->Look.Dark = m_reading->DarkChoice.value_or(DesktopIsDark());
    m_viewer->SetLook(m_reading->Look);
    // The type-ahead list zooms with the page it leads to.
    m_typeAhead->SetTextScale(m_reading->Look.ZoomFactor());
    ApplyAllBooksLook(m_reading->Look);
}

void TfrmLXAMain::SetZoom(int percent) {
    percent = display::ValidZoom(percent);
    if (percent != m_reading->Look.ZoomPercent) {
        m_reading->Look.ZoomPercent = percent;
        WriteZoomSetting(m_data.Paths.RegKey, percent);
        ApplyPageLook();
        UpdateReadingCommands();
    }
    stbMain->showMessage(QStringLiteral("Zoom: %1%").arg(percent), kMessageMs);
}

void TfrmLXAMain::actZoomInExecute() {
    SetZoom(display::SteppedZoom(m_reading->Look.ZoomPercent, 1));
}

void TfrmLXAMain::actZoomInUpdate(TCommand &command) {
    command.setEnabled(m_reading->Look.ZoomPercent < std::end(display::kZoomLevels)[-1]);
}

void TfrmLXAMain::actZoomOutExecute() {
    SetZoom(display::SteppedZoom(m_reading->Look.ZoomPercent, -1));
}

void TfrmLXAMain::actZoomOutUpdate(TCommand &command) {
    command.setEnabled(m_reading->Look.ZoomPercent > std::begin(display::kZoomLevels)[0]);
}

void TfrmLXAMain::actZoomResetExecute() {
    SetZoom(display::kNormalZoom);
}

void TfrmLXAMain::actZoomResetUpdate(TCommand &command) {
    command.setEnabled(m_reading->Look.ZoomPercent != display::kNormalZoom);
}

void TfrmLXAMain::actDarkReadingExecute() {
    m_reading->DarkChoice = !m_reading->Look.Dark;
    WriteDarkReadingSetting(m_data.Paths.RegKey, *m_reading->DarkChoice);
    ApplyPageLook();
    UpdateReadingCommands();
}

void TfrmLXAMain::actDarkReadingUpdate(TCommand &command) {
    command.setChecked(m_reading->Look.Dark);
}

// The search history.

void TfrmLXAMain::RecordSearch(const QString &typed) {
    if (m_reading->Replaying)
        return;
    // Back and forward repeat the search as it was typed.
    m_reading->Trail.Record(
        {m_data.CurrentBook != nullptr ? m_data.CurrentBook->Name : std::string(),
         typed.toStdString(), 0});
    // The drop-down offers the word; blanks around it would only make it a second entry.
    m_reading->Recent.Add(typed.trimmed().toStdString());
    UpdateReadingCommands();
}

// The states that a search, a step through the history or a zoom change at once, so that
// their keys work before the next idle evaluation.
void TfrmLXAMain::UpdateReadingCommands() {
    for (const char *name :
         {"actHistoryBack", "actHistoryForward", "actSearchHistory", "actZoomIn", "actZoomOut",
          "actZoomReset", "actDarkReading", "actCopyArticle", "actPrint"})
        Command(name)->Update();
}

void TfrmLXAMain::ShowVisit(bool forward) {
    const TVisit *target = forward ? m_reading->Trail.Forward() : m_reading->Trail.Back();
    if (target == nullptr)
        return;
    const TVisit visit = *target;
    {
        const QScopedValueRollback<bool> replaying(m_reading->Replaying, true);
        if (m_data.CurrentBook == nullptr || m_data.CurrentBook->Name != visit.Book)
            SelectBookByName(visit.Book);
        SearchFor(QString::fromStdString(visit.Word));
    }
    m_viewer->ScrollToPosition(visit.Place);
    UpdateReadingCommands();
}

void TfrmLXAMain::actHistoryBackExecute() {
    ShowVisit(false);
}

void TfrmLXAMain::actHistoryBackUpdate(TCommand &command) {
    command.setEnabled(m_reading->Trail.CanGoBack());
}

void TfrmLXAMain::actHistoryForwardExecute() {
    ShowVisit(true);
}

void TfrmLXAMain::actHistoryForwardUpdate(TCommand &command) {
    command.setEnabled(m_reading->Trail.CanGoForward());
}

void TfrmLXAMain::actSearchHistoryExecute() {
    if (m_reading->Popup == nullptr) {
        m_reading->Popup = new THistoryPopup(edtSearchText);
        connect(m_reading->Popup, &THistoryPopup::WordChosen, this, &TfrmLXAMain::SearchFor);
    }
    m_reading->Popup->Open(m_reading->Recent.Words());
}

void TfrmLXAMain::actSearchHistoryUpdate(TCommand &command) {
    command.setEnabled(!m_reading->Recent.Words().empty());
}

// Keyboard.

void TfrmLXAMain::actFocusSearchExecute() {
    edtSearchText->setFocus(Qt::ShortcutFocusReason);
    edtSearchText->selectAll();
}

void TfrmLXAMain::actOpenMenuExecute() {
    QMenu *first = Menu("mniFile");
    if (first == nullptr)
        return;
    menuBar()->setActiveAction(first->menuAction());
    // Its first command is current, as when a menu opens by keyboard, so a screen reader
    // names it.
    for (QAction *action : first->actions())
        if (!action->isSeparator() && action->isVisible() && action->isEnabled()) {
            first->setActiveAction(action);
            break;
        }
}

void TfrmLXAMain::actClearSearchTextExecute() {
    // An open type-ahead list closes first, and the text stays; the field's shortcut can
    // see Escape before the list does where the list has no keyboard of its own.
    if (m_typeAhead != nullptr && m_typeAhead->IsOpen()) {
        HideTypeAhead();
        return;
    }
    edtSearchText->clear();
}

void TfrmLXAMain::actClearSearchTextUpdate(TCommand &command) {
    command.setEnabled(!edtSearchText->text().isEmpty());
}

TFindBar &TfrmLXAMain::OpenFindBar() {
    if (m_reading->FindBar == nullptr) {
        m_reading->FindBar = new TFindBar(m_viewer, centralWidget());
        FindInAllBooks(*m_reading->FindBar);
        centralWidget()->layout()->addWidget(m_reading->FindBar);
    }
    m_reading->FindBar->Open();
    return *m_reading->FindBar;
}

void TfrmLXAMain::actFindInPageExecute() {
    OpenFindBar();
}

void TfrmLXAMain::actFindNextExecute() {
    TFindBar *bar = m_reading->FindBar;
    if (bar == nullptr || bar->isHidden() || bar->Field()->text().isEmpty())
        OpenFindBar();
    else
        bar->FindNext(false);
}

void TfrmLXAMain::actFindPreviousExecute() {
    TFindBar *bar = m_reading->FindBar;
    if (bar == nullptr || bar->isHidden() || bar->Field()->text().isEmpty())
        OpenFindBar();
    else
        bar->FindNext(true);
}

// Copy and print.

void TfrmLXAMain::actPageShownUpdate(TCommand &command) {
    command.setEnabled(AllBooksShown() ? !AllBooksPage()->Displays().empty()
                                       : m_viewer != nullptr && m_viewer->HasPage());
}

void TfrmLXAMain::actCopyArticleExecute() {
    if (!AllBooksShown()) {
        m_viewer->CopyPage();
    } else if (const std::unique_ptr<QTextDocument> page = AllBooksPrintable()) {
        display::CopyDocument(*page);
    } else {
        return;
    }
    stbMain->showMessage(QStringLiteral("Het artikel staat op het klembord."), kMessageMs);
}

void TfrmLXAMain::actPrintExecute() {
    const std::unique_ptr<QTextDocument> page =
        AllBooksShown() ? AllBooksPrintable() : m_viewer->PrintablePage();
    if (!page)
        return;
    if (!m_reading->Printer)
        m_reading->Printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter &printer = *m_reading->Printer;
    if (const TVisit *shown = m_reading->Trail.Current())
        printer.setDocName(QString::fromStdString(shown->Word));
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("dlgPrint"));
    dialog.setWindowTitle(QStringLiteral("Artikel afdrukken"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    TWaitCursor hourglass;
    page->print(&printer);
}

}  // namespace ui
