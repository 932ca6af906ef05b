#include "viewer/core/LXA_Books.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <filesystem>
#include <fstream>

#include "CoreTestSupport.h"
#include "books/user_books.h"
#include "dict_files.h"
#include "viewer/core/LXA_Exceptions.h"
#include "viewer/core/LXA_Images.h"
#include "viewer/core/Screen.h"

namespace {

class BooksTest : public ::testing::Test {
  protected:
    // The windows make a book's icon; here a stand-in keeps the images it is given.
    void SetUp() override {
        previous = SetScreen({.MakeIcon = [this](const std::vector<QImage> &images) {
            iconImages = images;
            return QIcon(QPixmap::fromImage(images.front()));
        }});
    }
    void TearDown() override { SetScreen(previous); }

    TLXABooks Load() { return TLXABooks(paths); }
    void Picture(const std::string &relative, QRgb corner) const {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(qRgb(10, 20, 30));
        image.setPixel(0, 3, corner);
        const char *format = relative.ends_with(".ico") ? "ICO" : "BMP";
        ASSERT_TRUE(image.save(QString::fromStdString(folder.Dir + "/" + relative), format));
    }

    coretest::ProgramFolder folder;
    coretest::DialogRecorder dialogs;
    TRPaths paths = ComputePaths(folder.Dir + "/tkviewer");
    TScreen previous;
    std::vector<QImage> iconImages;
};

TEST_F(BooksTest, TheBookListGivesNamesFlagsAndDisplayNamesInFileOrder) {
    folder.Write("data/dict.cfg",
                 "[Version]\r\nversion = $10\r\n[Application]\r\nregkey=Software\\Morvelt\\Tk\r\n"
                 "[dictionaries]\r\n"
                 "nl=1;Nederlands\r\nfr=Frans\r\nleeg=1;\r\ntwee=2;X\r\nblank=1 ;X\r\n"
                 "semi=0;a;b\r\nnothing=\r\nNL=1;Tweede keer\r\n");
    const TLXABooks books = Load();
    EXPECT_EQ(books.Version, 16);
    EXPECT_EQ(paths.RegKey, "Software\\Morvelt\\Tk");
    ASSERT_EQ(books.Count(), 6);
    const char *names[] = {"nl", "fr", "leeg", "twee", "blank", "semi"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(books.NameAt(i), names[i]);
    struct Expect {
        const char *name;
        bool listed;
        const char *display;
    };
    for (const Expect &e :
         {Expect{"nl", true, "Nederlands"}, Expect{"fr", false, "Frans"}, Expect{"leeg", true, ""},
          Expect{"twee", false, "X"}, Expect{"blank", false, "X"}, Expect{"semi", false, "a;b"}}) {
        SCOPED_TRACE(e.name);
        const TLXABook *book = books.FindBook(e.name);
        ASSERT_NE(book, nullptr);
        EXPECT_EQ(book->Listed, e.listed);
        EXPECT_EQ(book->DisplayName, e.display);
    }
    EXPECT_EQ(books.FindBook("NL"), books.FindBook("nl"));
    EXPECT_EQ(books.FindBook("nothing"), nullptr);
    EXPECT_EQ(books.FindBook("onbekend"), nullptr);
}

// dict.cfg and the .def files are edited by hand: UTF-8 when they are valid UTF-8 (with or
// without a byte-order mark), else Windows-1252; a value loses one pair of matching quotes.
TEST_F(BooksTest, UserEditedFilesReadAsUtf8ElseWindows1252AndLoseOnePairOfQuotes) {
    folder.Write("data/dict.cfg",
                 "\xEF\xBB\xBF[dictionaries]\r\n"
                 "nl=\"1;Nederlands-Engels\"\r\n"
                 "fr = '0;Fran\xC3\xA7"
                 "ais' \r\n"
                 "ru=1;\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9\r\n"
                 "\xC3\xA9-nl=1;\"Eerste\" en \"tweede\"\r\n"
                 "half=\"1;Open\r\n"
                 "twice=\"\"1;Twee\"\"\r\n");
    folder.AddBook("nl", "[dictionary]\nstylesheet=\"mijn stijl.css\"\n");
    const TLXABooks books = Load();
    ASSERT_EQ(books.Count(), 6);
    struct Expect {
        const char *name;
        bool listed;
        const char *display;
    };
    for (const Expect &e :
         {Expect{"nl", true, "Nederlands-Engels"},
          Expect{"fr", false,
                 "Fran\xC3\xA7"
                 "ais"},
          Expect{"ru", true, "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9"},
          Expect{"\xC3\xA9-nl", true, "\"Eerste\" en \"tweede\""}, Expect{"half", false, "Open"},
          Expect{"twice", false, "Twee\""}}) {
        SCOPED_TRACE(e.name);
        const TLXABook *book = books.FindBook(e.name);
        ASSERT_NE(book, nullptr);
        EXPECT_EQ(book->Listed, e.listed);
        EXPECT_EQ(book->DisplayName, e.display);
    }
    EXPECT_EQ(books.FindBook("nl")->Stylesheet, "mijn stijl.css");
    // Names compare without regard to case beyond ASCII too.
    EXPECT_EQ(books.FindBook("\xC3\x89-NL"), books.FindBook("\xC3\xA9-nl"));
    EXPECT_EQ(books.FindBook("RU"), books.FindBook("ru"));

    // A file a Windows-1252 editor saved: not UTF-8, so each byte is its character.
    folder.Write("data/dict.cfg",
                 "[dictionaries]\nfr=1;Fran\xE7"
                 "ais \x80\n");
    folder.AddBook("fr",
                   "[dictionary]\nstylesheet=fran\xE7"
                   "ais.css\n");
    const TLXABooks old = Load();
    EXPECT_EQ(old.FindBook("fr")->DisplayName,
              "Fran\xC3\xA7"
              "ais \xE2\x82\xAC");
    EXPECT_EQ(old.FindBook("fr")->Stylesheet,
              "fran\xC3\xA7"
              "ais.css");
}

// A lone CR ends a line as LF and CR LF do (old editors save so): no name or value read
// from the catalogue or a book's settings holds a line break.
TEST_F(BooksTest, ALoneCarriageReturnEndsALine) {
    folder.Write("data/dict.cfg",
                 "[dictionaries]\rnl=1;Nederlands\rfr=0;Frans\r\n\n"
                 "[application]\rregkey=Software\\K\r");
    folder.AddBook("nl", "[dictionary]\rstylesheet=nl.css\rfluency=1\r\rfluencyfld=5\r");
    const TLXABooks books = Load();
    ASSERT_EQ(books.Count(), 2);
    const TLXABook &nl = *books.FindBook("nl");
    EXPECT_EQ(nl.DisplayName, "Nederlands");
    EXPECT_EQ(nl.Stylesheet, "nl.css");
    EXPECT_TRUE(nl.Fluency);
    EXPECT_EQ(nl.FluencyFld, 5);
    ASSERT_NE(books.FindBook("fr"), nullptr);
    EXPECT_EQ(books.FindBook("fr")->DisplayName, "Frans");
    EXPECT_EQ(paths.RegKey, "Software\\K");
}

TEST_F(BooksTest, NameAtOutsideTheListRaisesWithTheIndex) {
    folder.Write("data/dict.cfg", "[dictionaries]\nnl=1;Nederlands\n");
    const TLXABooks books = Load();
    for (std::int32_t index : {-1, books.Count()}) {
        try {
            books.NameAt(index);
            FAIL() << "no exception for " << index;
        } catch (const ELXABooks &e) {
            EXPECT_EQ(std::string(e.what()),
                      "Ongeldig selectie in lijst van boeken, er is geen boek met indexnummer " +
                          std::to_string(index) + ".");
            EXPECT_EQ(e.Group, 3);
            EXPECT_EQ(e.Number, 1);
        }
    }
}

TEST_F(BooksTest, AMissingConfigurationIsReportedThenAbortsSilently) {
    folder.Write("data/dict.cfg", "[dictionaries]\n");
    EXPECT_EQ(Load().Count(), 0);
    EXPECT_TRUE(dialogs.Shown.empty());
    std::filesystem::remove(folder.Data + "/dict.cfg");
    EXPECT_THROW(Load(), EAbort);
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Text, "Het bestand '" + folder.Data + "/dict.cfg' ontbreekt.");
    EXPECT_EQ(dialogs.Shown[0].Group, 1);
    EXPECT_EQ(dialogs.Shown[0].Number, 2);
}

TEST_F(BooksTest, SettingsFileFieldsAndTheirDefaults) {
    folder.Write("data/dict.cfg",
                 "[dictionaries]\nplain=1;P\nspeak=1;S\nmute=1;M\nbare=1;B\nhex=1;H\n");
    folder.AddBook("plain", "[dictionary]\n");
    folder.AddBook("speak", "[Dictionary]\n Fluency = 1 \n[compldictionary]\ndictionary=en\n");
    folder.AddBook("mute", "[dictionary]\nfluency=0\nfluencyfld=2\nstylesheet=mute.css\n");
    folder.Write("data/bare.idx", "");
    folder.AddBook("hex", "[dictionary]\nfluency=0x1\nfluencyfld=vijf\n");
    const TLXABooks books = Load();

    const TLXABook &plain = *books.FindBook("plain");
    EXPECT_TRUE(plain.Installed);
    EXPECT_FALSE(plain.Fluency);
    EXPECT_EQ(plain.FluencyFld, -1);
    EXPECT_EQ(plain.Stylesheet, "dict.css");
    EXPECT_EQ(plain.ComplDictionary, "plain");
    ASSERT_NE(plain.Icon, nullptr);
    EXPECT_TRUE(plain.Icon->isNull());

    const TLXABook &speak = *books.FindBook("speak");
    EXPECT_TRUE(speak.Fluency);
    EXPECT_EQ(speak.FluencyFld, 4);
    EXPECT_EQ(speak.ComplDictionary, "en");

    const TLXABook &mute = *books.FindBook("mute");
    EXPECT_EQ(mute.FluencyFld, -1);
    EXPECT_EQ(mute.Stylesheet, "mute.css");

    // Without ".def": not installed, no settings, no icon.
    const TLXABook &bare = *books.FindBook("bare");
    EXPECT_FALSE(bare.Installed);
    EXPECT_FALSE(bare.Fluency);
    EXPECT_EQ(bare.FluencyFld, 0);
    EXPECT_EQ(bare.Stylesheet, "");
    EXPECT_EQ(bare.ComplDictionary, "");
    EXPECT_EQ(bare.Icon, nullptr);

    // "vijf" is no integer: the default 4.
    const TLXABook &hex = *books.FindBook("hex");
    EXPECT_TRUE(hex.Fluency);
    EXPECT_EQ(hex.FluencyFld, 4);
}

TEST_F(BooksTest, ABookWithoutIndexKeepsItsSettingsAndPictures) {
    folder.Write("data/dict.cfg", "[dictionaries]\nnl=0;Nederlands\n");
    folder.AddBook("nl", "[dictionary]\nfluency=1\nfluencyfld=5\n", false);
    Picture("imgs/nl.bmp", qRgb(255, 0, 0));
    Picture("imgs/nl_off.bmp", qRgb(0, 255, 0));
    Picture("imgs/nl.ico", qRgb(0, 0, 255));
    const TLXABooks books = Load();
    const TLXABook &nl = *books.FindBook("nl");
    EXPECT_FALSE(nl.Installed);
    EXPECT_EQ(nl.FluencyFld, 5);
    ASSERT_NE(nl.Bitmap, nullptr);
    EXPECT_EQ(nl.Bitmap->pixel(0, 3), qRgb(255, 0, 0));
    ASSERT_NE(nl.DisabledBitmap, nullptr);
    EXPECT_EQ(nl.DisabledBitmap->pixel(0, 3), qRgb(0, 255, 0));
    ASSERT_NE(nl.Icon, nullptr);
    EXPECT_FALSE(nl.Icon->isNull());
    ASSERT_EQ(iconImages.size(), 1u);
    EXPECT_EQ(iconImages[0].pixel(0, 3), qRgb(0, 0, 255));
}

TEST_F(BooksTest, APictureThatCannotBeLoadedEndsTheCatalogue) {
    folder.Write("data/dict.cfg", "[dictionaries]\nnl=1;Nederlands\n");
    folder.AddBook("nl", "[dictionary]\n");
    folder.Write("imgs/nl.bmp", "BM but no picture at all");
    try {
        Load();
        FAIL() << "no exception";
    } catch (const EGeneral &e) {
        EXPECT_NE(std::string(e.what()).find("nl.bmp"), std::string::npos) << e.what();
    }
}

// The user's own books: a catalogue of the same format in a folder laid out like the
// program's, read after it.
class UserBooksTest : public BooksTest {
  protected:
    void UserFile(const std::string &relative, const std::string &bytes) const {
        const std::filesystem::path path = folder.UserShelf + "/" + relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    void UserBook(const std::string &name, const std::string &def) const {
        UserFile("data/" + name + ".def", def);
        UserFile("data/" + name + ".idx", "");
    }
    static std::vector<std::string> Names(const TLXABooks &books) {
        std::vector<std::string> names;
        for (std::int32_t i = 0; i < books.Count(); ++i)
            names.push_back(books.NameAt(i));
        return names;
    }
};

TEST_F(UserBooksTest, UserBooksComeAfterTheProgramsWithTheirOwnFolders) {
    folder.Write("data/dict.cfg", "[dictionaries]\nnl=1;Nederlands\nfr=1;Frans\n");
    folder.AddBook("nl", "[dictionary]\n");
    // The user's catalogue: its own regkey is no concern of the program's.
    UserFile("data/dict.cfg",
             "[application]\nregkey=Elders\n[dictionaries]\nmijn=1;Mijn boek\nNL=1;Namaak\n"
             "eo=1;Esperanto\nleeg=\n");
    UserBook("mijn", "[dictionary]\nfluency=1\nfluencyvoice=de\n");
    UserBook("NL", "[dictionary]\n");
    UserFile("data/eo.def", "[dictionary]\nstylesheet=eo.css\n");  // no .idx
    UserFile("imgs/mijn.bmp", "BM but no picture at all");
    const TLXABooks books = Load();

    // A user's book cannot stand in for one of the program's.
    EXPECT_EQ(Names(books), (std::vector<std::string>{"nl", "fr", "mijn", "eo"}));
    EXPECT_EQ(books.FindBook("nl")->DisplayName, "Nederlands");
    EXPECT_EQ(books.FindBook("nl")->IndexFile(), folder.Data + "/nl.idx");
    EXPECT_EQ(books.FindBook("nl")->StylesheetFile(), folder.Data + "/dict.css");
    EXPECT_EQ(paths.RegKey, "");

    const TLXABook &mine = *books.FindBook("mijn");
    EXPECT_TRUE(mine.Installed);
    EXPECT_TRUE(mine.Listed);
    EXPECT_EQ(mine.DisplayName, "Mijn boek");
    EXPECT_EQ(mine.IndexFile(), folder.UserShelf + "/data/mijn.idx");
    EXPECT_EQ(mine.StylesheetFile(), folder.UserShelf + "/data/dict.css");
    EXPECT_EQ(mine.FluencyVoice, "de");
    // A user's picture that cannot be loaded costs the picture, not the start.
    EXPECT_EQ(mine.Bitmap, nullptr);

    const TLXABook &esperanto = *books.FindBook("eo");
    EXPECT_FALSE(esperanto.Installed);
    EXPECT_EQ(esperanto.StylesheetFile(), folder.UserShelf + "/data/eo.css");
}

// What lexqc add writes into a catalogue the user edited by hand reads back intact.
TEST_F(UserBooksTest, BooksAddedByTheCompilerKeepTheirDisplayNames) {
    folder.Write("data/dict.cfg", "[dictionaries]\nnl=1;Nederlands\n");
    UserFile("data/dict.cfg", "[dictionaries]\nwörter=1;Wörterbuch\n");
    UserBook("wörter", "[dictionary]\n");
    const std::string index = books::test::WriteDictd(folder.Root, "bron", {{"huis", "house"}});
    const books::AddResult added =
        books::AddUserBook(books::UserShelfAt(folder.UserShelf), {{index}, "Ελληνικό Café", ""});

    const TLXABooks books = Load();
    ASSERT_EQ(books.Count(), 3);
    EXPECT_EQ(books.FindBook("WÖRTER")->DisplayName, "Wörterbuch");
    const TLXABook *book = books.FindBook(added.name);
    ASSERT_NE(book, nullptr);
    EXPECT_EQ(book->DisplayName, "Ελληνικό Café");
    EXPECT_TRUE(book->Installed);
}

TEST_F(UserBooksTest, ReadingTheUserCatalogueAgainAddsOnlyTheNewBooks) {
    folder.Write("data/dict.cfg", "[dictionaries]\nnl=1;Nederlands\n");
    TLXABooks books = Load();  // no user catalogue yet
    ASSERT_EQ(books.Count(), 1);
    EXPECT_TRUE(books.ReadUserBooks().empty());

    UserFile("data/dict.cfg", "[dictionaries]\nboek1=1;Een\n");
    UserBook("boek1", "[dictionary]\n");
    const std::vector<TLXABook *> first = books.ReadUserBooks();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0], books.FindBook("boek1"));

