// The entry display: code-page decoding, what of a result page is shown, the stylesheet
// read from disk, pictures from the data folder, selection and copy, links, scrolling.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "tempdir.h"
#include "viewer/display/HtmlViewer.h"

namespace {

using display::THtmlViewer;

void Load(THtmlViewer &viewer, const std::string &page) {
    viewer.LoadDocument(page.data(), page.size());
}

std::string Page(const std::string &stylesheet, const std::string &body) {
    std::string page =
        "<html>\r\n  <head>\r\n    <title>Resultaten voor \"huis\"</title>\r\n"
        "    <meta name=\"searchtext\" content=\"huis\">\r\n";
    if (!stylesheet.empty())
        page += "    <link rel=\"stylesheet\" type=\"text/css\" href=\"" + stylesheet + "\">\r\n";
    return page + "  </head>\r\n  <body>\r\n    <!-- keyword=\"huis\", translated=\"HUIS\"" +
           "transcription=\"\", languagedir=\"\" -->\r\n" + body + "\r\n  </body>\r\n</html>";
}

QColor ColourOfWord(const THtmlViewer &viewer, const QString &word) {
    QTextCursor found = viewer.document()->find(word);
    return found.charFormat().foreground().color();
}

TEST(HtmlViewer, ShowsEntriesButNotTitleMetaOrComments) {
    THtmlViewer viewer;
    EXPECT_EQ(viewer.objectName(), "FOHtmlViewer");
    // Page bytes are Windows-1252, including its 0x80-0x9F block.
    Load(viewer, Page("", "<p><b>huis</b> house, caf\xE9 \x80 \x9C \x93x\x94</p>"));
    const QString shown = viewer.toPlainText();
    EXPECT_TRUE(
        shown.contains(QString::fromUtf8("huis house, caf\u00E9 \u20AC \u0153 \u201Cx\u201D")))
        << shown.toStdString();
    EXPECT_FALSE(shown.contains("Resultaten"));
    EXPECT_FALSE(shown.contains("keyword="));
}

TEST(HtmlViewer, AppliesTheStylesheetFileAndShowsThePageWithoutIt) {
    tk::test::TempDir folder;
    const std::string css = folder.Write("dict.css", ".kw { color: #ff0000; }\n");
    THtmlViewer viewer;
    Load(viewer, Page(css, "<p><span class=\"kw\">huis</span> house</p>"));
    EXPECT_EQ(ColourOfWord(viewer, "huis"), QColor(255, 0, 0));

    Load(viewer, Page(folder.File("missing.css"), "<p><span class=\"kw\">huis</span> house</p>"));
    EXPECT_TRUE(viewer.toPlainText().contains("huis house"));
    EXPECT_NE(ColourOfWord(viewer, "huis"), QColor(255, 0, 0));
}

// The stylesheet's path is a file name, not a web address: signs that a URL would read as
// its fragment or query belong to the folder names.
TEST(HtmlViewer, StylesheetInAFolderWithUrlSignsIsApplied) {
    tk::test::TempDir folder;
    for (const char *name : {"Taal #1", "wat?nu", "100%"}) {
        const std::string dir = folder.File(name);
        ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0) << name;
        const std::string css =
            folder.Write(std::string(name) + "/dict.css", ".kw { color: #ff0000; }\n");
        THtmlViewer viewer;
        Load(viewer, Page(css, "<p><span class=\"kw\">huis</span> house</p>"));
        EXPECT_EQ(ColourOfWord(viewer, "huis"), QColor(255, 0, 0)) << name;
    }
}

// Links are blue whatever link colour the desktop's theme prefers; the page's stylesheet
// still decides over it, and anchors without an address are no links.
TEST(HtmlViewer, LinkColourDoesNotFollowTheDesktopTheme) {
    const QPalette saved = QApplication::palette();
    QPalette themed = saved;
    themed.setColor(QPalette::Link, QColor(0, 200, 0));
    QApplication::setPalette(themed);
    THtmlViewer viewer;
    const std::string body =
        "<p><a name=\"n\">huis</a> <a href=\"https://taalkist.example/\">web</a></p>"
        "<table><tr><td><a href=\"https://taalkist.example/t\">cel</a></td></tr></table>";
    Load(viewer, Page("", body));
    EXPECT_EQ(ColourOfWord(viewer, "web"), QColor(0, 0, 255));
    EXPECT_EQ(ColourOfWord(viewer, "cel"), QColor(0, 0, 255));
    EXPECT_NE(ColourOfWord(viewer, "huis"), QColor(0, 0, 255));

    tk::test::TempDir folder;
    const std::string css = folder.Write("dict.css", "a { color: #ff0000; }\n");
    Load(viewer, Page(css, body));
    EXPECT_EQ(ColourOfWord(viewer, "web"), QColor(255, 0, 0));
    QApplication::setPalette(saved);
}

