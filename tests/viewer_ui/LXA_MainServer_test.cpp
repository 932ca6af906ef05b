// The main window on a book of a DICT server (a fake one here): the selector marks it,
// Enter shows the server's definitions as a page when they arrive without the window
// waiting, a miss offers the words one letter away, and a server that fails gives its one
// Dutch line in the page and the status bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "UiTestSupport.h"
#include "books/user_books.h"
#include "dict_servers.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/finder/AllBooks.h"
#include "viewer/ui/AddDictionary.h"
#include "viewer/ui/AllBooksPage.h"
#include "viewer/ui/BlockHeader.h"
#include "viewer/ui/BookPicture.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/SelectBook.h"
#include "viewer/ui/ServerQuestions.h"
#include "viewer/ui/TypeAhead.h"

using namespace uitest;
using tk::test::FakeConnection;
using tk::test::FakeDictServer;

namespace {

class ServerBookTest : public ::testing::Test {
  protected:
    // A program book, and the server's book in the user's catalogue.
    void Start(std::uint16_t port,
               const std::string &book = "kw: fiets\ndir: nl-en\n<p>bicycle</p>\n") {
        folder.WriteCatalogue({"nl-en=1;Boek"});
        folder.AddBook("nl-en", "", false);
        folder.AddCompiledBook("nl-en", book);
        books::ServerBookRequest request;
        request.address = "dict://127.0.0.1:" + std::to_string(port) + "/fd-nld-eng";
        request.database = "fd-nld-eng";
        request.displayName = "Proefserver";
        request.direction = "nl-en";
        name = books::AddServerBook(books::UserShelfAt(folder.UserShelf), request).name;
        viewer = std::make_unique<TViewer>();
        Window().SelectBookByName(name);
    }
    ui::TfrmLXAMain &Window() const { return viewer->Main(); }
    std::string Page() const { return Window().Viewer()->toPlainText().toStdString(); }
    // Waits for the page to hold the text.
    bool Shows(const std::string &text) const {
        return QTest::qWaitFor([&] { return Page().find(text) != std::string::npos; }, 8000);
    }

