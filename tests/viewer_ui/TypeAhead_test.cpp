// The type-ahead list under the search field, on a compiled book and the real search
// library: what it offers while the user types, how it is chosen from, and that the field
// keeps its focus, its keystrokes and its own Enter.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include "UiTestSupport.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/display/PageLook.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/TypeAhead.h"

using namespace uitest;

namespace {

std::string Book() {
    std::string source;
    for (const char *word : {"tafel", "Tafelberg", "tafereel", "takel", "tak", "tabak", "kabel",
                             "tafel-", "taf\xC3\xA9la"})
        source += std::string("kw: ") + word + "\n<p>over " + word + "</p>\n\n";
    return source;
}

class TypeAheadTest : public ::testing::Test {
  protected:
    void Start(bool realLibrary = true) {
        folder.WriteCatalogue({"nl-en=1;Nederlands-Engels"});
        folder.AddBook("nl-en", "", !realLibrary);
        if (realLibrary)
            folder.AddCompiledBook("nl-en", Book());
        viewer = std::make_unique<TViewer>();
        Window().show();
        Field()->setFocus();
        QApplication::setActiveWindow(&Window());
    }
    ui::TfrmLXAMain &Window() const { return viewer->Main(); }
    QLineEdit *Field() const { return Window().SearchField(); }
    ui::TTypeAhead &List() const { return *Window().TypeAhead(); }
    // Keys go where the user's keys go: to the open list, which hands the rest on.
    QWidget *KeyTarget() const {
        QWidget *popup = QApplication::activePopupWidget();
        return popup != nullptr ? popup : static_cast<QWidget *>(Field());
    }
    void Type(const QString &text) {
        for (const QChar c : text)
            QTest::keyClick(KeyTarget(), c.toLatin1());
    }
    void Press(Qt::Key key) { QTest::keyClick(KeyTarget(), key); }
    QStringList Offered() const { return List().IsOpen() ? List().Words() : QStringList(); }