    UserFile("data/dict.cfg", "[dictionaries]\nboek1=1;Een\nboek2=1;Twee\nboek3=1;Drie\n");
    const std::vector<TLXABook *> next = books.ReadUserBooks();
    ASSERT_EQ(next.size(), 2u);
    EXPECT_EQ(next[0]->Name, "boek2");
    EXPECT_EQ(next[1]->Name, "boek3");
    // The books already there keep their places and their objects.
    EXPECT_EQ(Names(books), (std::vector<std::string>{"nl", "boek1", "boek2", "boek3"}));
    EXPECT_EQ(books.FindBook("boek1"), first[0]);
}

TEST_F(BooksTest, TheVoiceIsTheBooksOrDutchAndOnlyWithSpeech) {
    folder.Write("data/dict.cfg", "[dictionaries]\nde=1;D\nnl=1;N\nmute=1;M\n");
    folder.AddBook("de", "[dictionary]\nfluency=1\nfluencyvoice= de \n");
    folder.AddBook("nl", "[dictionary]\nfluency=1\nfluencyvoice=\n");
    folder.AddBook("mute", "[dictionary]\nfluency=0\nfluencyvoice=fr\n");
    const TLXABooks books = Load();
    EXPECT_EQ(books.FindBook("de")->FluencyVoice, "de");
    EXPECT_EQ(books.FindBook("nl")->FluencyVoice, "nl");
    EXPECT_EQ(books.FindBook("mute")->FluencyVoice, "");
}