    TProgramFolder folder;
    std::unique_ptr<TViewer> viewer;
    std::string name;
};

FakeDictServer::Script Dictionary(std::atomic<bool> &broken) {
    return [&broken](FakeConnection &c, const std::atomic<bool> &) {
        tk::test::Greet(c);
        for (std::string line = c.ReadLine(); !line.empty(); line = c.ReadLine()) {
            if (broken) {
                c.Send("150 1 definitions retrieved\r\n151 \"huis\" fd-nld-eng \"NE\"\r\nhou");
                return;
            }
            if (line == "DEFINE fd-nld-eng \"huis\"")
                c.Send(
                    "150 1 definitions retrieved\r\n151 \"huis\" fd-nld-eng \"NE\"\r\nhuis "
                    "/h\xC5\x93ys/\r\n  1. {house}\r\n\r\n  2. family\r\n.\r\n250 ok\r\n");
            else if (line == "SHOW STRAT")
                c.Send(
                    "111 2 strategies present\r\nlev \"one letter\"\r\nre \"POSIX\"\r\n.\r\n"
                    "250 ok\r\n");
            else if (line.rfind("MATCH fd-nld-eng re \"^hui", 0) == 0)
                c.Send(
                    "152 2 matches found\r\nfd-nld-eng \"huid\"\r\nfd-nld-eng \"huis\"\r\n.\r\n"
                    "250 ok\r\n");
            else if (line == "MATCH fd-nld-eng prefix \"hu\"")
                c.Send(
                    "152 2 matches found\r\nfd-nld-eng \"huid\"\r\nfd-nld-eng \"huis\"\r\n.\r\n"
                    "250 ok\r\n");
            else if (line == "MATCH fd-nld-eng lev \"huus\"")
                c.Send(
                    "152 2 matches found\r\nfd-nld-eng \"huis\"\r\nfd-nld-eng \"heus\"\r\n.\r\n"
                    "250 ok\r\n");
            else
                c.Send("552 no match\r\n");
        }
    };
}

TEST_F(ServerBookTest, TheServersDefinitionsAreShownWhenTheyArrive) {
    std::atomic<bool> broken{false};
    FakeDictServer server(Dictionary(broken));
    Start(server.Port());
    ASSERT_NE(viewer->Data.CurrentBook, nullptr);
    EXPECT_EQ(viewer->Data.CurrentBook->Name, name);
    ui::TSelectBook *command = nullptr;
    for (ui::TSelectBook *book : Window().DictionaryCommands())
        if (book->text() == QStringLiteral("Proefserver"))
            command = book;
    ASSERT_NE(command, nullptr);
    Window().UpdateCommands();
    EXPECT_TRUE(command->isEnabled());

    Find(Window(), "huis");
    ASSERT_TRUE(Shows("1. house")) << Page();
    EXPECT_NE(Page().find("huis /h\xC5\x93ys/"), std::string::npos);
    EXPECT_NE(Page().find("2. family"), std::string::npos);
    EXPECT_NE(Window().Viewer()->toHtml().toStdString().find("zoek:house"), std::string::npos);
    EXPECT_EQ(Window().StatusText().toStdString(), "Er is 1 trefwoord gevonden.");

    Find(Window(), "huus");
    ASSERT_TRUE(Shows("Bedoelde u:")) << Page();
    EXPECT_NE(Page().find("Het woord 'huus' kan niet worden gevonden."), std::string::npos);
    EXPECT_NE(Page().find("heus"), std::string::npos);

    // A pattern lists the headwords the server's regular expressions match, as links.
    Find(Window(), "hui?");
    ASSERT_TRUE(Shows("2 trefwoorden passen bij 'hui?'.")) << Page();
    EXPECT_EQ(Window().StatusText().toStdString(), "2 trefwoorden passen bij 'hui?'.");
    EXPECT_NE(Window().Viewer()->toHtml().toStdString().find("zoek:huid"), std::string::npos);
    Find(Window(), "hui[s");
    ASSERT_TRUE(Shows("Het patroon 'hui[s' klopt niet")) << Page();
}

TEST_F(ServerBookTest, TheServerBookIsTheNextStartsBookAsAnyOther) {
    std::atomic<bool> broken{false};
    FakeDictServer server(Dictionary(broken));
    Start(server.Port());
    viewer.reset();
    viewer = std::make_unique<TViewer>();
    ASSERT_NE(viewer->Data.CurrentBook, nullptr);
    EXPECT_EQ(viewer->Data.CurrentBook->Name, name);
    Find(Window(), "huis");
    EXPECT_TRUE(Shows("1. house")) << Page();
}

TEST_F(ServerBookTest, AServerThatBreaksOffGivesOneDutchLine) {
    std::atomic<bool> broken{true};
    FakeDictServer server(Dictionary(broken));
    Start(server.Port());
    Find(Window(), "huis");
    ASSERT_TRUE(Shows("De server 127.0.0.1 antwoordt niet.")) << Page();
    EXPECT_EQ(Window().StatusText().toStdString(), "De server 127.0.0.1 antwoordt niet.");
    EXPECT_EQ(Page().find("hou"), std::string::npos);
    // The same server mended: the next search is answered.
    broken = false;
    Find(Window(), "huis");
    EXPECT_TRUE(Shows("1. house")) << Page();
}

// A server that answers a DEFINE only once the test opens the gate, and breaks off while
// it is broken.
FakeDictServer::Script GatedDictionary(std::atomic<bool> &gate, std::atomic<bool> &broken) {
    return [&gate, &broken](FakeConnection &c, const std::atomic<bool> &stopping) {
        tk::test::Greet(c);
        for (std::string line = c.ReadLine(); !stopping; line = c.ReadLine()) {
            if (line.empty())
                continue;
            while (!gate && !stopping)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (broken) {
                c.Send("150 1 definitions retrieved\r\n151 \"huis\" fd-nld-eng \"NE\"\r\nhou");
                return;
            }
            const auto define = [&](const char *word, const char *text) {
                c.Send(std::string("150 1 definitions retrieved\r\n151 \"") + word +
                       "\" fd-nld-eng \"NE\"\r\n" + text + "\r\n.\r\n250 ok\r\n");
            };
            if (line == "DEFINE fd-nld-eng \"huis\"")
                define("huis", "huis: 1. {house}");
            else if (line == "DEFINE fd-nld-eng \"boom\"")
                define("boom", "boom: tree");
            else if (line == "DEFINE fd-nld-eng \"liep\"")
                define("liep", "liep: walked");
            else
                c.Send("552 no match\r\n");
        }
    };
}

TEST_F(ServerBookTest, AServerBookJoinsEveryBookWhenItsAnswerArrives) {
    std::atomic<bool> gate{false}, broken{false};
    FakeDictServer server(GatedDictionary(gate, broken));
    Start(server.Port(), "kw: huis\n<p>house here</p>\n\nkw: lopen\n<p>to walk</p>\n");
    Window().ChooseBooks("*");
    ASSERT_EQ(Window().ChoiceKey(), "*");
    ui::TAllBooksPage &page = *Window().AllBooksPage();
    const auto headers = [&] {
        std::vector<QStringList> all;
        for (int i = 0; i < page.BlockCount(); ++i)
            all.push_back(page.Header(i)->Books());
        return all;
    };
    const auto answered = [&](int blocks) {
        return QTest::qWaitFor(
            [&] { return Window().AllBooksPending() == 0 && page.BlockCount() == blocks; }, 8000);
    };
    // The local book at once, while the server still holds its answer.
    Find(Window(), "huis");
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.BlockCount() == 1; }, 8000));
    EXPECT_EQ(Window().AllBooksPending(), 1);
    EXPECT_EQ(headers(), (std::vector<QStringList>{{"Boek"}}));
    gate = true;
    // Of equal rank, after the local book.
    ASSERT_TRUE(answered(2));
    EXPECT_EQ(headers(), (std::vector<QStringList>{{"Boek"}, {"Proefserver"}}));
    EXPECT_TRUE(page.Display(1)->toPlainText().contains(QStringLiteral("1. house")));
    EXPECT_EQ(Window().StatusText(),
              QStringLiteral("Gevonden in 2 woordenboeken (2 trefwoorden)."));
    // The server's exact headword before the local book's base form.
    Find(Window(), "liep");
    ASSERT_TRUE(answered(2));
    EXPECT_EQ(headers(), (std::vector<QStringList>{{"Proefserver"}, {"Boek"}}));

    // An answer to a search made stale is dropped.
    gate = false;
    Find(Window(), "boom");
    QTest::qWait(100);
    Find(Window(), "fiets");
    gate = true;
    ASSERT_TRUE(answered(0));
    QTest::qWait(100);
    EXPECT_EQ(page.BlockCount(), 0);
    EXPECT_EQ(Window().StatusText(), QStringLiteral("Het woord 'fiets' kan niet worden gevonden."));

    // A failing server: its one line in its block, the local book as ever.
    broken = true;
    Find(Window(), "lopen");
    ASSERT_TRUE(answered(2));
    EXPECT_EQ(headers(), (std::vector<QStringList>{{"Boek"}, {"Proefserver"}}));
    auto *notice = page.findChild<QLabel *>(QStringLiteral("lblBlockNotice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), QStringLiteral("De server 127.0.0.1 antwoordt niet."));
}

TEST_F(ServerBookTest, AServerBookAmongTheChosenListsPatternsNearWordsTypeAheadAndPopup) {
    std::atomic<bool> broken{false};
    FakeDictServer server(Dictionary(broken));
    Start(server.Port(), "kw: huif\n<p>hood</p>\n\nkw: hut\n<p>hut</p>\n");
    Window().ChooseBooks("*");
    ui::TAllBooksPage &page = *Window().AllBooksPage();
    const auto answered = [&](int blocks) {
        return QTest::qWaitFor(
            [&] { return Window().AllBooksPending() == 0 && page.BlockCount() == blocks; }, 8000);
    };
    // A pattern: the local book's keys and the server's matches, each in its book's block.
    Find(Window(), "hui?");
    ASSERT_TRUE(answered(2));
    EXPECT_EQ(page.Header(0)->Books(), QStringList{"Boek"});
    EXPECT_EQ(page.Header(1)->Books(), QStringList{"Proefserver"});
    EXPECT_TRUE(page.Display(1)->toPlainText().contains(QStringLiteral("huid")));
    EXPECT_EQ(Window().StatusText(), QStringLiteral("3 trefwoorden passen bij 'hui?'."));

    // Found nowhere: the server's words one letter away join the local book's.
    Find(Window(), "huus");
    const auto note = [&] {
        auto *shown = page.findChild<display::THtmlViewer *>(QStringLiteral("FONoteViewer"));
        return shown != nullptr ? shown->toPlainText().toStdString() : std::string();
    };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Window().AllBooksPending() == 0 && note().find("heus") != std::string::npos; },
        8000))
        << note();
    EXPECT_NE(note().find("Proefserver"), std::string::npos) << note();
    EXPECT_NE(note().find("hut"), std::string::npos) << note();

    // The type-ahead list: the local headwords at once, the server's added in order.
    Window().show();
    QApplication::setActiveWindow(&Window());
    QLineEdit *field = Window().SearchField();
    field->clear();
    field->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 2000));
    QTest::keyClicks(field, "hu");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window().TypeAhead()->Words().size() == 4; }, 8000))
        << Window().TypeAhead()->Words().join(' ').toStdString();
    EXPECT_EQ(Window().TypeAhead()->Words(), (QStringList{"huid", "huif", "huis", "hut"}));
    Window().HideTypeAhead();

    // The popup's page: the server's block once it has arrived, and the popup asked again.
    QSignalSpy grew(&Window(), &ui::TfrmLXAMain::WordFinderGrew);
    EXPECT_TRUE(Window().LookupPage(QStringLiteral("huis")).Answers.empty());
    ui::TLookupPage again;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !(again = Window().LookupPage(QStringLiteral("huis"))).Answers.empty(); },
        8000));
    EXPECT_GE(grew.count(), 1);
    ASSERT_EQ(again.Answers.size(), 1u);
    EXPECT_EQ(again.Answers.front()->Book->DisplayName, "Proefserver");
    EXPECT_EQ(again.Status, QStringLiteral("Gevonden in 1 woordenboek (1 trefwoord)."));

    // A miss in the popup: its "Bedoelde u:" takes the server's near words with the local
    // book's, as they arrive.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::string shown = Window().LookupPage(QStringLiteral("huus")).Note;
            return shown.find("heus") != std::string::npos &&
                   shown.find("hut") != std::string::npos;
        },
        8000))
        << Window().LookupPage(QStringLiteral("huus")).Note;
}

