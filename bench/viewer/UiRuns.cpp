#include "UiRuns.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextCursor>
#include <fstream>
#include <iostream>
#include <random>

#include "PaintProbe.h"
#include "Stats.h"
#include "ViewerSession.h"
#include "platform/paths.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/display/HtmlViewer.h"
#include "viewer/finder/WordFinder.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/SelectBook.h"
#include "viewer/ui/TypeAhead.h"

namespace tkbench {

namespace {

constexpr double kSearchGoalMs = 50;
constexpr double kSwitchGoalMs = 100;
// The copy command's rule runs on every idle pass (each key press, mouse move, focus
// change), so a typical selection must cost well under a frame.
constexpr double kSelectedTextGoalMs = 1;
// The type-ahead list follows each keystroke within a frame; the word finder's part of the
// start-up may grow it by no more than this.
constexpr double kKeystrokeGoalMs = 16;
constexpr double kFinderStartupGoalMs = 5;
constexpr int kPaintTimeoutMs = 5000;

double MillisBetween(std::int64_t t0, std::int64_t t1) {
    return double(t1 - t0) / 1e6;
}

void PressEnter(QWidget *field) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(field, &press);
    QApplication::sendEvent(field, &release);
}

class TUiBench {
  public:
    TUiBench(TViewerSession &session, const TUiOptions &options)
        : m_session(session), m_options(options), m_random(options.seed) {}

    bool Run() {
        ui::TfrmLXAMain &window = *m_session.Window();
        std::vector<double> searches, switches;
        std::vector<std::string> books;
        for (const auto &[book, words] : m_options.words)
            if (!words.empty() && FindCommand(book) != nullptr)
                books.push_back(book);
        if (books.empty()) {
            std::cerr << "tkviewer_bench: no word list names an installed dictionary\n";
            return false;
        }
        const int perBook = std::max(1, m_options.searches / int(books.size()));
        for (const std::string &book : books) {
            window.SelectBookByName(book);
            Settle();
            for (int i = 0; i < perBook; ++i) {
                double ms = 0;
                if (!TimedSearch(RandomWord(book), ms))
                    return false;
                searches.push_back(ms);
            }
        }
        for (int i = 0; i < m_options.switches && books.size() >= 2; ++i) {
            const std::string &from = books[std::size_t(i) % books.size()];
            const std::string &to = books[std::size_t(i + 1) % books.size()];
            window.SelectBookByName(from);
            double ignored = 0;
            if (!TimedSearch(RandomWord(from), ignored))  // a page for the switch to clear
                return false;
            double ms = 0;
            if (!TimedSwitch(to, ms))
                return false;
            switches.push_back(ms);
        }
        std::cout << GoalLine("Enter to rendered page", searches, kSearchGoalMs, false) << '\n';
        for (const std::string &book : books)
            if (!MeasureTypeAhead(book))
                return false;
        MeasureFinderStartup();
        if (books.size() >= 2)
            std::cout << GoalLine("dictionary switch to window painted", switches, kSwitchGoalMs,
                                  false)
                      << '\n';
        else
            std::cout
                << "dictionary switch: not measured (word lists of two dictionaries needed)\n";
        return MeasureSelection(books.front());
    }

  private:
    // Lets the idle rules and any pending paints run, so a measurement starts quiet.
    static void Settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    const std::string &RandomWord(const std::string &book) {
        const std::vector<std::string> &words = m_options.words.at(book);
        std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
        return words[pick(m_random)];
    }

    ui::TSelectBook *FindCommand(const std::string &book) const {
        for (ui::TSelectBook *command : m_session.Window()->DictionaryCommands())
            if (command->Book() != nullptr && command->Book()->Name == book)
                return command;
        return nullptr;
    }

