#include "viewer/ui/LookupPopup.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include "platform/shell.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/finder/AllBooks.h"
#include "viewer/ui/AllBooksPage.h"

namespace ui {

namespace {

// The popup's size on a screen of normal density: room for a short entry.
constexpr QSize kPopupSize(440, 300);
// How far from the pointer the popup's corner stands, so the pointer does not cover it.
constexpr int kPointerGap = 12;

QToolButton *Button(QWidget *parent, const char *name, const QString &text, const QString &tip) {
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(tip);
    button->setAccessibleName(text);
    button->setAccessibleDescription(tip);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoRaise(true);
    return button;
}

// What an answer says, in short: two answers that say the same have the same summary.
std::string Summary(const TLookupPage &page) {
    std::string summary = page.Status.toStdString() + '\x1f' + page.Page + '\x1f' + page.Note;
    for (const auto &answer : page.Answers)
        summary += '\x1f' + std::to_string(answer->Place) + ' ' +
                   std::to_string(static_cast<int>(answer->Rank)) + ' ' +
                   std::to_string(answer->Count()) + ' ' + answer->BaseForm;
    return summary;
}

}  // namespace

QPoint PopupPlace(std::optional<QPoint> pointer, QSize size, const QRect &screen) {
    size = size.boundedTo(screen.size());
    if (!pointer)
        return screen.topLeft() +
               QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2);
    int x = pointer->x() + kPointerGap;
    int y = pointer->y() + kPointerGap;
    // Where the screen ends on the right or below, the popup goes to the pointer's other side.
    if (x + size.width() > screen.right() + 1)
        x = pointer->x() - kPointerGap - size.width();
    if (y + size.height() > screen.bottom() + 1)
        y = pointer->y() - kPointerGap - size.height();
    x = std::clamp(x, screen.left(), screen.right() + 1 - size.width());
    y = std::clamp(y, screen.top(), screen.bottom() + 1 - size.height());
    return {x, y};
}

TLookupPopup::TLookupPopup(TLookup lookup, TLook look, const QString &imageFolder)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_lookup(std::move(lookup)),
      m_look(std::move(look)) {
    setObjectName(QStringLiteral("frmLookupPopup"));
    setWindowTitle(QStringLiteral("Opzoeken"));
    setAccessibleName(QStringLiteral("Opzoeken"));
    // Shown, it leaves the keyboard where it was; only the user's click moves it here.
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(kPopupSize);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    CreateTopLine();
    m_viewer = new display::THtmlViewer(this);
    m_viewer->setObjectName(QStringLiteral("vwrLookup"));
    m_viewer->setAccessibleName(QStringLiteral("Gevonden artikelen"));
    m_viewer->SetImageFolder(imageFolder);
    m_viewer->SetLinkOpener(
        [](const QUrl &link) { platform::ShellOpen(link.toString().toStdString(), ""); });
    // zoek: links and double-clicked words are looked up here, as the correction is.
    m_viewer->SetWordSearcher([this](const QString &word) { Answer(word); });
    layout->addWidget(m_viewer, 1);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblLookupStatus"));
    layout->addWidget(m_status);
    // Ctrl+D keeps the top entry, as in the main window.
    auto *star = new QShortcut(QKeySequence(QStringLiteral("Ctrl+D")), this);
    connect(star, &QShortcut::activated, this, &TLookupPopup::StarTop);
    // Without the window manager's frame, a line of the palette's own marks the edge.
    setStyleSheet(QStringLiteral("#frmLookupPopup { border: 1px solid palette(mid); }"));
}

TLookupPopup::~TLookupPopup() {
    TakeClicksOutside(false);
}

