#include "AllBooksPage.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "viewer/core/LXA_Books.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/finder/AllBooks.h"
#include "viewer/ui/BlockHeader.h"

namespace ui {

struct TAllBooksPage::TBlock {
    std::vector<std::shared_ptr<const TBookAnswer>> Answers;  // ranked; the first leads
    // The answer whose page the display shows: the first to arrive, which one ranked
    // higher may have joined since.
    std::shared_ptr<const TBookAnswer> Shown;
    QWidget *Frame = nullptr;
    TBlockHeader *Header = nullptr;
    QWidget *Content = nullptr;              // the display, or a failed book's notice
    display::THtmlViewer *Viewer = nullptr;  // null for a notice
    bool Touched = false;                    // the user folded or unfolded it
    // The height its text is estimated to take before any layout (0 for a notice): a page
    // far longer than a screen is never laid out whole on its arrival.
    int Estimate = 0;
};

namespace {

bool IsBlockKey(const QKeyEvent &key) {
    return key.modifiers() == Qt::AltModifier &&
           (key.key() == Qt::Key_Up || key.key() == Qt::Key_Down);
}

}  // namespace

TAllBooksPage::TAllBooksPage(TPicture picture, QWidget *parent)
    : QScrollArea(parent), m_picture(std::move(picture)), m_content(new QWidget) {
    setObjectName(QStringLiteral("pnlAllBooks"));
    setAccessibleName(QStringLiteral("Artikelen uit alle woordenboeken"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::NoFocus);
    m_content->setObjectName(QStringLiteral("pnlAllBooksBlocks"));
    m_content->setAutoFillBackground(true);
    m_column = new QVBoxLayout(m_content);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
    m_column->addStretch(1);
    setWidget(m_content);
    SetLook(m_look);
}

TAllBooksPage::~TAllBooksPage() = default;

void TAllBooksPage::SetImageFolder(const QString &folder) {
    m_imageFolder = folder;
}

void TAllBooksPage::SetWordSearcher(std::function<void(const QString &)> searcher) {
    m_searchWord = std::move(searcher);
}

void TAllBooksPage::SetLinkOpener(std::function<void(const QUrl &)> opener) {
    m_openLink = std::move(opener);
}

void TAllBooksPage::SetLook(const display::TPageLook &look) {
    m_look = look;
    QPalette colours = m_content->palette();
    const QColor base = look.Dark ? display::DarkBackground() : QColor(255, 255, 255);
    const QColor text = look.Dark ? display::DarkText() : QColor(0, 0, 0);
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        colours.setColor(role, base);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        colours.setColor(role, text);
    m_content->setPalette(colours);
    for (const auto &block : m_blocks) {
        block->Header->SetDark(look.Dark);
        if (block->Viewer != nullptr)
            block->Viewer->SetLook(look);
    }
    if (m_note != nullptr)
        m_note->SetLook(look);
    FitAll();
}

display::THtmlViewer *TAllBooksPage::MakeDisplay(QWidget *parent) {
    auto *viewer = new display::THtmlViewer(parent);
    viewer->setObjectName(QStringLiteral("FOBlockViewer"));
    viewer->setAccessibleName(QStringLiteral("Artikel"));
    // The page scrolls, never the block: it is as high as its text.
    viewer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewer->setFrameShape(QFrame::NoFrame);
    viewer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    viewer->SetImageFolder(m_imageFolder);
    viewer->SetCopyByCommand(true);
    if (m_openLink)
        viewer->SetLinkOpener(m_openLink);
    if (m_searchWord)
        viewer->SetWordSearcher(m_searchWord);
    viewer->SetLook(m_look);
    connect(
        viewer->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged,
        viewer, [this, viewer] {
            // The toolkit lays a long page out a step per turn of the event loop: the
            // display grows with it, and may turn out longer than a screen after all.
            if (viewer->testAttribute(Qt::WA_WState_ExplicitShowHide) && viewer->isHidden())
                return;  // folded
            const int before = viewer->minimumHeight();
            FitDisplay(*viewer, false);
            if (viewer->minimumHeight() > before && viewer->minimumHeight() > viewport()->height())
                FoldLongBlocks();
        });
    return viewer;
}

int TAllBooksPage::EstimatedHeight(const display::THtmlViewer &viewer) const {
    // Every paragraph's characters at the font's average width, wrapped at the page's
    // width: no shaping and no layout, so a page of any length costs a walk of its blocks.
    const QFontMetricsF metrics(viewer.font());
    const double width = std::max(100, viewport()->width() - 20);
    const double perLine = std::max(1.0, width / std::max(1.0, metrics.averageCharWidth()));
    double lines = 0;
    for (QTextBlock block = viewer.document()->begin(); block.isValid(); block = block.next())
        lines += std::max(1.0, std::ceil(block.length() / perLine));
    return static_cast<int>(lines * metrics.lineSpacing());
}

bool TAllBooksPage::FarTooLong(const TBlock &block) const {
    return block.Estimate > 2 * viewport()->height();
}

void TAllBooksPage::FitDisplay(display::THtmlViewer &viewer, bool whole) const {
    const int width = std::max(100, viewport()->width());
    QTextDocument &document = *viewer.document();
    if (std::abs(document.textWidth() - width) > 0.5)
        document.setTextWidth(width);
    // The toolkit lays the first part of a page out now and the rest in steps when idle;
    // a page about a screen long is laid out whole to know whether it is longer.
    if (whole)
        document.documentLayout()->blockBoundingRect(document.lastBlock());
    const int height = static_cast<int>(std::ceil(document.size().height())) + 2;
    if (viewer.height() != height)
        viewer.setFixedHeight(height);
}

void TAllBooksPage::FitBlock(TBlock &block) const {
    // A folded block is laid out when it is unfolded.
    if (block.Viewer != nullptr && block.Header->Expanded())
        FitDisplay(*block.Viewer, !FarTooLong(block));
}

void TAllBooksPage::FitAll() {
    for (const auto &block : m_blocks)
        FitBlock(*block);
    if (m_note != nullptr)
        FitDisplay(*m_note, true);
}

void TAllBooksPage::Clear() {
    // A block with a display is kept for the next search, which then makes no widgets (a
    // display and its header cost about as much as laying out a short page); a notice goes.
    std::vector<std::unique_ptr<TBlock>> blocks = std::move(m_blocks);
    m_blocks.clear();
    for (auto &block : blocks) {
        m_column->removeWidget(block->Frame);
        if (block->Viewer == nullptr) {
            delete block->Frame;
            continue;
        }
        block->Frame->hide();
        block->Viewer->setExtraSelections({});
        block->Viewer->ClearDocument();
        block->Answers.clear();
        block->Shown.reset();
        block->Touched = false;
        block->Estimate = 0;
        m_spares.push_back(std::move(block));
    }
    ShowNote({});
    verticalScrollBar()->setValue(0);
}

void TAllBooksPage::ShowNote(const std::string &page) {
    delete m_note;
    m_note = nullptr;
    if (page.empty())
        return;
    m_note = MakeDisplay(m_content);
    m_note->setObjectName(QStringLiteral("FONoteViewer"));
    m_column->insertWidget(m_column->count() - 1, m_note);
    m_note->LoadDocument(page.data(), page.size());
    FitDisplay(*m_note, true);
}

std::unique_ptr<TAllBooksPage::TBlock> TAllBooksPage::MakeBlock(
    const std::shared_ptr<const TBookAnswer> &answer) {
    if (!answer->Failed() && !m_spares.empty()) {
        std::unique_ptr<TBlock> block = std::move(m_spares.back());
        m_spares.pop_back();
        block->Answers.push_back(answer);
        block->Shown = answer;
        block->Header->SetDark(m_look.Dark);
        block->Header->SetExpanded(true);
        block->Viewer->show();
        block->Viewer->SetLook(m_look);
        const std::string page = answer->Page();
        block->Viewer->LoadDocument(page.data(), page.size());
        block->Estimate = EstimatedHeight(*block->Viewer);
        ShowBooks(*block);
        return block;
    }
    auto block = std::make_unique<TBlock>();
    block->Answers.push_back(answer);
    block->Frame = new QWidget(m_content);
    block->Frame->setObjectName(QStringLiteral("pnlBookBlock"));
    auto *rows = new QVBoxLayout(block->Frame);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    block->Header = new TBlockHeader(m_look.Dark, block->Frame);
    block->Header->setIconSize(QSize(16, 16));
    rows->addWidget(block->Header);
    TBlock *raw = block.get();
    connect(block->Header, &QToolButton::clicked, this, [this, raw] { HeaderClicked(*raw); });
    if (answer->Failed()) {
        auto *notice = new QLabel(QString::fromStdString(answer->Notice), block->Frame);
        notice->setObjectName(QStringLiteral("lblBlockNotice"));
        notice->setWordWrap(true);
        notice->setContentsMargins(10, 2, 10, 6);
        notice->setAccessibleName(notice->text());
        block->Content = notice;
    } else {
        block->Viewer = MakeDisplay(block->Frame);
        block->Shown = answer;
        // Spare blocks keep their display, and it keeps asking this block.
        if (m_stars)
            m_stars(*block->Viewer, [raw] {
                const TBookAnswer *shown = raw->Shown.get();
                if (shown == nullptr || !shown->Listing.empty())
                    return TShownEntries{};
                return TShownEntries{shown->Book, shown->Results.get(), shown->Typed};
            });
        const std::string page = answer->Page();
        block->Viewer->LoadDocument(page.data(), page.size());
        block->Content = block->Viewer;
        block->Estimate = EstimatedHeight(*block->Viewer);
    }
    rows->addWidget(block->Content);
    ShowBooks(*block);
    return block;
}

void TAllBooksPage::ShowBooks(TBlock &block) const {
    QStringList names;
    for (const auto &answer : block.Answers)
        names << QString::fromStdString(answer->Book->DisplayName);
    block.Header->SetBooks(m_picture ? m_picture(*block.Answers.front()->Book) : QIcon(), names);
}

int TAllBooksPage::RankedIndex(const TBookAnswer &answer) const {
    const auto after = std::find_if(m_blocks.begin(), m_blocks.end(), [&](const auto &block) {
        return RanksBefore(answer, *block->Answers.front());
    });
    return static_cast<int>(after - m_blocks.begin());
}

TAllBooksPage::TBlock *TAllBooksPage::SameArticles(const TBookAnswer &answer) const {
    if (answer.Failed())
        return nullptr;
    const std::string text = answer.ArticleText();
    for (const auto &block : m_blocks)
        if (!block->Answers.front()->Failed() && block->Answers.front()->ArticleText() == text)
            return block.get();
    return nullptr;
}

bool TAllBooksPage::Long(const TBlock &block) const {
    if (block.Viewer == nullptr)
        return block.Content->sizeHint().height() > viewport()->height();
    // A page far longer than a screen by its estimate is long before it is laid out; any
    // other is laid out whole, and its display is as high as its text.
    return FarTooLong(block) || block.Viewer->minimumHeight() > viewport()->height();
}

void TAllBooksPage::Fold(TBlock &block, bool folded) {
    block.Content->setVisible(!folded);
    block.Header->SetExpanded(!folded);
    if (!folded)
        FitBlock(block);
}

bool TAllBooksPage::FoldsWhenLong(const TBlock &block) const {
    // Only with several blocks, before the user has scrolled (folding moves what lies
    // below), and for a book the user did not unfold before.
    if (m_blocks.size() < 2 || verticalScrollBar()->value() > 0 || block.Touched ||
        !block.Header->Expanded())
        return false;
    return std::none_of(block.Answers.begin(), block.Answers.end(), [&](const auto &answer) {
        return m_unfolded.count(answer->Book->Name) != 0;
    });
}

void TAllBooksPage::FoldLongBlocks() {
    for (const auto &block : m_blocks)
        if (FoldsWhenLong(*block) && Long(*block))
            Fold(*block, true);
}

void TAllBooksPage::Add(const std::shared_ptr<const TBookAnswer> &answer) {
    if (!answer || (!answer->HasEntries() && !answer->Failed()))
        return;
    // The block at the top of the view stays where it is on the screen.
    const int top = verticalScrollBar()->value();
    QWidget *anchor = nullptr;
    int anchorIndex = -1;
    int offset = 0;
    for (std::size_t i = 0; top > 0 && i < m_blocks.size(); ++i) {
        if (m_blocks[i]->Frame->geometry().bottom() >= top) {
            anchor = m_blocks[i]->Frame;
            anchorIndex = static_cast<int>(i);
            offset = anchor->y() - top;
            break;
        }
    }
    if (TBlock *same = SameArticles(*answer)) {
        auto &answers = same->Answers;
        answers.insert(
            std::upper_bound(answers.begin(), answers.end(), answer,
                             [](const auto &a, const auto &b) { return RanksBefore(*a, *b); }),
            answer);
        ShowBooks(*same);
    } else {
        const int index = RankedIndex(*answer);
        std::unique_ptr<TBlock> block = MakeBlock(answer);
        TBlock &placed = *block;
        m_column->insertWidget(index, placed.Frame);
        placed.Frame->show();
        m_blocks.insert(m_blocks.begin() + index, std::move(block));
        // Above the reading place a block arrives folded: it takes only its header's room.
        // So does a page far longer than a screen, before any of it is laid out.
        if ((anchor != nullptr && index <= anchorIndex) ||
            (FarTooLong(placed) && FoldsWhenLong(placed)))
            Fold(placed, true);
        FitBlock(placed);
        FoldLongBlocks();
    }
    ChainTabOrder();
    if (anchor != nullptr) {
        m_content->layout()->activate();
        verticalScrollBar()->setValue(anchor->y() - offset);
    }
}

void TAllBooksPage::ChainTabOrder() {
    // Blocks arrive in any order: Tab goes through them as they are shown, each header
    // before its article.
    QWidget *previous = nullptr;
    for (const auto &block : m_blocks) {
        for (QWidget *next : {static_cast<QWidget *>(block->Header), block->Content}) {
            if (next->focusPolicy() == Qt::NoFocus)
                continue;
            if (previous != nullptr)
                setTabOrder(previous, next);
            previous = next;
        }
    }
}

void TAllBooksPage::HeaderClicked(TBlock &block) {
    block.Touched = true;
    const bool expanded = block.Header->Expanded();
    block.Content->setVisible(expanded);
    if (expanded)
        FitBlock(block);
    for (const auto &answer : block.Answers) {
        if (expanded)
            m_unfolded.insert(answer->Book->Name);
        else
            m_unfolded.erase(answer->Book->Name);
    }
    emit UnfoldedChanged();
}

int TAllBooksPage::BooksWithEntries() const {
    int books = 0;
    for (const auto &block : m_blocks)
        for (const auto &answer : block->Answers)
            books += answer->HasEntries() ? 1 : 0;
    return books;
}

int TAllBooksPage::Keywords() const {
    int keywords = 0;
    for (const auto &block : m_blocks)
        for (const auto &answer : block->Answers)
            keywords += answer->Count();
    return keywords;
}

TBlockHeader *TAllBooksPage::Header(int block) const {
    return m_blocks.at(static_cast<std::size_t>(block))->Header;
}

display::THtmlViewer *TAllBooksPage::Display(int block) const {
    return m_blocks.at(static_cast<std::size_t>(block))->Viewer;
}

bool TAllBooksPage::Folded(int block) const {
    return !Header(block)->Expanded();
}

void TAllBooksPage::JumpBlock(int step) {
    if (m_blocks.empty())
        return;
    const int target = std::clamp(CurrentBlock() + step, 0, BlockCount() - 1);
    TBlock &block = *m_blocks[static_cast<std::size_t>(target)];
    block.Header->setFocus(Qt::OtherFocusReason);
    m_content->layout()->activate();
    verticalScrollBar()->setValue(block.Frame->y());
}

int TAllBooksPage::FocusedBlock() const {
    const QWidget *focus = QApplication::focusWidget();
    for (std::size_t i = 0; focus != nullptr && i < m_blocks.size(); ++i)
        if (m_blocks[i]->Frame->isAncestorOf(focus))
            return static_cast<int>(i);
    return -1;
}

int TAllBooksPage::CurrentBlock() const {
    if (m_blocks.empty())
        return -1;
    if (const int focused = FocusedBlock(); focused >= 0)
        return focused;
    const int top = verticalScrollBar()->value();
    int current = 0;
    while (current + 1 < BlockCount() && m_blocks[current]->Frame->geometry().bottom() < top)
        ++current;
    return current;
}

display::THtmlViewer *TAllBooksPage::CurrentDisplay() const {
    for (int block = CurrentBlock(); block >= 0 && block < BlockCount(); ++block)
        if (display::THtmlViewer *display = Display(block);
            display != nullptr && display->HasPage())
            return display;
    return nullptr;
}

std::vector<QTextEdit *> TAllBooksPage::Displays(int only) const {
    std::vector<QTextEdit *> displays;
    for (std::size_t i = 0; i < m_blocks.size(); ++i)
        if (m_blocks[i]->Viewer != nullptr && (only < 0 || static_cast<int>(i) == only))
            displays.push_back(m_blocks[i]->Viewer);
    return displays;
}

void TAllBooksPage::Reveal(QTextEdit *display) {
    for (const auto &block : m_blocks) {
        if (block->Viewer != display)
            continue;
        if (!block->Header->Expanded())
            Fold(*block, false);
        m_content->layout()->activate();
        const QPoint at = display->viewport()->mapTo(m_content, display->cursorRect().center());
        ensureVisible(at.x(), at.y(), 0, viewport()->height() / 4);
        return;
    }
}

std::unique_ptr<QTextDocument> TAllBooksPage::PrintablePage(int only) const {
    std::vector<std::pair<QString, const display::THtmlViewer *>> parts;
    for (std::size_t i = 0; i < m_blocks.size(); ++i)
        if (m_blocks[i]->Viewer != nullptr && (only < 0 || static_cast<int>(i) == only))
            parts.emplace_back(m_blocks[i]->Header->Books().join(QStringLiteral(", ")),
                               m_blocks[i]->Viewer);
    return display::JoinedPrintablePage(parts);
}

std::string TAllBooksPage::PageSource(int only) const {
    std::string source;
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        const TBookAnswer &lead = *m_blocks[i]->Answers.front();
        if (!lead.HasEntries() || (only >= 0 && static_cast<int>(i) != only))
            continue;
        std::string books;
        for (const auto &answer : m_blocks[i]->Answers)
            books += (books.empty() ? "" : ", ") + answer->Book->Name;
        source += "<!-- " + books + " -->\r\n" + lead.Page() + "\r\n";
    }
    return source;
}

std::shared_ptr<const TBookAnswer> TAllBooksPage::TopAnswer() const {
    for (const auto &block : m_blocks)
        if (block->Answers.front()->HasEntries())
            return block->Answers.front();
    return nullptr;
}

bool TAllBooksPage::event(QEvent *event) {
    // Alt+Up and Alt+Down belong to the page while its blocks have the focus, before any
    // window shortcut of those keys.
    if (event->type() == QEvent::ShortcutOverride && IsBlockKey(*static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QScrollArea::event(event);
}

void TAllBooksPage::keyPressEvent(QKeyEvent *event) {
    if (IsBlockKey(*event)) {
        JumpBlock(event->key() == Qt::Key_Down ? 1 : -1);
        event->accept();
        return;
    }
    QScrollArea::keyPressEvent(event);
}

void TAllBooksPage::resizeEvent(QResizeEvent *event) {
    QScrollArea::resizeEvent(event);
    FitAll();
}

}  // namespace ui