    // Types the word, presses Enter in the search field and waits until the display
    // has painted the page.
    bool TimedSearch(const std::string &word, double &ms) {
        ui::TfrmLXAMain &window = *m_session.Window();
        window.SearchField()->setText(QString::fromStdString(word));
        Settle();
        TPaintProbe probe(window.Viewer()->viewport());
        const std::int64_t t0 = NowNs();
        PressEnter(window.SearchField());
        if (!probe.WaitForPaint(kPaintTimeoutMs)) {
            std::cerr << "tkviewer_bench: no page painted for \"" << word << "\"\n";
            return false;
        }
        ms = MillisBetween(t0, NowNs());
        if (LXAData->SearchResults->Count() == 0)
            std::cerr << "tkviewer_bench: note: \"" << word << "\" was not found\n";
        return true;
    }

    // Keystroke to list: random words of the book typed letter by letter into the search
    // field, each key from its event to the type-ahead list painted with its headwords.
    bool MeasureTypeAhead(const std::string &book) {
        ui::TfrmLXAMain &window = *m_session.Window();
        window.SelectBookByName(book);
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        std::vector<double> keystrokes;
        int shown = 0;
        for (int w = 0; w < 60; ++w) {
            const QString word = QString::fromStdString(RandomWord(book));
            window.HideTypeAhead();
            window.SearchField()->clear();
            window.SearchField()->setFocus();
            Settle();
            for (int i = 0; i < std::min<int>(int(word.size()), 6); ++i) {
                // Keys go where the user's go: to the open list, which hands them on.
                QWidget *popup = QApplication::activePopupWidget();
                QWidget *target = popup != nullptr ? popup : window.SearchField();
                const QString letter = word.mid(i, 1);
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, letter);
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, letter);
                const std::int64_t t0 = NowNs();
                QApplication::sendEvent(target, &press);
                QApplication::sendEvent(target, &release);
                if (window.TypeAhead()->IsOpen()) {
                    TPaintProbe probe(window.TypeAhead()->Popup());
                    if (!probe.WaitForPaint(kPaintTimeoutMs)) {
                        std::cerr << "tkviewer_bench: the type-ahead list was not painted\n";
                        return false;
                    }
                    ++shown;
                }
                keystrokes.push_back(MillisBetween(t0, NowNs()));
            }
        }
        window.HideTypeAhead();
        if (shown == 0) {
            std::cout << "keystroke to type-ahead list (" << book
                      << "): no list shown (the library has no type-ahead?)\n";
            return true;
        }
        std::cout << GoalLine("keystroke to type-ahead list (" + book + ")", keystrokes,
                              kKeystrokeGoalMs, false)
                  << '\n';
        return true;
    }

    // What the word finder adds to the window's making: its engine (nothing is read until
    // the first miss) and the type-ahead list on the search field (its popup is made on
    // the first keystroke).
    void MeasureFinderStartup() {
        std::vector<double> made;
        for (int i = 0; i < 50; ++i) {
            QWidget parent;
            auto *field = new QLineEdit(&parent);
            const std::int64_t t0 = NowNs();
            TWordFinder finder(LXAData->Paths.DataDir);
            finder.SetBook(LXAData->CurrentBook != nullptr ? LXAData->CurrentBook->Name : "");
            new ui::TTypeAhead(
                field, [](const QString &) { return QStringList(); }, [](const QString &) {});
            made.push_back(MillisBetween(t0, NowNs()));
        }
        std::cout << GoalLine("word finder's share of the start-up", made, kFinderStartupGoalMs,
                              true)
                  << '\n';
    }

    // Runs the dictionary command the way a toolbar click does and waits for the repaint.
    bool TimedSwitch(const std::string &book, double &ms) {
        ui::TSelectBook *command = FindCommand(book);
        Settle();
        TPaintProbe probe(m_session.Window());
        const std::int64_t t0 = NowNs();
        command->trigger();
        if (!probe.WaitForPaint(kPaintTimeoutMs)) {
            std::cerr << "tkviewer_bench: no repaint after switching to " << book << '\n';
            return false;
        }
        ms = MillisBetween(t0, NowNs());
        return true;
    }

    // The selection query of the copy command's rule, and the whole idle pass of the
    // command rules, on a selection of the whole page of the largest of a few random result
    // pages (typical), and of a long page of many entries (the worst a user may select).
    bool MeasureSelection(const std::string &book) {
        ui::TfrmLXAMain &window = *m_session.Window();
        window.SelectBookByName(book);
        std::string largest, longPage;
        std::int32_t largestCount = -1, longCount = 0;
        for (int i = 0; i < 200; ++i) {
            const std::string &word = RandomWord(book);
            const std::int32_t found = LXAData->Search(word);
            if (found <= 0)
                continue;
            if (i < 30 && found > largestCount) {
                largestCount = found;
                largest = word;
            }
            // The display reads consecutive documents as one page of all their entries.
            longPage += LXAData->SearchResults->BuildPage({});
            longCount += found;
        }
        double ignored = 0;
        if (largest.empty() || !TimedSearch(largest, ignored))
            return false;
        if (!SelectAndMeasure(std::to_string(largestCount) + " entries"))
            return false;
        window.Viewer()->LoadDocument(longPage.data(), longPage.size());
        return SelectAndMeasure(std::to_string(longCount) + " entries");
    }

    bool SelectAndMeasure(const std::string &what) {
        ui::TfrmLXAMain &window = *m_session.Window();
        display::THtmlViewer &viewer = *window.Viewer();
        // The rule asks for the selection only while the display has the focus.
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        viewer.setFocus();
        QTextCursor all(viewer.document());
        all.select(QTextCursor::Document);
        viewer.setTextCursor(all);
        Settle();
        if (!viewer.HasFocus()) {
            std::cerr << "tkviewer_bench: the display did not get the focus\n";
            return false;
        }
        const std::size_t characters = std::size_t(viewer.SelectedText().size());
        constexpr int kBatch = 200;
        std::vector<double> query, idle;
        std::size_t sink = 0;
        for (int round = 0; round < 20; ++round) {
            std::int64_t t0 = NowNs();
            for (int i = 0; i < kBatch; ++i)
                sink += std::size_t(viewer.SelectedText().size());
            query.push_back(MillisBetween(t0, NowNs()) / kBatch);
            t0 = NowNs();
            for (int i = 0; i < kBatch; ++i)
                window.UpdateCommands();
            idle.push_back(MillisBetween(t0, NowNs()) / kBatch);
        }
        if (sink != characters * kBatch * 20 ||
            !window.Command("actCopyHTMLToClipboard")->isEnabled()) {
            std::cerr << "tkviewer_bench: the selection or the copy command changed while "
                         "measuring\n";
            return false;
        }
        const std::string label = what + ", " + std::to_string(characters) + " chars";
        std::cout << GoalLine("SelectedText (" + label + ")", query, kSelectedTextGoalMs, false)
                  << '\n';
        std::cout << GoalLine("  idle pass of all command rules", idle, kSelectedTextGoalMs, false)
                  << '\n';
        return true;
    }

    TViewerSession &m_session;
    const TUiOptions &m_options;
    std::mt19937 m_random;
};

}  // namespace

std::vector<std::string> ReadWordList(const std::string &path) {
    std::vector<std::string> words;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos)
            continue;
        const auto last = line.find_last_not_of(" \t\r");
        words.push_back(line.substr(first, last - first + 1));
    }
    return words;
}

int RunUiSeries(int argc, char **argv, const TUiOptions &options) {
    // The offscreen platform warns each time the type-ahead list opens ("This plugin does
    // not support ..." raising, grabbing, sizing): hundreds of lines between the figures,
    // none of them about the viewer.
    static QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.startsWith(QLatin1String("This plugin does not support")))
                previous(type, context, message);
        });
    QApplication application(argc, argv);
    char *programOnly[] = {argv[0], nullptr};
    platform::SetCommandLine(1, programOnly);
    TViewerSession session(options.productDir);
    if (!session.Start() || !session.ShowAndWaitForPaint(kPaintTimeoutMs))
        return 1;
    TUiBench bench(session, options);
    const bool measured = bench.Run();
    if (session.DialogCount() > 0) {
        std::cerr << "tkviewer_bench: dialogs appeared while measuring; figures are not valid\n";
        return 1;
    }
    return measured ? 0 : 1;
}

}  // namespace tkbench
