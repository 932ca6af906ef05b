#include "HtmlViewer.h"

#include <QAbstractTextDocumentLayout>
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
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "platform/cp1252.h"
#include "viewer/core/BookText.h"
#include "viewer/display/PageBounds.h"

namespace display {

namespace {

// The display's colours: a white page with black text and blue links, or the dark page.
QColor LinkColour(const TPageLook &look) {
    return look.Dark ? DarkLink() : QColor(0, 0, 255);
}

// The page's margins, and the indent of its lists (the toolkit's 40 pixels), at the zoom.
void ApplyPageMargins(QTextDocument &document, double zoom) {
    document.setDocumentMargin(0);
    document.setIndentWidth(40 * zoom);
    QTextFrameFormat page = document.rootFrame()->frameFormat();
    page.setLeftMargin(10 * zoom);
    page.setRightMargin(10 * zoom);
    page.setTopMargin(5 * zoom);
    page.setBottomMargin(5 * zoom);
    document.rootFrame()->setFrameFormat(page);
}

// A dark background for a light one that the page fixed, dark enough for its text to read
// on it as on the page: a saturated colour is brighter than its lightness says.
QColor ReadableSurface(const QColor &background, const QColor &text) {
    QColor surface = DarkSurface(background);
    while (ContrastRatio(text, surface) < kDarkTextContrast && surface.lightnessF() > 0.0f) {
        const QColor hsl = surface.toHsl();
        surface = QColor::fromHslF(hsl.hslHueF() < 0 ? 0.0f : hsl.hslHueF(), hsl.hslSaturationF(),
                                   std::max(0.0f, hsl.lightnessF() - 0.02f))
                      .toRgb();
    }
    return surface;
}

// The HTML import colours links with the application's palette, which a desktop theme may
// change: links without a colour of the page's own take the display's link colour. On a dark
// page, text whose colours the page fixed in its markup rather than its stylesheet (which
// the dark layer covers), as a book's Pango spans do, is made readable as well: its
// background goes dark, its colour light.
void ApplyPageColours(QTextDocument &document, const TPageLook &look) {
    const QColor themed = QGuiApplication::palette().color(QPalette::Link);
    const QColor link = LinkColour(look);
    if (themed == link && !look.Dark)
        return;
    std::vector<std::pair<QTextCursor, QTextCharFormat>> changes;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const QColor colour = format.foreground().color();
            QTextCharFormat recoloured;
            QColor wanted;
            if (format.isAnchor() && !format.anchorHref().isEmpty() && colour == themed)
                wanted = link;
            else if (look.Dark && format.foreground().style() != Qt::NoBrush &&
                     ContrastRatio(colour, DarkBackground()) < kDarkTextContrast)
                wanted = DarkVariant(colour, DarkBackground(), kDarkTextContrast);
            if (wanted.isValid() && wanted != colour)
                recoloured.setForeground(wanted);
            if (look.Dark && format.background().style() != Qt::NoBrush) {
                const QColor text = wanted.isValid()                             ? wanted
                                    : format.foreground().style() != Qt::NoBrush ? colour
                                                                                 : DarkText();
                const QColor surface = ReadableSurface(format.background().color(), text);
                if (surface != format.background().color())
                    recoloured.setBackground(surface);
            }
            if (recoloured.properties().isEmpty())
                continue;
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            changes.emplace_back(cursor, recoloured);
        }
    }
    for (auto &[cursor, recoloured] : changes)
        cursor.mergeCharFormat(recoloured);
}

QFont PageFont(double zoom) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(10 * zoom);
    return font;
}

const char *const kPageDefaults = "pre { font-family: \"Courier New\"; }";

// A page document of its own, for printing and copying: it reads the same files as the
// display and shows them in the book's own look.
class TPageDocument : public QTextDocument {
  public:
    explicit TPageDocument(QString imageFolder) : m_imageFolder(std::move(imageFolder)) {}

  protected:
    QVariant loadResource(int type, const QUrl &name) override {
        const QString path = ResolvePageReference(name, m_imageFolder);
        if (type == QTextDocument::StyleSheetResource)
            return ReadStyleSheet(path);
        if (type == QTextDocument::ImageResource && !path.isEmpty()) {
            const QImage image(path);
            return image.isNull() ? QVariant() : QVariant(image);
        }
        return {};
    }

  private:
    QString m_imageFolder;
};

}  // namespace

THtmlViewer::THtmlViewer(QWidget *parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("FOHtmlViewer"));
    ApplyLookToWidget();
    document()->setDefaultStyleSheet(QLatin1String(kPageDefaults));
    // Links never navigate the display away from the result page.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    // A caret the arrow keys move, so that the page can be read by keyboard (and a screen
    // reader follows it); Tab steps from link to link, and Enter follows the link.
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    m_openLink = [](const QUrl &link) { QDesktopServices::openUrl(link); };
    connect(this, &QTextBrowser::anchorClicked, this, &THtmlViewer::OpenClickedLink);
    ApplyPageMargins();
}

void THtmlViewer::ApplyLookToWidget() {
    QPalette colours = QGuiApplication::palette();
    if (m_look.Dark) {
        // The scroll bars go dark with the page.
        for (const auto role : {QPalette::Window, QPalette::Button})
            colours.setColor(role, DarkBackground().lighter(140));
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText})
            colours.setColor(role, DarkText());
    }
    colours.setColor(QPalette::Base, m_look.Dark ? DarkBackground() : QColor(255, 255, 255));
    colours.setColor(QPalette::Text, m_look.Dark ? DarkText() : QColor(0, 0, 0));
    colours.setColor(QPalette::Link, LinkColour(m_look));
    colours.setColor(QPalette::LinkVisited, m_look.Dark ? DarkLink() : QColor(128, 0, 128));
    setPalette(colours);
    setFont(PageFont(m_look.ZoomFactor()));
}

