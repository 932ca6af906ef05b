// The main window's reading comfort, driven through its keys, buttons and menus: zoom,
// dark reading, back and forward, the recent searches, keyboard access, the find bar,
// copying and printing the article, and the window's place kept between runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "UiTestSupport.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/ui/FindBar.h"
#include "viewer/ui/HistoryPopup.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/SelectBook.h"

using namespace uitest;

namespace {

const char *kDef = "[dictionary]\nstylesheet=dict.css\n[compldictionary]\ndictionary=en-nl\n";

class ReadingComfortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.WriteCatalogue({"nl-en=Nederlands-Engels", "en-nl=Engels-Nederlands"});
        folder.AddBook("nl-en", kDef);
        folder.AddBook("en-nl", kDef);
        std::ofstream(folder.Data + "/dict.css")
            << "b.hw { font-size: 14pt; color: #1f3f7f; }\nspan.pron { color: #7a7a7a; }\n";
        SetEntries({"huis"});
    }
    // The next search of either book finds these words.
    void SetEntries(const std::vector<std::string> &words) const {
        std::vector<std::string> rows;
        for (const std::string &word : words)
            rows.push_back(Row(word, "<p><b class=\"hw\">" + word +
                                         "</b> <span class=\"pron\">/x/</span></p><p>tekst</p>"));
        folder.SetTable("nl-en", Table(rows));
        folder.SetTable("en-nl", Table(rows));
    }
    ui::TfrmLXAMain &Start() {
        viewer.reset();
        viewer = std::make_unique<TViewer>();
        ui::TfrmLXAMain &window = viewer->Main();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        return window;
    }
    ui::TfrmLXAMain &Window() const { return viewer->Main(); }
    display::THtmlViewer &Page() const { return *Window().Viewer(); }
    double HeadwordSize() const {
        return Page().document()->find("huis").charFormat().fontPointSize();
    }
    QColor PageBackground() const {
        const QImage shown = Page().viewport()->grab().toImage();
        return shown.pixelColor(shown.width() - 2, shown.height() - 2);
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    std::string Book() const { return viewer->Data.CurrentBook->Name; }
    std::string Field() const { return Window().SearchField()->text().toStdString(); }

    TDialogRecorder dialogs;
    TProgramFolder folder;
    std::unique_ptr<TViewer> viewer;
};

