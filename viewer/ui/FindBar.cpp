#include "FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTextEdit>
#include <QToolButton>
#include <algorithm>

#include "viewer/ui/LiveStatus.h"

namespace ui {

namespace {

// More marks than this cost time on every keystroke and tell the reader nothing more.
constexpr int kMaxMarks = 1000;

QToolButton *BarButton(QWidget *parent, const char *name, const QString &text, const QString &tip) {
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    button->setAccessibleName(text.isEmpty() ? tip : text);
    button->setAccessibleDescription(tip);
    return button;
}

}  // namespace

TFindBar::TFindBar(QTextEdit *page, QWidget *parent)
    : QWidget(parent), m_page(page), m_field(new QLineEdit(this)), m_result(new QLabel(this)) {
    setObjectName(QStringLiteral("pnlFind"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);
    auto *label = new QLabel(QStringLiteral("&Zoeken in artikel:"), this);
    label->setBuddy(m_field);
    m_field->setObjectName(QStringLiteral("edtFindText"));
    m_field->setClearButtonEnabled(true);
    m_field->setAccessibleName(QStringLiteral("Zoeken in artikel"));
    m_result->setObjectName(QStringLiteral("lblFindResult"));
    // A miss is said while the focus stays in the field.
    m_spoken = new TLiveStatus(m_result);
    auto *previous = BarButton(this, "btnFindPrevious", QStringLiteral("Vorige"),
                               QStringLiteral("Vorige overeenkomst (Shift+F3)"));
    auto *next = BarButton(this, "btnFindNext", QStringLiteral("Volgende"),
                           QStringLiteral("Volgende overeenkomst (F3)"));
    auto *close = BarButton(this, "btnFindClose", QString(), QStringLiteral("Zoekbalk sluiten"));
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    row->addWidget(label);
    row->addWidget(m_field, 1);
    row->addWidget(previous);
    row->addWidget(next);
    row->addWidget(m_result);
    row->addWidget(close);
    connect(m_field, &QLineEdit::textEdited, this, &TFindBar::TextEdited);
    connect(previous, &QToolButton::clicked, this, [this] { FindNext(true); });
    connect(next, &QToolButton::clicked, this, [this] { FindNext(false); });
    connect(close, &QToolButton::clicked, this, &TFindBar::Close);
    // A new page gets the marks of the text looked for.
    connect(m_page, &QTextEdit::textChanged, this, [this] {
        if (isVisible())
            MarkMatches();
    });
    m_field->installEventFilter(this);
    hide();
}

void TFindBar::SetPages(TPages pages, std::function<void(QTextEdit *)> reveal) {
    m_pages = std::move(pages);
    m_reveal = std::move(reveal);
}

std::vector<QTextEdit *> TFindBar::Pages() const {
    return m_pages ? m_pages() : std::vector<QTextEdit *>{m_page};
}

QTextEdit *TFindBar::CurrentPage(const std::vector<QTextEdit *> &pages) const {
    if (pages.empty())
        return nullptr;
    const auto current = std::find(pages.begin(), pages.end(), m_current);
    return current != pages.end() ? *current : pages.front();
}

void TFindBar::Refresh() {
    if (isVisible())
        MarkMatches();
}

void TFindBar::Open() {
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
    MarkMatches();
}

void TFindBar::Close() {
    hide();
    const std::vector<QTextEdit *> pages = Pages();
    for (QTextEdit *page : pages)
        page->setExtraSelections({});
    if (QTextEdit *page = CurrentPage(pages))
        page->setFocus(Qt::OtherFocusReason);
}

bool TFindBar::FindNext(bool backward) {
    const QString text = m_field->text();
    const std::vector<QTextEdit *> pages = Pages();
    QTextEdit *page = CurrentPage(pages);
    if (text.isEmpty() || page == nullptr) {
        ShowFound(text.isEmpty());
        return false;
    }
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = page->find(text, flags);
    // Past the end of a page to the next one, and round the last to the first (with one
    // page: round its end to its other end).
    const std::size_t count = pages.size();
    std::size_t at = std::size_t(std::find(pages.begin(), pages.end(), page) - pages.begin());
    for (std::size_t step = 0; !found && step < count; ++step) {
        at = backward ? (at + count - 1) % count : (at + 1) % count;
        QTextCursor none = page->textCursor();
        none.clearSelection();
        page->setTextCursor(none);
        page = pages[at];
        QTextCursor from = page->textCursor();
        from.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        page->setTextCursor(from);
        found = page->find(text, flags);
    }
    m_current = page;
    if (found && m_reveal)
        m_reveal(page);
    ShowFound(found);
    return found;
}

void TFindBar::TextEdited() {
    // Typing more keeps the match where it is when it still matches.
    if (QTextEdit *page = CurrentPage(Pages())) {
        QTextCursor at = page->textCursor();
        at.setPosition(at.selectionStart());
        page->setTextCursor(at);
    }
    MarkMatches();
    FindNext(false);
}

void TFindBar::MarkMatches() {
    const QString text = m_field->text();
    m_matches = 0;
    for (QTextEdit *page : Pages()) {
        QList<QTextEdit::ExtraSelection> marks;
        if (!text.isEmpty()) {
            // A mark that shows on the page's own background, light or dark.
            const bool darkPage = page->palette().color(QPalette::Base).lightness() < 128;
            QTextCharFormat look;
            look.setBackground(darkPage ? QColor(96, 80, 0) : QColor(255, 236, 128));
            for (QTextCursor match = page->document()->find(text);
                 !match.isNull() && m_matches + marks.size() < kMaxMarks;
                 match = page->document()->find(text, match))
                marks.append({match, look});
        }
        m_matches += int(marks.size());
        page->setExtraSelections(marks);
    }
}

void TFindBar::ShowFound(bool found) {
    // Said when the text stops being found, not again on every letter typed after.
    const QString result = found ? QString() : QStringLiteral("Niet gevonden");
    if (result != m_result->text())
        m_spoken->Announce(result);
    QPalette colours = m_field->palette();
    colours.setColor(QPalette::Base,
                     found ? palette().color(QPalette::Base) : QColor(255, 214, 214));
    colours.setColor(QPalette::Text, found ? palette().color(QPalette::Text) : QColor(0, 0, 0));
    m_field->setPalette(colours);
}

bool TFindBar::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            FindNext(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ui