TEST_F(ServerBookTest, TypeAheadListsTheServersWordsWhenTheyArrive) {
    std::atomic<bool> gate{false};
    std::atomic<int> asked{0};
    FakeDictServer server([&](FakeConnection &c, const std::atomic<bool> &stopping) {
        tk::test::Greet(c);
        for (std::string line = c.ReadLine(); !stopping; line = c.ReadLine()) {
            if (line.empty())
                continue;
            ++asked;
            while (!gate && !stopping)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (line == "MATCH fd-nld-eng prefix \"h\"")
                c.Send("152 1 matches found\r\nfd-nld-eng \"haas\"\r\n.\r\n250 ok\r\n");
            else if (line == "MATCH fd-nld-eng prefix \"hu\"")
                c.Send(
                    "152 2 matches found\r\nfd-nld-eng \"huid\"\r\nfd-nld-eng \"huis\"\r\n.\r\n"
                    "250 ok\r\n");
            else if (line == "MATCH fd-nld-eng prefix \"hux\"")
                c.Send("152 1 matches found\r\nfd-nld-eng \"huxley\"\r\n.\r\n250 ok\r\n");
            else
                c.Send("552 no match\r\n");
        }
    });
    Start(server.Port());
    Window().show();
    QApplication::setActiveWindow(&Window());
    QLineEdit *field = Window().SearchField();
    field->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 2000));
    // Keystrokes while the server holds its answer: the window goes on, the list waits, and
    // each keystroke's request takes the place of the one waiting.
    QTest::keyClicks(field, "h");
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked == 1; }, 4000));
    QTest::keyClicks(field, "ui");
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_FALSE(Window().TypeAhead()->IsOpen());
    gate = true;
    // The answer to "h" comes back after newer keystrokes: dropped.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window().TypeAhead()->IsOpen(); }, 8000));
    EXPECT_EQ(Window().TypeAhead()->Words(), (QStringList{"huid", "huis"}));
    QTest::qWait(100);
    EXPECT_EQ(asked, 2);
    // A search made meanwhile keeps a late list closed.
    gate = false;
    QTest::keyClicks(field, "x");
    QTest::keyClick(field, Qt::Key_Return);
    gate = true;
    QTest::qWait(300);
    EXPECT_FALSE(Window().TypeAhead()->IsOpen());
}

