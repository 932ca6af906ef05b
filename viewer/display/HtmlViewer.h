// The entry display: shows one result page (Windows-1252 HTML with a linked stylesheet
// and pictures), lets the user select and copy text, and keeps no history. The page can be
// zoomed and read dark (PageLook.h), and handed out whole for printing and copying.
#pragma once

#include <QTextBrowser>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "viewer/display/HtmlResources.h"
#include "viewer/display/PageLook.h"

namespace display {

class THtmlViewer : public QTextBrowser {
    Q_OBJECT
  public:
    explicit THtmlViewer(QWidget *parent = nullptr);

    // Folder against which pictures with a relative name are looked up.
    void SetImageFolder(const QString &folder) { m_imageFolder = folder; }
    const QString &ImageFolder() const { return m_imageFolder; }
    // What opens a web link the user clicks (the system browser unless replaced).
    void SetLinkOpener(std::function<void(const QUrl &)> opener) { m_openLink = std::move(opener); }
    // What searches a word: the word of a zoek: link the user clicks, or a word of the
    // page the user double-clicks. Without one, neither does anything.
    void SetWordSearcher(std::function<void(const QString &)> searcher) {
        m_searchWord = std::move(searcher);
    }

    // What the window adds to the page on the screen alone (the word list's stars): a
    // function of the page's HTML. Printing, copying and saving take the page without it.
    void SetDecoration(std::function<QString(const QString &)> decorate) {
        m_decorate = std::move(decorate);
    }
    // Where links of the decoration's scheme go ("ster:N") instead of anywhere else.
    void SetDecorationLinks(const QString &scheme, std::function<void(const QUrl &)> opener) {
        m_decorationScheme = scheme;
        m_openDecoration = std::move(opener);
    }
    // Lays the shown page out again with the decoration as it is now, at the same place
    // and with the caret where it was.
    void Redecorate();

    // Removes the page and shows an empty white area scrolled to the top.
    void ClearDocument();
    // Shows the page held in these bytes (need not outlive the call) from its top.
    void LoadDocument(const char *text, std::size_t length);
    // The selected text as plain text; empty without a selection. Cheap when nothing
    // is selected, as it runs on every idle evaluation of the copy command.
    QString SelectedText() const;
    // Puts the selection on the clipboard as plain text; nothing without a selection.
    void CopySelection();
    bool HasFocus() const { return hasFocus(); }
    // Leaves Ctrl+C to a window command (which copies through CopySelection) instead of
    // taking it first; the display still copies when no command takes the key.
    void SetCopyByCommand(bool byCommand) { m_copyByCommand = byCommand; }

    const TImageCache &ImageCache() const { return m_images; }

    // Zoom and dark reading; the shown page is laid out again, at the same place.
    void SetLook(const TPageLook &look);
    const TPageLook &Look() const { return m_look; }
    // The place in the page's text shown at the top of the view, and scrolling the page
    // so that a place shows there.
    int TopPosition() const;
    void ScrollToPosition(int position);
    // Whether a page is shown (not cleared).
    bool HasPage() const { return !m_page.isEmpty(); }
    // The shown page as printed and copied: normal size and the book's own colours,
    // whatever the zoom and dark reading; null without a page.
    std::unique_ptr<QTextDocument> PrintablePage() const;
    // Puts the whole page on the clipboard as plain text and as HTML at once.
    void CopyPage() const;

  signals:
    // Ctrl and the mouse wheel: one step in (+1) or out (-1) per notch.
    void ZoomStepRequested(int steps);

  protected:
    QVariant loadResource(int type, const QUrl &name) override;
    QMimeData *createMimeDataFromSelection() const override;
    bool event(QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

  private:
    void Render();
    void ApplyPageMargins();
    void ApplyLinkColour();
    void ApplyLookToWidget();
    void OpenClickedLink(const QUrl &link);
    void SearchWordLater(const QString &word);

    QString m_page;  // the shown page, decoded; empty when cleared
    TPageLook m_look;
    int m_wheelAngle = 0;  // wheel turn not yet taken as a zoom step
    QString m_imageFolder;
    TImageCache m_images{125};
    std::function<void(const QUrl &)> m_openLink;
    std::function<void(const QString &)> m_searchWord;
    std::function<QString(const QString &)> m_decorate;
    QString m_decorationScheme;
    std::function<void(const QUrl &)> m_openDecoration;
    bool m_copyByCommand = false;
};

// The pages of several displays as one document to print and copy, each under a bold line
// with its title (the books of a block), in their order; null without a page.
std::unique_ptr<QTextDocument> JoinedPrintablePage(
    const std::vector<std::pair<QString, const THtmlViewer *>> &parts);
// That document on the clipboard as plain text and as HTML at once.
void CopyDocument(const QTextDocument &document);

}  // namespace display
