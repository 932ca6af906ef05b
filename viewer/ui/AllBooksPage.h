// The page of every book at once: one block per book that has entries, under a header
// with the book's picture and name (BlockHeader.h). A block shows that book's own page in a
// display of its own, so a book's stylesheet styles its own block only. Blocks are placed
// by their rank as answers arrive (AllBooks.h); a block that arrives above what the user
// is reading keeps the view where it was. A block whose articles are those of a block above
// joins it, both books named in the header. Alt+Up and Alt+Down move between the headers.
#pragma once

#include <QScrollArea>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "viewer/display/PageLook.h"
#include "viewer/ui/WordListStars.h"

class QTextDocument;
class QTextEdit;
class QVBoxLayout;
struct TBookAnswer;
class TLXABook;

namespace display {
class THtmlViewer;
}

namespace ui {

class TBlockHeader;

class TAllBooksPage : public QScrollArea {
    Q_OBJECT
  public:
    // The picture of a book's header.
    using TPicture = std::function<QIcon(const TLXABook &book)>;

    explicit TAllBooksPage(TPicture picture, QWidget *parent = nullptr);
    ~TAllBooksPage() override;

    // What every block's display is given (see THtmlViewer).
    void SetImageFolder(const QString &folder);
    void SetWordSearcher(std::function<void(const QString &)> searcher);
    void SetLinkOpener(std::function<void(const QUrl &)> opener);
    void SetLook(const display::TPageLook &look);
    // What puts the word list's stars on a block's display: shown tells what its page
    // holds (the book whose page it is). Set before the first block.
    using TStars =
        std::function<void(display::THtmlViewer &viewer, std::function<TShownEntries()> shown)>;
    void SetStars(TStars stars) { m_stars = std::move(stars); }
    // The books whose long blocks start unfolded: those the user unfolded before (names).
    void SetUnfolded(std::set<std::string> books) { m_unfolded = std::move(books); }
    const std::set<std::string> &Unfolded() const { return m_unfolded; }

    // Removes every block and the suggestions.
    void Clear();
    // Places a book's answer (with entries, or failed); answers without either are ignored.
    void Add(const std::shared_ptr<const TBookAnswer> &answer);
    // A page of its own below the blocks (the suggestions of a miss); empty removes it.
    void ShowNote(const std::string &page);

    // What is shown, for the status line and the tests.
    int BlockCount() const { return static_cast<int>(m_blocks.size()); }
    int BooksWithEntries() const;
    int Keywords() const;
    TBlockHeader *Header(int block) const;
    display::THtmlViewer *Display(int block) const;
    bool Folded(int block) const;
    // Moves the focus to the next (+1) or previous (-1) block's header, and shows it.
    void JumpBlock(int step);

    // What the page's commands act on: the block that holds the focus, else every block.
    // The block with the focus, or -1.
    int FocusedBlock() const;
    // The block with the focus, else the one at the top of the view; -1 without blocks.
    int CurrentBlock() const;
    // The display of the current block, else of the next block with entries; null without
    // one (what Ctrl+D keeps the top entry of).
    display::THtmlViewer *CurrentDisplay() const;
    // The displays of the blocks with entries in their shown order (only: that block's).
    std::vector<QTextEdit *> Displays(int only = -1) const;
    // Unfolds the block of a display and scrolls to its cursor (a match found in it).
    void Reveal(QTextEdit *display);
    // The blocks' pages as one document under their books' names, to print and copy;
    // null without a page.
    std::unique_ptr<QTextDocument> PrintablePage(int only = -1) const;
    // The blocks' pages as the books made them, one after another, each after a comment
    // that names its books.
    std::string PageSource(int only = -1) const;
    // The answer of the first block, the one at the top of the page; null without one.
    std::shared_ptr<const TBookAnswer> TopAnswer() const;

  signals:
    // The user folded or unfolded a block; Unfolded() has the new set.
    void UnfoldedChanged();

  protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    struct TBlock;

    int RankedIndex(const TBookAnswer &answer) const;
    TBlock *SameArticles(const TBookAnswer &answer) const;
    std::unique_ptr<TBlock> MakeBlock(const std::shared_ptr<const TBookAnswer> &answer);
    void ShowBooks(TBlock &block) const;
    void Fold(TBlock &block, bool folded);
    void FoldLongBlocks();
    bool FoldsWhenLong(const TBlock &block) const;
    void ChainTabOrder();
    bool Long(const TBlock &block) const;
    bool FarTooLong(const TBlock &block) const;
    int EstimatedHeight(const display::THtmlViewer &viewer) const;
    void FitDisplay(display::THtmlViewer &viewer, bool whole) const;
    void FitBlock(TBlock &block) const;
    void FitAll();
    display::THtmlViewer *MakeDisplay(QWidget *parent);
    void HeaderClicked(TBlock &block);

    TPicture m_picture;
    QWidget *m_content;
    QVBoxLayout *m_column;
    std::vector<std::unique_ptr<TBlock>> m_blocks;
    std::vector<std::unique_ptr<TBlock>> m_spares;  // hidden, for the next search's blocks
    display::THtmlViewer *m_note = nullptr;
    std::set<std::string> m_unfolded;
    display::TPageLook m_look;
    QString m_imageFolder;
    std::function<void(const QString &)> m_searchWord;
    std::function<void(const QUrl &)> m_openLink;
    TStars m_stars;
};

}  // namespace ui
