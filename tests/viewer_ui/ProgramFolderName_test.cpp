// A program folder whose name is not ASCII, in any script: the page is styled, the saved
// article names its stylesheet so that a browser finds it, and dialogs quote paths as they
// are.
#include <gtest/gtest.h>

#include <QTest>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "UiTestSupport.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/ScreenRequests.h"
#include "viewer/ui/SelectBook.h"

using namespace uitest;

namespace {

class ProgramFolderName : public ::testing::TestWithParam<const char *> {
  protected:
    ProgramFolderName() : folder(GetParam()) {
        folder.WriteCatalogue({"nl-en=1;Nederlands-Engels", "en-nl=1;Engels-Nederlands"});
        folder.AddBook("nl-en", "[dictionary]\nstylesheet=dict.css\n");
        folder.AddBook("en-nl", "[dictionary]\n");
        std::ofstream(folder.Data + "/dict.css") << ".kw { color: #ff0000; }\n";
        folder.SetTable("nl-en",
                        Table({Row("huis", "<p><span class=\"kw\">huis</span> house</p>")}));
        folder.SetHelpdeskMode(true);
    }

    TDialogRecorder dialogs;
    TProgramFolder folder;
};

// The file a page's link names: a file URL decoded, else the text itself.
std::string LinkedFile(const std::string &page) {
    const std::string start = "<link rel=\"stylesheet\" type=\"text/css\" href=\"";
    const std::size_t from = page.find(start);
    if (from == std::string::npos)
        return {};
    const std::size_t begin = from + start.size();
    const std::string href = page.substr(begin, page.find('"', begin) - begin);
    const QUrl url(QString::fromStdString(href));
    return url.isLocalFile() ? url.toLocalFile().toStdString() : href;
}

TEST_P(ProgramFolderName, PageStyledArticleLinkedAndPathsQuotedAsTheyAre) {
    TViewer viewer;
    ui::TfrmLXAMain &window = viewer.Main();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(dialogs.Shown.empty());
    ASSERT_EQ(Find(window, "huis"), "Er is 1 trefwoord gevonden.");
    const QTextCursor word = window.Viewer()->document()->find(QStringLiteral("huis"));
    EXPECT_EQ(word.charFormat().foreground().color(), QColor(255, 0, 0));

    // The saved article is the page's bytes, Windows-1252: its link must be plain ASCII.
    window.UpdateCommands();
    QTest::keyClick(&window, Qt::Key_F12, Qt::ShiftModifier);
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    const std::string saved = folder.TempFolder() + "/morvelt";
    ASSERT_FALSE(std::filesystem::is_empty(saved));
    std::ifstream in(std::filesystem::directory_iterator(saved)->path(), std::ios::binary);
    const std::string article((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    EXPECT_EQ(LinkedFile(article), folder.Data + "/dict.css");
    const std::size_t link = article.find("<link");
    for (std::size_t i = link; i < article.find('\n', link); ++i)
        EXPECT_LT(static_cast<unsigned char>(article[i]), 0x80) << article.substr(link, 200);
    // The question quotes the file's path exactly.
    EXPECT_TRUE(ui::MakeMessageBox(dialogs.Shown[0])
                    ->text()
                    .startsWith(QString::fromStdString("Het artikel is opgeslagen als '" + saved)))
        << dialogs.Shown[0].Text;

    // A dictionary file that went missing: the message names it as it is called.
    std::filesystem::remove(folder.Data + "/en-nl.idx");
    dialogs.Shown.clear();
    window.DictionaryCommands()[1]->trigger();
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(ui::MakeMessageBox(dialogs.Shown[0])->text(),
              QString::fromStdString("Het woordenboekbestand '" + folder.Data +
                                     "/en-nl.idx' kan niet worden gevonden. selecteer a.u.b. een "
                                     "ander woordenboek."));
}

INSTANTIATE_TEST_SUITE_P(Scripts, ProgramFolderName,
                         ::testing::Values("tk-\xC3\xA9",                       // tk-é
                                           "\xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2",  // Cyrillic
                                           "jos\xC3\xA9/\xE8\xBE\x9E\xE5\x85\xB8 #1",
                                           "\"50%\" & <wat?>"));

}  // namespace