TEST(ServerAddTest, ServerToevoegenAddsTheServersBooks) {
    std::atomic<bool> broken{false};
    FakeDictServer server([&](FakeConnection &c, const std::atomic<bool> &stopping) {
        tk::test::Greet(c);
        if (c.ReadLine() == "SHOW DB")
            c.Send(
                "110 2 databases present\r\nfd-nld-eng \"Proefserver NE\"\r\nfd-eng-nld "
                "\"Proefserver EN\"\r\n.\r\n250 ok\r\n");
        c.WaitForClose(stopping);
    });
    TProgramFolder folder;
    folder.WriteCatalogue({"nl-en=1;Boek"});
    folder.AddBook("nl-en", "", false);
    folder.AddCompiledBook("nl-en", "kw: fiets\ndir: nl-en\n<p>bicycle</p>\n");
    const std::string address = "dict://127.0.0.1:" + std::to_string(server.Port());
    const ui::TDictionaryPrompt previous = ui::SetDictionaryPrompt([&](QWidget *) {
        return ui::TDictionaryChoice{QString::fromStdString(address), QString()};
    });
    // Both names tell their direction: nothing is asked.
    int asked = 0;
    const ui::TDirectionPrompt previousDirection =
        ui::SetDirectionPrompt([&](QWidget *, const ui::TDirectionQuestion &) {
            ++asked;
            return std::optional<std::string>();
        });
    {
        TDialogRecorder dialogs;
        TViewer viewer;
        ui::TfrmLXAMain &window = viewer.Main();
        window.UpdateCommands();
        window.Command("actAddServer")->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.AddingDictionary(); }, 20000));
        EXPECT_EQ(asked, 0);
        // Every book is named, not only the first.
        ASSERT_EQ(dialogs.Shown.size(), 1u);
        EXPECT_EQ(dialogs.Shown[0].Text,
                  "De woordenboeken 'Proefserver NE' en 'Proefserver EN' zijn toegevoegd.");
        QStringList captions;
        for (ui::TSelectBook *book : window.DictionaryCommands())
            captions << book->text();
        EXPECT_TRUE(captions.contains(QStringLiteral("Proefserver NE")))
            << captions.join(",").toStdString();
        EXPECT_TRUE(captions.contains(QStringLiteral("Proefserver EN")));
        ASSERT_NE(viewer.Data.CurrentBook, nullptr);
        EXPECT_EQ(viewer.Data.CurrentBook->ServerAddress, address + "/fd-nld-eng");
        EXPECT_EQ(viewer.Data.CurrentBook->Name.rfind("nl-en-", 0), 0u);
    }
    ui::SetDirectionPrompt(previousDirection);
    ui::SetDictionaryPrompt(previous);
}