void TLookupPopup::CreateTopLine() {
    auto *line = new QHBoxLayout;
    line->setSpacing(2);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("edtLookupWord"));
    m_field->setAccessibleName(QStringLiteral("Zoekwoord"));
    m_field->setMaxLength(256);
    m_field->setClearButtonEnabled(true);
    // Qt's clear button carries no name of its own; a screen reader would say only "button".
    for (QToolButton *clear : m_field->findChildren<QToolButton *>())
        clear->setAccessibleName(QStringLiteral("Zoekwoord wissen"));
    connect(m_field, &QLineEdit::returnPressed, this, [this] { Answer(m_field->text()); });
    line->addWidget(m_field, 1);
    m_pin = Button(this, "btnLookupPin", QStringLiteral("Vastzetten"),
                   QStringLiteral("Houd dit venster open"));
    m_pin->setCheckable(true);
    connect(m_pin, &QToolButton::toggled, this,
            [this](bool pinned) { TakeClicksOutside(!pinned); });
    line->addWidget(m_pin);
    m_open = Button(this, "btnLookupOpenMain", QStringLiteral("Openen in het hoofdvenster"),
                    QStringLiteral("Zoek dit woord in het hoofdvenster"));
    connect(m_open, &QToolButton::clicked, this, [this] {
        const QString word = m_field->text();
        Dismiss();
        emit OpenInMainWindow(word);
    });
    line->addWidget(m_open);
    m_close = Button(this, "btnLookupClose", QStringLiteral("Sluiten"),
                     QStringLiteral("Sluit dit venster (Escape)"));
    connect(m_close, &QToolButton::clicked, this, &TLookupPopup::Dismiss);
    line->addWidget(m_close);
    static_cast<QVBoxLayout *>(layout())->addLayout(line);
}

QString TLookupPopup::Word() const {
    return m_field->text();
}

QString TLookupPopup::Status() const {
    return m_status->text();
}

display::THtmlViewer *TLookupPopup::TopDisplay() const {
    if (m_allBooks != nullptr && !m_allBooks->isHidden())
        return m_allBooks->CurrentDisplay();
    return m_viewer->HasPage() && m_entries.Results != nullptr ? m_viewer : nullptr;
}

TShownEntries TLookupPopup::Entries() const {
    return TShownEntries{m_entries.Book, m_entries.Results.get(), m_entries.Typed};
}

void TLookupPopup::Say(const QString &text) {
    m_status->setText(text);
}

bool TLookupPopup::Pinned() const {
    return m_pin->isChecked();
}

void TLookupPopup::ShowWord(const QString &word) {
    if (!isVisible() || !Pinned())
        Place();
    // Shown before it answers: a page lays itself out by the size it is shown at, and
    // nothing is painted before this returns to the event loop.
    show();
    raise();
    Answer(word);
    TakeClicksOutside(!Pinned());
}

void TLookupPopup::ShowMessage(const QString &text) {
    if (!isVisible() || !Pinned())
        Place();
    m_field->clear();
    m_shown.clear();
    m_summary.clear();
    m_entries = TLookupPage();
    if (m_allBooks != nullptr) {
        m_allBooks->hide();
        m_allBooks->Clear();
    }
    m_viewer->show();
    m_viewer->ClearDocument();
    m_status->setText(text);
    show();
    raise();
    TakeClicksOutside(!Pinned());
    emit Answered(QString(), text);
}

void TLookupPopup::Answer(const QString &word) {
    m_field->setText(word);
    m_shown = word;
    TLookupPage page;
    RunGuarded([&] { page = m_lookup(word); });
    Show(page);
    emit Answered(word, page.Status);
}

void TLookupPopup::Refresh() {
    if (!isVisible() || m_shown.isEmpty())
        return;
    TLookupPage page;
    RunGuarded([&] { page = m_lookup(m_shown); });
    if (Summary(page) != m_summary)
        Show(page);
}

