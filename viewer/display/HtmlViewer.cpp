#include "HtmlViewer.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/cp1252.h"

namespace display {

namespace {
const QColor kLinkColour(0, 0, 255);
}  // namespace

THtmlViewer::THtmlViewer(QWidget *parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("FOHtmlViewer"));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor(255, 255, 255));
    colours.setColor(QPalette::Text, QColor(0, 0, 0));
    colours.setColor(QPalette::Link, kLinkColour);
    colours.setColor(QPalette::LinkVisited, QColor(128, 0, 128));
    setPalette(colours);
    setFont(QFont(QStringLiteral("Arial"), 10));
    document()->setDefaultStyleSheet(QStringLiteral("pre { font-family: \"Courier New\"; }"));
    // Links never navigate the display away from the result page.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    m_openLink = [](const QUrl &link) { QDesktopServices::openUrl(link); };
    connect(this, &QTextBrowser::anchorClicked, this, &THtmlViewer::OpenClickedLink);
    ApplyPageMargins();
}

void THtmlViewer::ApplyPageMargins() {
    document()->setDocumentMargin(0);
    QTextFrameFormat page = document()->rootFrame()->frameFormat();
    page.setLeftMargin(10);
    page.setRightMargin(10);
    page.setTopMargin(5);
    page.setBottomMargin(5);
    document()->rootFrame()->setFrameFormat(page);
}

void THtmlViewer::ClearDocument() {
    clear();
    ApplyPageMargins();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void THtmlViewer::LoadDocument(const char *text, std::size_t length) {
    const QString page =
        text != nullptr
            ? QString::fromStdString(platform::Cp1252ToUtf8(std::string_view(text, length)))
            : QString();
    setHtml(page);
    ApplyPageMargins();
    ApplyLinkColour();
    moveCursor(QTextCursor::Start);
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void THtmlViewer::ApplyLinkColour() {
    // The HTML import colours links with the application's palette, which a desktop theme
    // may change; links without a colour of the page's own take the display's blue.
    const QColor themed = QGuiApplication::palette().color(QPalette::Link);
    if (themed == kLinkColour)
        return;
    std::vector<std::pair<int, int>> links;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isAnchor() && !format.anchorHref().isEmpty() &&
                format.foreground().color() == themed)
                links.emplace_back(fragment.position(), fragment.length());
        }
    }
    QTextCharFormat blue;
    blue.setForeground(kLinkColour);
    QTextCursor cursor(document());
    for (const auto &[position, length] : links) {
        cursor.setPosition(position);
        cursor.setPosition(position + length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(blue);
    }
}

QString THtmlViewer::SelectedText() const {
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return {};
    QString text = cursor.selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void THtmlViewer::CopySelection() {
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return;
    QGuiApplication::clipboard()->setText(cursor.selection().toPlainText());
}

QMimeData *THtmlViewer::createMimeDataFromSelection() const {
    // The display's own copy gives plain text only, like the copy command.
    auto *mime = new QMimeData;
    mime->setText(textCursor().selection().toPlainText());
    return mime;
}

bool THtmlViewer::event(QEvent *event) {
    if (m_copyByCommand && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        event->ignore();
        return true;
    }
    return QTextBrowser::event(event);
}

QVariant THtmlViewer::loadResource(int type, const QUrl &name) {
    switch (type) {
        case QTextDocument::StyleSheetResource:
            return ReadStyleSheet(ResolvePageReference(name, m_imageFolder));
        case QTextDocument::ImageResource:
            return m_images.Load(ResolvePageReference(name, m_imageFolder));
        default:
            return {};
    }
}

void THtmlViewer::OpenClickedLink(const QUrl &link) {
    const QString scheme = link.scheme().toLower();
    if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) && m_openLink)
        m_openLink(link);
    // zoek:WORD searches WORD (UTF-8, percent-encoded) instead of leaving the page.
    if (scheme == QLatin1String("zoek"))
        SearchWordLater(link.path(QUrl::FullyDecoded).trimmed());
}

void THtmlViewer::SearchWordLater(const QString &word) {
    // After the click's own handling: the search replaces the page that is handling it.
    if (!word.isEmpty() && m_searchWord)
        QMetaObject::invokeMethod(
            this, [this, word] { m_searchWord(word); }, Qt::QueuedConnection);
}

void THtmlViewer::mouseDoubleClickEvent(QMouseEvent *event) {
    // The browser selects the word under the pointer; that word is then searched.
    QTextBrowser::mouseDoubleClickEvent(event);
    if (!m_searchWord)
        return;
    QString word = textCursor().selectedText();
    // The selection may take a quote or a stop with it; only letters make a search.
    while (!word.isEmpty() && !word.front().isLetterOrNumber())
        word.remove(0, 1);
    while (!word.isEmpty() && !word.back().isLetterOrNumber())
        word.chop(1);
    if (std::any_of(word.begin(), word.end(), [](QChar c) { return c.isLetter(); }))
        SearchWordLater(word);
}

}  // namespace display