// A database whose name tells no direction is asked for it once added, each one; the answer
// renames the book before the window lists it, so that it joins its language's group at
// once, and "Later" keeps it as it is.
TEST(ServerAddTest, TheDirectionOfABookWhoseNameDoesNotTellItIsAsked) {
    FakeDictServer server([&](FakeConnection &c, const std::atomic<bool> &stopping) {
        tk::test::Greet(c);
        if (c.ReadLine() == "SHOW DB")
            c.Send(
                "110 2 databases present\r\njargon \"Jargon File\"\r\nwn \"WordNet\"\r\n.\r\n"
                "250 ok\r\n");
        c.WaitForClose(stopping);
    });
    TProgramFolder folder;
    folder.WriteCatalogue({"nl-en=1;Boek"});
    folder.AddBook("nl-en", "", false);
    folder.AddCompiledBook("nl-en", "kw: fiets\ndir: nl-en\n<p>bicycle</p>\n");
    const std::string address = "dict://127.0.0.1:" + std::to_string(server.Port());
    const ui::TDictionaryPrompt previous = ui::SetDictionaryPrompt([&](QWidget *) {
        return ui::TDictionaryChoice{QString::fromStdString(address), QString()};
    });
    std::vector<std::pair<std::string, QString>> asked;
    const ui::TDirectionPrompt previousDirection =
        ui::SetDirectionPrompt([&](QWidget *, const ui::TDirectionQuestion &question) {
            asked.emplace_back(question.Name, question.DisplayName);
            return question.Name == "jargon" ? std::optional<std::string>("nl") : std::nullopt;
        });
    {
        TDialogRecorder dialogs;
        TViewer viewer;
        ui::TfrmLXAMain &window = viewer.Main();
        QStringList choices;
        for (const ui::TCommand *choice : window.ChoiceCommands())
            choices << choice->text();
        EXPECT_FALSE(choices.contains(QStringLiteral("Alle uit het Nederlands")));
        window.UpdateCommands();
        window.Command("actAddServer")->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.AddingDictionary(); }, 20000));
        ASSERT_EQ(asked.size(), 2u);
        EXPECT_EQ(asked[0], std::make_pair(std::string("jargon"), QStringLiteral("Jargon File")));
        EXPECT_EQ(asked[1], std::make_pair(std::string("wn"), QStringLiteral("WordNet")));
        // The first book, by its new name, is the current one.
        ASSERT_NE(viewer.Data.CurrentBook, nullptr);
        EXPECT_EQ(viewer.Data.CurrentBook->Name, "nl-jargon");
        EXPECT_EQ(viewer.Data.CurrentBook->ServerAddress, address + "/jargon");
        QStringList captions;
        for (ui::TSelectBook *book : window.DictionaryCommands())
            captions << QString::fromStdString(book->Book()->Name);
        EXPECT_EQ(captions, (QStringList{"nl-en", "nl-jargon", "wn"}));
        choices.clear();
        for (const ui::TCommand *choice : window.ChoiceCommands())
            choices << choice->text();
        EXPECT_TRUE(choices.contains(QStringLiteral("Alle uit het Nederlands")))
            << choices.join(",").toStdString();
        std::vector<std::string> mine;
        for (const books::CatalogueEntry &book :
             books::ReadCatalogue(books::UserShelfAt(folder.UserShelf).catalogue))
            mine.push_back(book.name);
        EXPECT_EQ(mine, (std::vector<std::string>{"nl-jargon", "wn"}));
    }
    ui::SetDirectionPrompt(previousDirection);
    ui::SetDictionaryPrompt(previous);
}