// The transparent colour: the bottom-left pixel's, white in a two-colour picture.
TEST(BookPictures, TransparentColourIsTheBottomLeftPixelsOrWhiteInATwoColourPicture) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    image.setPixel(0, 1, qRgb(200, 100, 50));
    image.setPixel(2, 0, qRgb(200, 100, 50));
    QImage result = TransparentImage(image);
    EXPECT_EQ(qAlpha(result.pixel(0, 1)), 0);
    EXPECT_EQ(qAlpha(result.pixel(2, 0)), 0);
    EXPECT_EQ(result.pixel(1, 1), qRgba(1, 2, 3, 255));

    // A one-bit file whose bottom-left pixel is black: its white goes, its black stays.
    tk::test::TempDir temp;
    QImage mono(4, 4, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.fill(0);
    mono.setPixel(0, 3, 1);
    mono.setPixel(2, 1, 1);
    ASSERT_TRUE(mono.save(QString::fromStdString(temp.File("mono.bmp")), "BMP"));
    const QImage loaded = LoadPicture(temp.File("mono.bmp"));
    ASSERT_EQ(loaded.depth(), 1);
    result = TransparentImage(loaded);
    EXPECT_EQ(result.pixel(0, 3), qRgba(0, 0, 0, 255));
    EXPECT_EQ(result.pixel(2, 1), qRgba(0, 0, 0, 255));
    EXPECT_EQ(qAlpha(result.pixel(1, 1)), 0);

    // A picture that is transparent already keeps its drawn black.
    QImage drawn(2, 2, QImage::Format_ARGB32);
    drawn.fill(qRgba(0, 0, 0, 0));
    drawn.setPixel(1, 0, qRgba(0, 0, 0, 255));
    EXPECT_EQ(TransparentImage(drawn).pixel(1, 0), qRgba(0, 0, 0, 255));
}

}  // namespace