TEST_F(ReadingComfortTest, ZoomKeysAndWheelScaleThePageAndTheLevelIsKept) {
    ui::TfrmLXAMain &window = Start();
    Find(window, "huis");
    const double normal = HeadwordSize();
    ASSERT_GT(normal, 0);
    const std::string status = window.StatusText().toStdString();

    Key(Qt::Key_Plus, Qt::ControlModifier);
    Key(Qt::Key_Plus, Qt::ControlModifier);
    const double larger = HeadwordSize();
    EXPECT_GT(larger, normal);
    const int percent = int(std::lround(100 * larger / normal));
    // The status line shows the level briefly; the search's text stays underneath.
    EXPECT_TRUE(window.StatusBar()->currentMessage().contains(QString::number(percent) + "%"))
        << window.StatusBar()->currentMessage().toStdString();
    EXPECT_EQ(window.StatusText().toStdString(), status);

    // The wheel over the page with Ctrl held goes the same steps.
    QWheelEvent wheel(QPointF(20, 20), Page().viewport()->mapToGlobal(QPointF(20, 20)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Page().viewport(), &wheel);
    EXPECT_LT(HeadwordSize(), larger);
    EXPECT_GT(HeadwordSize(), normal);

    // At most three times and at least half the size, however often pressed.
    for (int i = 0; i < 20; ++i)
        Key(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_NEAR(HeadwordSize(), 3 * normal, 0.05);
    window.UpdateCommands();
    EXPECT_FALSE(window.Command("actZoomIn")->isEnabled());
    for (int i = 0; i < 20; ++i)
        Key(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_NEAR(HeadwordSize(), 0.5 * normal, 0.05);
    Key(Qt::Key_0, Qt::ControlModifier);
    EXPECT_NEAR(HeadwordSize(), normal, 0.05);
    Key(Qt::Key_Plus, Qt::ControlModifier);
    const double kept = HeadwordSize();

    // The next start shows its first page at the same size.
    ui::TfrmLXAMain &again = Start();
    Find(again, "huis");
    EXPECT_NEAR(HeadwordSize(), kept, 0.05);
}

TEST_F(ReadingComfortTest, DarkReadingDarkensThePageAndTheChoiceIsKept) {
    ui::TfrmLXAMain &window = Start();
    Find(window, "huis");
    EXPECT_GT(PageBackground().lightness(), 240);
    window.UpdateCommands();
    ui::TCommand *dark = window.Command("actDarkReading");
    EXPECT_FALSE(dark->isChecked());
    dark->trigger();
    window.UpdateCommands();
    EXPECT_TRUE(dark->isChecked());
    const QColor background = PageBackground();
    EXPECT_LT(background.lightness(), 60);
    const QColor headword = Page().document()->find("huis").charFormat().foreground().color();
    EXPECT_GE(display::ContrastRatio(headword, background), 4.5);

    ui::TfrmLXAMain &again = Start();
    Find(again, "huis");
    EXPECT_LT(PageBackground().lightness(), 60);
    again.Command("actDarkReading")->trigger();
    EXPECT_GT(PageBackground().lightness(), 240);
    Start();
    EXPECT_GT(PageBackground().lightness(), 240);
}

// Puts the desktop's colours back however the test ends.
struct TDesktopColours {
    QPalette Saved = QApplication::palette();
    ~TDesktopColours() { QApplication::setPalette(Saved); }
};

// Until the user chooses, the page is dark exactly when the desktop is: at start-up, and
// when the desktop's colours change while the program runs.
TEST_F(ReadingComfortTest, WithoutAChoiceThePageFollowsTheDesktop) {
    const TDesktopColours restore;
    const QPalette light = restore.Saved;
    QPalette darkDesktop = light;
    darkDesktop.setColor(QPalette::Window, QColor(40, 40, 40));
    darkDesktop.setColor(QPalette::WindowText, QColor(230, 230, 230));
    const auto desktop = [&](const QPalette &colours) {
        QApplication::setPalette(colours);
        if (viewer) {  // what the toolkit tells a window when the desktop's colours change
            QEvent change(QEvent::ApplicationPaletteChange);
            QApplication::sendEvent(&Window(), &change);
        }
    };
    desktop(darkDesktop);
    ui::TfrmLXAMain &window = Start();
    Find(window, "huis");
    EXPECT_LT(PageBackground().lightness(), 60);
    desktop(light);
    EXPECT_GT(PageBackground().lightness(), 240);
    desktop(darkDesktop);
    EXPECT_LT(PageBackground().lightness(), 60);

    window.Command("actDarkReading")->trigger();  // chosen light: the desktop no longer decides
    desktop(light);
    desktop(darkDesktop);
    EXPECT_GT(PageBackground().lightness(), 240);
    Start();
    EXPECT_GT(PageBackground().lightness(), 240);
}

TEST_F(ReadingComfortTest, BackAndForwardShowTheSearchesAsTheyWereWithoutNewEntries) {
    ui::TfrmLXAMain &window = Start();
    auto *back = window.findChild<QToolButton *>("ToolButtonBack");
    auto *forward = window.findChild<QToolButton *>("ToolButtonForward");
    ASSERT_TRUE(back && forward);
    EXPECT_FALSE(back->icon().isNull());
    window.UpdateCommands();
    EXPECT_FALSE(back->isEnabled());

    SetEntries({"huis", "woning"});
    Find(window, "huis");
    SetEntries({"boom"});
    Find(window, "boom");
    window.DictionaryCommands()[1]->trigger();  // en-nl
    SetEntries({"tree"});
    Find(window, "tree");
    const std::size_t searches = folder.Searches().size();
    const std::vector<std::string> recent = window.RecentSearches();

    window.SearchField()->setFocus();
    SetEntries({"boom"});
    Key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Field(), "boom");
    EXPECT_EQ(Book(), "nl-en");
    EXPECT_TRUE(Page().toPlainText().contains("boom"));
    SetEntries({"huis", "woning"});
    window.UpdateCommands();
    back->click();
    EXPECT_EQ(Field(), "huis");
    EXPECT_TRUE(Page().toPlainText().contains("woning"));
    window.UpdateCommands();
    EXPECT_FALSE(back->isEnabled());
    EXPECT_TRUE(forward->isEnabled());

    SetEntries({"boom"});
    Page().setFocus();  // the page leaves Alt and the arrows to the window too
    Key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(Field(), "boom");
    SetEntries({"tree"});
    forward->click();
    EXPECT_EQ(Field(), "tree");
    EXPECT_EQ(Book(), "en-nl");
    // Each step searched again, but none of them counts as a new search.
    EXPECT_EQ(folder.Searches().size(), searches + 4);
    EXPECT_EQ(window.RecentSearches(), recent);

    // A new search after going back drops the way forward.
    Key(Qt::Key_Left, Qt::AltModifier);
    Find(window, "fiets");
    window.UpdateCommands();
    EXPECT_FALSE(forward->isEnabled());
    Key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Field(), "boom");
}

// Going back shows the page where the reader left it.
TEST_F(ReadingComfortTest, GoingBackReturnsToThePlaceOnThePage) {
    ui::TfrmLXAMain &window = Start();
    std::vector<std::string> many;
    for (int i = 0; i < 80; ++i)
        many.push_back("huis" + std::to_string(i));
    SetEntries(many);
    Find(window, "huis");
    QScrollBar *bar = Page().verticalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    bar->setValue(bar->maximum() / 3);
    const auto topParagraph = [&] { return Page().cursorForPosition(QPoint(0, 0)).blockNumber(); };
    const int place = topParagraph();
    ASSERT_GT(place, 0);
    Find(window, "boom");
    EXPECT_EQ(bar->value(), 0);
    window.Command("actHistoryBack")->trigger();
    EXPECT_EQ(topParagraph(), place);
    // Also at another zoom: the same text comes back into view, wherever it now lies.
    Key(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(topParagraph(), place);
    window.Command("actHistoryForward")->trigger();
    window.Command("actHistoryBack")->trigger();
    EXPECT_EQ(topParagraph(), place);
}

TEST_F(ReadingComfortTest, TheDropDownOffersTheLastFiftySearchesAcrossRestarts) {
    ui::TfrmLXAMain &window = Start();
    window.UpdateCommands();
    EXPECT_FALSE(window.Command("actSearchHistory")->isEnabled());  // nothing searched yet
    for (int i = 0; i < 53; ++i)
        Find(window, "woord" + std::to_string(i));
    Find(window, "\u03C3\u03C0\u03AF\u03C4\u03B9");  // Greek: outside the pages' code page
    Find(window, " woord52 ");  // the same word once more, with blanks around it
    window.close();

    ui::TfrmLXAMain &again = Start();
    const std::vector<std::string> words = again.RecentSearches();
    ASSERT_EQ(words.size(), 50u);
    EXPECT_EQ(words[0], "woord52");
    EXPECT_EQ(words[1], "\u03C3\u03C0\u03AF\u03C4\u03B9");
    EXPECT_EQ(words[2], "woord51");
    EXPECT_EQ(words[49], "woord4");

    // Opened on request (Alt+Down) with the field's text kept; Escape closes the list only.
    again.SearchField()->setText("bezig");
    again.SearchField()->setFocus();
    again.UpdateCommands();
    Key(Qt::Key_Down, Qt::AltModifier);
    ui::THistoryPopup *list = again.HistoryPopup();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(list->count(), 50);
    EXPECT_EQ(list->item(1)->text().toStdString(), words[1]);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(Field(), "bezig");

    // Choosing a word searches it.
    const std::size_t searches = folder.Searches().size();
    again.Command("actSearchHistory")->trigger();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(Field(), words[2]);
    EXPECT_EQ(folder.Searches().size(), searches + 1);

    // Typing while it is open closes it and goes on in the field.
    again.Command("actSearchHistory")->trigger();
    QTest::keyClick(list, Qt::Key_X);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(Field(), words[2] + "x");
}

TEST_F(ReadingComfortTest, KeysReachTheSearchFieldAndTheDictionaries) {
    ui::TfrmLXAMain &window = Start();
    Find(window, "huis");
    for (const auto &[key, modifiers] :
         {std::pair{Qt::Key_L, Qt::ControlModifier}, std::pair{Qt::Key_F6, Qt::NoModifier}}) {
        Page().setFocus();
        Window().SearchField()->deselect();
        Key(key, modifiers);
        EXPECT_TRUE(window.SearchField()->hasFocus());
        EXPECT_EQ(window.SearchField()->selectedText(), "huis");
    }
    // Escape clears the field, and only there.
    Page().setFocus();
    Key(Qt::Key_Escape);
    EXPECT_EQ(Field(), "huis");
    window.SearchField()->setFocus();
    Key(Qt::Key_Escape);
    EXPECT_EQ(Field(), "");

    Key(Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(Book(), "en-nl");
    Key(Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(Book(), "nl-en");
    Key(Qt::Key_3, Qt::AltModifier);  // no third dictionary
    EXPECT_EQ(Book(), "nl-en");

    // F10 opens the File menu; Escape closes it again.
    Key(Qt::Key_F10);
    QMenu *open = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->objectName().toStdString(), "mniFile");
    ASSERT_NE(open->activeAction(), nullptr);
    EXPECT_EQ(open->activeAction()->objectName().toStdString(), "mniFileNewWindow");
    QTest::keyClick(open, Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(ReadingComfortTest, TheFindBarFindsInThePageAndStepsWithF3) {
    ui::TfrmLXAMain &window = Start();
    SetEntries({"huis", "huisje", "tuinhuis"});
    Find(window, "huis");
    Key(Qt::Key_F, Qt::ControlModifier);
    ui::TFindBar *bar = window.FindBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->Field()->hasFocus());
    QTest::keyClicks(bar->Field(), "HUIS");
    const int matches = int(Page().toPlainText().count("huis", Qt::CaseInsensitive));
    EXPECT_EQ(bar->MatchCount(), matches);
    std::vector<int> found = {Page().textCursor().selectionStart()};
    EXPECT_EQ(Page().textCursor().selectedText().toLower(), "huis");
    for (int i = 1; i < matches; ++i) {
        Key(Qt::Key_F3);
        found.push_back(Page().textCursor().selectionStart());
    }
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
    EXPECT_EQ(std::set<int>(found.begin(), found.end()).size(), std::size_t(matches));
    Key(Qt::Key_F3);  // round to the first again
    EXPECT_EQ(Page().textCursor().selectionStart(), found[0]);
    Key(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Page().textCursor().selectionStart(), found.back());

    QTest::keyClicks(bar->Field(), "zzz");
    EXPECT_EQ(bar->MatchCount(), 0);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(Page().hasFocus());
    EXPECT_TRUE(Page().extraSelections().isEmpty());
}

TEST_F(ReadingComfortTest, CopyArticlePutsTheWholePageAsTextAndHtml) {
    ui::TfrmLXAMain &window = Start();
    window.UpdateCommands();
    EXPECT_FALSE(window.Command("actCopyArticle")->isEnabled());
    SetEntries({"huis", "huisje"});
    Find(window, "huis");
    QApplication::clipboard()->clear();
    Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QMimeData *copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied->hasText());
    ASSERT_TRUE(copied->hasHtml());
    EXPECT_TRUE(copied->text().contains("huisje"));
    EXPECT_FALSE(copied->text().contains("<"));
    QTextDocument pasted;
    pasted.setHtml(copied->html());
    EXPECT_EQ(pasted.toPlainText().trimmed(), copied->text().trimmed());
    EXPECT_EQ(pasted.find("huisje").charFormat().foreground().color(), QColor(0x1f, 0x3f, 0x7f));
}

// Counts the pages of a PDF file by its page objects.
int PdfPages(const std::string &file) {
    std::ifstream in(file, std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::regex page(R"(/Type\s*/Page[^s])");
    return int(
        std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

TEST_F(ReadingComfortTest, CtrlPPrintsThroughTheDialogAlsoToPdf) {
    ui::TfrmLXAMain &window = Start();
    const auto print = [&](const std::string &file) {
        window.activateWindow();  // back from the previous dialog
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        // Answers the dialog once it runs: print to this PDF file.
        QTimer::singleShot(0, [file] {
            auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(QString::fromStdString(file));
            dialog->done(QDialog::Accepted);
        });
        QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
        return PdfPages(file);
    };
    const std::string shortPdf = folder.TempFolder() + "/kort.pdf";
    const std::string longPdf = folder.TempFolder() + "/lang.pdf";
    Find(window, "huis");
    EXPECT_EQ(print(shortPdf), 1);
    std::vector<std::string> many;
    for (int i = 0; i < 150; ++i)
        many.push_back("huis" + std::to_string(i));
    SetEntries(many);
    Find(window, "huis");
    window.Command("actZoomOut")->trigger();  // the screen's zoom does not change the print
    EXPECT_GE(print(longPdf), 2);
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(ReadingComfortTest, TheWindowKeepsItsSizeAndPlace) {
    ui::TfrmLXAMain &window = Start();
    const QSize designed = window.size();
    window.resize(designed + QSize(150, 90));
    window.move(140, 120);
    const QRect kept = window.geometry();
    window.close();
    ui::TfrmLXAMain &again = Start();
    EXPECT_EQ(again.geometry(), kept);
}

// Run by its own test at QT_SCALE_FACTOR=2: the toolbars' and the about box's pictures are
// drawn at twice their size, not stretched.
TEST_F(ReadingComfortTest, AtTwiceTheScaleThePicturesAreDrawnAtTwiceTheSize) {
    if (qApp->devicePixelRatio() < 2)
        GTEST_SKIP() << "runs at QT_SCALE_FACTOR=2";
    for (const char *picture : {"nl-en@2x.png", "nl-en_off@2x.png"})
        std::filesystem::copy_file(std::string(TK_IMGS_SOURCE) + "/" + picture,
                                   folder.Imgs + "/" + picture);
    ui::TfrmLXAMain &window = Start();
    for (const char *name : {"actOpenNewWindow", "actPronounceWord", "actHistoryBack",
                             "actHistoryForward", "actFindWord", "actSearchHistory"})
        EXPECT_TRUE(window.Command(name)->icon().availableSizes().contains(QSize(32, 32))) << name;
    const QIcon book = window.DictionaryCommands()[0]->icon();
    EXPECT_TRUE(book.availableSizes(QIcon::Normal).contains(QSize(32, 32)));
    EXPECT_TRUE(book.availableSizes(QIcon::Disabled).contains(QSize(32, 32)));
    const auto *logo = window.findChild<QLabel *>("imgLogo");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->pixmap().devicePixelRatio(), 2.0);
}

}  // namespace