// Adding from a server that never answers: "Annuleren" ends the wait at once (the user's
// timeout is a minute here), says nothing more and adds nothing.
TEST(ServerAddTest, CancellingTheAddWaitsForNoServer) {
    FakeDictServer server([&](FakeConnection &c, const std::atomic<bool> &stopping) {
        c.WaitForClose(stopping);  // not even a greeting
    });
    TProgramFolder folder;
    folder.WriteCatalogue({"nl-en=1;Boek"});
    folder.AddBook("nl-en", "", false);
    folder.AddCompiledBook("nl-en", "kw: fiets\ndir: nl-en\n<p>bicycle</p>\n");
    const books::UserShelf shelf = books::UserShelfAt(folder.UserShelf);
    books::SetServerReplyTimeout(shelf, 60);
    const std::string catalogue = books::CatalogueText(shelf.catalogue);
    const std::string address = "dict://127.0.0.1:" + std::to_string(server.Port());
    const ui::TDictionaryPrompt previous = ui::SetDictionaryPrompt([&](QWidget *) {
        return ui::TDictionaryChoice{QString::fromStdString(address), QString()};
    });
    {
        TDialogRecorder dialogs;
        TViewer viewer;
        ui::TfrmLXAMain &window = viewer.Main();
        window.UpdateCommands();
        window.Command("actAddServer")->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.Connections() > 0; }, 5000));
        QTest::qWait(200);
        auto *progress = window.findChild<QProgressDialog *>();
        ASSERT_NE(progress, nullptr);
        const auto start = std::chrono::steady_clock::now();
        emit progress->canceled();  // as its button does
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.AddingDictionary(); }, 5000));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_TRUE(dialogs.Shown.empty());
        EXPECT_EQ(books::CatalogueText(shelf.catalogue), catalogue);
    }
    ui::SetDictionaryPrompt(previous);
}