TEST(HtmlViewer, LoadsPicturesFromTheDataFolderOnceForConsecutivePages) {
    tk::test::TempDir folder;
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(QString::fromStdString(folder.File("pic.jpg")), "JPEG"));
    THtmlViewer viewer;
    viewer.SetImageFolder(QString::fromStdString(folder.Path()));
    viewer.show();
    Load(viewer, Page("", "<p><img src=\"pic.jpg\"> <img src=\"absent.png\"> end</p>"));
    viewer.document()->size();  // lays the page out, which loads its pictures
    EXPECT_EQ(viewer.ImageCache().Count(), 1);
    EXPECT_EQ(viewer.ImageCache().Capacity(), 125);
    const QVariant loaded =
        viewer.document()->resource(QTextDocument::ImageResource, QUrl("pic.jpg"));
    EXPECT_EQ(loaded.value<QImage>().size(), QSize(8, 6));
    Load(viewer, Page("", "<p><img src=\"pic.jpg\"></p>"));
    viewer.document()->size();
    EXPECT_EQ(viewer.ImageCache().Count(), 1);
}

TEST(HtmlViewer, SelectionAcrossEntriesCopiesPlainText) {
    THtmlViewer viewer;
    Load(viewer, Page("", "<p><b>huis</b> house</p>\r\n<p><i>boom</i> tree</p>"));
    EXPECT_EQ(viewer.SelectedText(), "");
    viewer.selectAll();
    const QString selected = viewer.SelectedText();
    EXPECT_TRUE(selected.contains("huis house") && selected.contains("boom tree"));
    QApplication::clipboard()->clear();
    viewer.CopySelection();
    const QString copied = QApplication::clipboard()->text();
    const QStringList lines = copied.split('\n');
    ASSERT_EQ(lines.size(), 2) << copied.toStdString();
    EXPECT_EQ(lines[0].trimmed(), "huis house");
    EXPECT_EQ(lines[1].trimmed(), "boom tree");

    viewer.ClearDocument();
    EXPECT_EQ(viewer.SelectedText(), "");
    EXPECT_TRUE(viewer.toPlainText().isEmpty());
    viewer.CopySelection();  // nothing selected: the clipboard keeps what it had
    EXPECT_EQ(QApplication::clipboard()->text(), copied);
}

TEST(HtmlViewer, LongPageOpensAtItsTop) {
    THtmlViewer viewer;
    viewer.resize(300, 200);
    viewer.show();
    std::string body;
    for (int i = 0; i < 200; ++i)
        body += "<p>regel " + std::to_string(i) + "</p>";
    Load(viewer, Page("", body));
    QScrollBar *bar = viewer.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    Load(viewer, Page("", body + "<p>nog een</p>"));
    EXPECT_EQ(bar->value(), 0);
}

TEST(HtmlViewer, WebLinksGoToTheOpenerAndNothingNavigatesAway) {
    THtmlViewer viewer;
    std::vector<QUrl> opened;
    viewer.SetLinkOpener([&](const QUrl &link) { opened.push_back(link); });
    Load(viewer, Page("", "<p><a href=\"https://taalkist.example/x\">web</a></p>"));
    emit viewer.anchorClicked(QUrl("https://taalkist.example/x"));
    emit viewer.anchorClicked(QUrl("other.html"));
    emit viewer.anchorClicked(QUrl("file:///etc/passwd"));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(), "https://taalkist.example/x");
    EXPECT_TRUE(viewer.toPlainText().contains("web"));
    EXPECT_FALSE(viewer.isBackwardAvailable());
}

TEST(HtmlResources, ResolvesReferencesAndFetchesNothingRemote) {
    const QString data = QStringLiteral("/prog/data");
    EXPECT_EQ(display::ResolvePageReference(QUrl("/prog/data/dict.css"), data),
              "/prog/data/dict.css");
    EXPECT_EQ(display::ResolvePageReference(QUrl("img/a.jpg"), data), "/prog/data/img/a.jpg");
    EXPECT_EQ(display::ResolvePageReference(QUrl("/prog/data/my%20dict.css"), data),
              "/prog/data/my dict.css");
    EXPECT_EQ(display::ResolvePageReference(QUrl("https://example.org/a.css"), data), "");
    EXPECT_FALSE(display::ReadStyleSheet(QStringLiteral("/nonexistent/dict.css")).isValid());
}

}  // namespace