void TLookupPopup::Show(const TLookupPage &page) {
    m_summary = Summary(page);
    // Before the page is loaded: its stars are drawn from these.
    m_entries = TLookupPage();
    m_entries.Book = page.Book;
    m_entries.Results = page.Results;
    m_entries.Typed = page.Typed;
    const display::TPageLook look = m_look();
    if (page.Choice && m_allBooks == nullptr && m_makeAllBooks) {
        m_allBooks = m_makeAllBooks(this);
        m_allBooks->setObjectName(QStringLiteral("pagLookupAllBooks"));
        m_allBooks->setAccessibleName(QStringLiteral("Gevonden artikelen"));
        m_allBooks->SetWordSearcher([this](const QString &word) { Answer(word); });
        m_unfolded = m_allBooks->Unfolded();
        static_cast<QVBoxLayout *>(layout())->insertWidget(layout()->indexOf(m_viewer) + 1,
                                                           m_allBooks, 1);
        setTabOrder(m_viewer, m_allBooks);
    }
    if (page.Choice && m_allBooks != nullptr) {
        m_viewer->hide();
        m_viewer->ClearDocument();
        // Laid out first: the page folds a block that is longer than its own height.
        m_allBooks->show();
        layout()->activate();
        m_allBooks->SetLook(look);
        m_allBooks->Clear();
        // A popup is small: long blocks fold as on the window's page, but the best one
        // stays open, or the popup would show headers only.
        std::set<std::string> unfolded = m_unfolded;
        if (!page.Answers.empty() && page.Answers.front()->Book != nullptr)
            unfolded.insert(page.Answers.front()->Book->Name);
        m_allBooks->SetUnfolded(std::move(unfolded));
        for (const auto &answer : page.Answers)
            m_allBooks->Add(answer);
        m_allBooks->ShowNote(page.Note);
    } else {
        if (m_allBooks != nullptr) {
            m_allBooks->hide();
            m_allBooks->Clear();
        }
        m_viewer->show();
        m_viewer->SetLook(look);
        if (page.Page.empty())
            m_viewer->ClearDocument();
        else
            m_viewer->LoadDocument(page.Page.data(), page.Page.size());
    }
    m_status->setText(page.Status);
}

void TLookupPopup::Place() {
    // Where the system tells no pointer position (Wayland), the screen's middle.
    const bool pointerKnown = QGuiApplication::platformName() != QLatin1String("wayland");
    const QPoint pointer = QCursor::pos();
    QScreen *screen = pointerKnown ? QGuiApplication::screenAt(pointer) : nullptr;
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    resize(kPopupSize.boundedTo(area.size()));
    move(PopupPlace(pointerKnown ? std::optional(pointer) : std::nullopt, size(), area));
}

void TLookupPopup::Dismiss() {
    hide();
}

void TLookupPopup::TakeClicksOutside(bool take) {
    // A click elsewhere must reach the popup to close it, yet the keyboard stays with the
    // program the user was in: the pointer alone is grabbed, and clicks inside still go to
    // the popup's controls. The popup's first click makes it the active window.
    take = take && isVisible();
    if (take == m_takingClicks)
        return;
    m_takingClicks = take;
    if (QWindow *window = windowHandle())
        window->setMouseGrabEnabled(take);
    if (take)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool TLookupPopup::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == this && !isActiveWindow()) {
        // The user turns to the popup: from now on it has the keyboard, and leaving it
        // (another window becoming active) closes it.
        TakeClicksOutside(false);
        activateWindow();
    }
    return QWidget::eventFilter(watched, event);
}

void TLookupPopup::keyPressEvent(QKeyEvent *event) {
    // Escape reaches here from every control that does not use it itself.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TLookupPopup::mousePressEvent(QMouseEvent *event) {
    // With the pointer grabbed, a click outside arrives here, outside the popup's area.
    if (!rect().contains(event->position().toPoint()) && !Pinned()) {
        Dismiss();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TLookupPopup::changeEvent(QEvent *event) {
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            m_wasActive = true;
        else if (m_wasActive && !Pinned() && isVisible())
            Dismiss();
    }
    QWidget::changeEvent(event);
}

void TLookupPopup::hideEvent(QHideEvent *event) {
    m_wasActive = false;
    TakeClicksOutside(false);
    QWidget::hideEvent(event);
}

}  // namespace ui