// The dialog itself: the languages by their Dutch names, one for a book of one language,
// its fields named for a screen reader and reached by their letters.
TEST(DirectionDialogTest, GivesTheDirectionTheFieldsSay) {
    ui::TDirectionDialog dialog(nullptr, {"jargon", QStringLiteral("Jargon File")});
    EXPECT_EQ(dialog.Source()->accessibleName(), QStringLiteral("Brontaal"));
    EXPECT_EQ(dialog.Target()->accessibleName(), QStringLiteral("Doeltaal"));
    QStringList buddies;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        if (label->buddy() == dialog.Source() || label->buddy() == dialog.Target())
            buddies << label->text();
    EXPECT_EQ(buddies, (QStringList{"&Brontaal:", "&Doeltaal:"}));
    dialog.Source()->setCurrentIndex(dialog.Source()->findText(QStringLiteral("Duits")));
    dialog.Target()->setCurrentIndex(dialog.Target()->findText(QStringLiteral("Frans")));
    EXPECT_EQ(dialog.Direction(), "de-fr");
    dialog.Target()->setCurrentIndex(0);  // none: one language
    EXPECT_EQ(dialog.Direction(), "de");
    dialog.Target()->setCurrentIndex(dialog.Target()->findText(QStringLiteral("Duits")));
    EXPECT_EQ(dialog.Direction(), "de");
    EXPECT_EQ(dialog.Source()->findText(QStringLiteral("Nederlands")) >= 0, true);
    // Escape is "Later".
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// The real question of the timeout: whole seconds within the setting's bounds, from the
// value now, its field named for a screen reader.
TEST(ServerTimeoutDialogTest, AsksForSecondsWithinTheBounds) {
    int low = 0, high = 0, shown = 0;
    QString name;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto *seconds = dialog->findChild<QSpinBox *>();
        ASSERT_NE(seconds, nullptr);
        low = seconds->minimum();
        high = seconds->maximum();
        shown = seconds->value();
        name = seconds->accessibleName();
        seconds->setValue(9);
        dialog->accept();
    });
    EXPECT_EQ(ui::AskForServerTimeout(nullptr, 7), 9);
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 60);
    EXPECT_EQ(shown, 7);
    EXPECT_EQ(name, QStringLiteral("Wachttijd in seconden"));
    QTimer::singleShot(0, [] {
        if (QWidget *dialog = QApplication::activeModalWidget())
            QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(ui::AskForServerTimeout(nullptr, 7), std::nullopt);
}

// "Wachttijd van servers": the user's setting, asked from its value, kept in the user's
// catalogue, and held by the window's lookups from then on; closing the window meanwhile
// waits for no server.
TEST_F(ServerBookTest, TheReplyTimeoutIsSetFromTheMenu) {
    FakeDictServer server([](FakeConnection &c, const std::atomic<bool> &stopping) {
        tk::test::Greet(c);
        c.WaitForClose(stopping);  // never answers a request
    });
    const books::UserShelf shelf = books::UserShelfAt(folder.UserShelf);
    books::SetServerReplyTimeout(shelf, 60);
    Start(server.Port());
    int offered = 0;
    std::optional<int> answer;
    const ui::TTimeoutPrompt previous = ui::SetServerTimeoutPrompt([&](QWidget *, int current) {
        offered = current;
        return answer;
    });
    Window().UpdateCommands();
    ASSERT_TRUE(Window().Command("actServerTimeout")->isEnabled());
    Window().Command("actServerTimeout")->trigger();  // cancelled
    EXPECT_EQ(offered, 60);
    EXPECT_EQ(books::ServerReplyTimeout(shelf), 60);
    answer = 1;
    Window().Command("actServerTimeout")->trigger();
    EXPECT_EQ(books::ServerReplyTimeout(shelf), 1);
    Find(Window(), "huis");
    EXPECT_TRUE(Shows("De server 127.0.0.1 antwoordt niet.")) << Page();

    // Back to a minute; the window closes in the middle of a request all the same.
    answer = 60;
    Window().Command("actServerTimeout")->trigger();
    Find(Window(), "boom");
    QTest::qWait(300);
    const auto start = std::chrono::steady_clock::now();
    viewer.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ui::SetServerTimeoutPrompt(previous);
}

TEST(ServerMarkTest, TheMarkChangesOnlyTheLowerRightCorner) {
    const QImage plain = ui::InitialsPicture("nl-en-fd", QStringLiteral("Proefserver"));
    const QImage marked = ui::WithServerMark(plain);
    ASSERT_EQ(marked.size(), plain.size());
    int changed = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (plain.pixel(x, y) != marked.pixel(x, y)) {
                ++changed;
                EXPECT_TRUE(x >= plain.width() / 2 && y >= plain.height() / 2) << x << "," << y;
            }
    EXPECT_GT(changed, 8);
    // The key colour the image lists make transparent is where it was.
    EXPECT_EQ(marked.pixel(0, marked.height() - 1), plain.pixel(0, plain.height() - 1));
}

}  // namespace