    TDialogRecorder dialogs;
    TProgramFolder folder;
    std::unique_ptr<TViewer> viewer;
};

TEST_F(TypeAheadTest, TypingOffersTheBooksHeadwordsThatStartSoInKeyOrder) {
    Start();
    Type("TA");
    EXPECT_EQ(Field()->text(), "TA") << "every keystroke reaches the field";
    EXPECT_TRUE(Field()->hasFocus());
    // Folded as the search folds: "tafel-" shares the key TAFEL with "tafel", which the list
    // shows as the plainer spelling; "taféla" is the key TAFELA.
    EXPECT_EQ(Offered(), (QStringList{"tabak", "tafel", "taf\u00e9la", "Tafelberg", "tafereel",
                                      "tak", "takel"}));
    Type("f");
    EXPECT_EQ(Offered(), (QStringList{"tafel", "taf\u00e9la", "Tafelberg", "tafereel"}));
    Type("x");
    EXPECT_FALSE(List().IsOpen()) << "nothing starts so";
    Press(Qt::Key_Backspace);
    EXPECT_EQ(Field()->text(), "TAf");
    EXPECT_TRUE(List().IsOpen());
    Press(Qt::Key_Escape);
    EXPECT_FALSE(List().IsOpen());
    EXPECT_EQ(Field()->text(), "TAf") << "Escape closes the list and leaves the text";
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(TypeAheadTest, IsOffWhileTheTextIsAPattern) {
    Start();
    Type("ta");
    EXPECT_TRUE(List().IsOpen());
    for (const char *more : {"*", "?", "["}) {
        Type(more);
        EXPECT_FALSE(List().IsOpen()) << "after " << more;
        Press(Qt::Key_Backspace);
        EXPECT_TRUE(List().IsOpen()) << "plain text again after " << more;
    }
}

// The list on a field of its own: what reaches the field's Enter and what is chosen.
class TypeAheadField : public ::testing::Test {
  protected:
    void SetUp() override {
        window.resize(300, 60);
        field->setGeometry(0, 0, 300, 25);
        QObject::connect(field, &QLineEdit::returnPressed, [this] { ++returns; });
        window.show();
        QApplication::setActiveWindow(&window);
        field->setFocus();
    }
    void Type(const QString &text) {
        for (const QChar c : text)
            QTest::keyClick(Target(), c.toLatin1());
    }
    QWidget *Target() const {
        QWidget *popup = QApplication::activePopupWidget();
        return popup != nullptr ? popup : static_cast<QWidget *>(field);
    }

    QWidget window;
    QLineEdit *field = new QLineEdit(&window);
    QStringList chosen;
    int returns = 0;
    ui::TTypeAhead list{field,
                        [](const QString &typed) {
                            return QStringList{"aap", "aapje", "apen"}.filter(
                                QRegularExpression("^" + QRegularExpression::escape(typed)));
                        },
                        [this](const QString &word) { chosen << word; }};
};

TEST_F(TypeAheadField, EnterOnAChosenWordIsTheListsAndOtherwiseTheFields) {
    Type("aa");
    ASSERT_TRUE(list.IsOpen());
    QTest::keyClick(Target(), Qt::Key_Return);
    EXPECT_EQ(returns, 1) << "nothing chosen: the field's own Enter";
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_FALSE(list.IsOpen());

    Type("pj");
    ASSERT_EQ(list.Words(), QStringList{"aapje"});
    QTest::keyClick(Target(), Qt::Key_Down);
    QTest::keyClick(Target(), Qt::Key_Enter);
    EXPECT_EQ(chosen, QStringList{"aapje"});
    EXPECT_EQ(returns, 1) << "the chosen word is searched, not the typed text as well";
    EXPECT_TRUE(field->hasFocus());
}

TEST_F(TypeAheadField, TellsItsCountAndChosenWordAndReadsAndZoomsAsThePage) {
    // A desktop whose highlight reads below 4.5:1 under white text.
    const QPalette desktop = QApplication::palette();
    QPalette weak = desktop;
    weak.setColor(QPalette::Highlight, QColor(48, 140, 198));
    weak.setColor(QPalette::HighlightedText, Qt::white);
    QApplication::setPalette(weak);
    Type("a");
    QApplication::setPalette(desktop);
    ASSERT_TRUE(list.IsOpen());
    EXPECT_EQ(list.Announced(), "3 trefwoorden in de lijst, het eerste is aap.");
    QTest::keyClick(Target(), Qt::Key_Down);
    QTest::keyClick(Target(), Qt::Key_Down);
    EXPECT_EQ(list.Announced(), "aapje, 2 van 3");
    EXPECT_TRUE(field->hasFocus());
    const QPalette colours = list.Popup()->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        EXPECT_GE(display::ContrastRatio(colours.color(group, QPalette::Highlight),
                                         colours.color(group, QPalette::HighlightedText)),
                  4.5);
    EXPECT_EQ(colours.color(QPalette::HighlightedText), QColor(Qt::white)) << "text kept";

    const int normal = list.Popup()->sizeHintForRow(0);
    list.SetTextScale(2.0);
    EXPECT_GE(list.Popup()->sizeHintForRow(0), normal * 17 / 10) << "the page's zoom";
    QTest::keyClick(Target(), Qt::Key_Escape);
    Type("apj");
    EXPECT_EQ(list.Announced(), "1 trefwoord in de lijst: aapje.");
}

TEST_F(TypeAheadField, EscapeClosesTheListWithoutChoosingAndTypingOpensItAgain) {
    Type("a");
    ASSERT_EQ(list.Words().size(), 3);
    QTest::keyClick(Target(), Qt::Key_Down);
    QTest::keyClick(Target(), Qt::Key_Escape);
    EXPECT_FALSE(list.IsOpen());
    EXPECT_EQ(field->text(), "a");
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_EQ(returns, 0);
    field->setText(QString());
    Type("ap");
    ASSERT_TRUE(list.IsOpen());
    list.Hide();
    EXPECT_FALSE(list.IsOpen());
    Type("e");
    EXPECT_EQ(list.Words(), QStringList{"apen"}) << "typing opens it again";
}

TEST_F(TypeAheadTest, AClickSearchesTheHeadword) {
    Start();
    Type("kab");
    ASSERT_EQ(Offered(), QStringList{"kabel"});
    QAbstractItemView *popup = List().Popup();
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, {},
                      popup->visualRect(popup->model()->index(0, 0)).center());
    EXPECT_EQ(Field()->text(), "kabel");
    EXPECT_EQ(Window().StatusText(), "Er is 1 trefwoord gevonden.");
}

TEST_F(TypeAheadTest, ASearchFromElsewhereOpensNoList) {
    Start();
    Window().SearchFor(QStringLiteral("ta"));
    EXPECT_FALSE(List().IsOpen());
    EXPECT_EQ(Field()->text(), "ta");
}

TEST_F(TypeAheadTest, IsOffWithALibraryThatHasNoTypeAhead) {
    Start(/*realLibrary=*/false);
    Type("ta");
    EXPECT_EQ(Field()->text(), "ta");
    EXPECT_FALSE(List().IsOpen());
}

}  // namespace