void THtmlViewer::ApplyPageMargins() {
    display::ApplyPageMargins(*document(), m_look.ZoomFactor());
}

void THtmlViewer::ApplyLinkColour() {
    ApplyPageColours(*document(), m_look);
}

void THtmlViewer::SetLook(const TPageLook &look) {
    if (look == m_look)
        return;
    // The text at the top of the view stays there.
    const int top = m_page.isEmpty() ? 0 : TopPosition();
    m_look = look;
    ApplyLookToWidget();
    if (m_page.isEmpty()) {
        ApplyPageMargins();
        return;
    }
    Render();
    ScrollToPosition(top);
}

void THtmlViewer::ScrollToPosition(int position) {
    document()->documentLayout()->documentSize();  // lays the whole page out for the range
    QTextCursor at(document());
    at.setPosition(std::clamp(position, 0, document()->characterCount() - 1));
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->value() + cursorRect(at).top());
}

int THtmlViewer::TopPosition() const {
    return cursorForPosition(QPoint(0, 0)).position();
}

std::unique_ptr<QTextDocument> THtmlViewer::PrintablePage() const {
    if (m_page.isEmpty())
        return nullptr;
    auto page = std::make_unique<TPageDocument>(m_imageFolder);
    page->setDefaultFont(PageFont(1.0));
    page->setDefaultStyleSheet(QLatin1String(kPageDefaults));
    page->setHtml(m_page);
    display::ApplyPageMargins(*page, 1.0);
    ApplyPageColours(*page, TPageLook{});
    return page;
}

void THtmlViewer::CopyPage() const {
    if (const std::unique_ptr<QTextDocument> page = PrintablePage())
        CopyDocument(*page);
}

void CopyDocument(const QTextDocument &document) {
    auto *mime = new QMimeData;
    mime->setText(document.toPlainText());
    mime->setHtml(document.toHtml());
    QGuiApplication::clipboard()->setMimeData(mime);
}

std::unique_ptr<QTextDocument> JoinedPrintablePage(
    const std::vector<std::pair<QString, const THtmlViewer *>> &parts) {
    std::unique_ptr<QTextDocument> joined;
    QTextCursor end;
    for (const auto &[title, viewer] : parts) {
        const std::unique_ptr<QTextDocument> page = viewer->PrintablePage();
        if (!page)
            continue;
        if (!joined) {
            // Pictures are read from the first display's folder: the books share one.
            joined = std::make_unique<TPageDocument>(viewer->ImageFolder());
            joined->setDefaultFont(PageFont(1.0));
            joined->setDefaultStyleSheet(QLatin1String(kPageDefaults));
            display::ApplyPageMargins(*joined, 1.0);
            end = QTextCursor(joined.get());
        } else {
            end.insertBlock(QTextBlockFormat(), QTextCharFormat());
        }
        QTextCharFormat heading;
        heading.setFontWeight(QFont::Bold);
        end.insertText(title, heading);
        end.insertBlock(QTextBlockFormat(), QTextCharFormat());
        end.insertFragment(QTextDocumentFragment(page.get()));
    }
    return joined;
}

void THtmlViewer::wheelEvent(QWheelEvent *event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        m_wheelAngle = 0;
        QTextBrowser::wheelEvent(event);
        return;
    }
    // A notch is 120; finer wheels and touch pads add up to whole steps.
    m_wheelAngle += event->angleDelta().y();
    const int steps = m_wheelAngle / 120;
    m_wheelAngle -= steps * 120;
    if (steps != 0)
        emit ZoomStepRequested(steps);
    event->accept();
}

void THtmlViewer::ClearDocument() {
    m_page.clear();
    clear();
    ApplyPageMargins();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void THtmlViewer::LoadDocument(const char *text, std::size_t length) {
    // A page beyond what the browser lays out within a second is flattened or cut first.
    m_page = text != nullptr ? QString::fromStdString(
                                   booktext::PageToUtf8(BoundPage(std::string_view(text, length))))
                             : QString();
    Render();
    moveCursor(QTextCursor::Start);
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void THtmlViewer::Redecorate() {
    if (m_page.isEmpty())
        return;
    // The decoration keeps its length: the caret (on the link just followed, for one who
    // reads by keyboard) stays where it was, and Tab goes on from there.
    const int top = TopPosition();
    const QTextCursor before = textCursor();
    const int anchor = before.anchor(), position = before.position();
    Render();
    QTextCursor after(document());
    const int last = document()->characterCount() - 1;
    after.setPosition(std::clamp(anchor, 0, last));
    after.setPosition(std::clamp(position, 0, last), QTextCursor::KeepAnchor);
    setTextCursor(after);
    ScrollToPosition(top);
}

void THtmlViewer::Render() {
    setHtml(m_decorate ? m_decorate(m_page) : m_page);
    ApplyPageMargins();
    ApplyLinkColour();
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
        case QTextDocument::StyleSheetResource: {
            const QVariant sheet = ReadStyleSheet(ResolvePageReference(name, m_imageFolder));
            if (sheet.isNull() || m_look == TPageLook{})
                return sheet;
            return StyleSheetWithLook(sheet.toString(), m_look);
        }
        case QTextDocument::ImageResource:
            return m_images.Load(ResolvePageReference(name, m_imageFolder));
        default:
            return {};
    }
}

void THtmlViewer::OpenClickedLink(const QUrl &link) {
    const QString scheme = link.scheme().toLower();
    if (!m_decorationScheme.isEmpty() && scheme == m_decorationScheme) {
        if (m_openDecoration)
            QMetaObject::invokeMethod(
                this, [this, link] { m_openDecoration(link); }, Qt::QueuedConnection);
        return;
    }
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
