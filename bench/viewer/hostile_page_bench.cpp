// How long the entry display takes to show a hostile result page: megabytes of text, a
// word without a place to break, and markup nested thousands deep. Each page is loaded
// and laid out whole; the ratio is to the goal of one second (below 1 meets it).
//   build/release/bench/hostile_page_bench [REPEATS]
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "viewer/display/HtmlViewer.h"

namespace {

std::string Repeat(const std::string &text, std::size_t count) {
    std::string out;
    out.reserve(text.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        out += text;
    return out;
}

std::string Page(const std::string &body) {
    return "<html>\r\n  <head>\r\n    <title>Resultaten</title>\r\n  </head>\r\n  <body>\r\n" +
           body + "\r\n  </body>\r\n</html>";
}

struct THostilePage {
    const char *Name;
    std::string Text;
};

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string entry =
        "<p><b>woord</b> <i>zn.</i> 1. een betekenis; 2. <a href=\"zoek:ander\">ander</a></p>";
    const std::vector<THostilePage> pages = {
        {"4 MB of entries", Page(Repeat(entry + "\r\n", 4'000'000 / (entry.size() + 2)))},
        {"4 MB of plain text", Page(Repeat("woord en nog een woord ", 4'000'000 / 23))},
        {"1 MB word", Page(std::string(1'000'000, 'x'))},
        {"10,000 nested tables",
         Page(Repeat("<table><tr><td>", 10'000) + "x" + Repeat("</td></tr></table>", 10'000))},
        {"10,000 nested lists", Page(Repeat("<ul><li>", 10'000) + "x" + Repeat("</ul>", 10'000))},
        {"10,000 nested divs", Page(Repeat("<div>", 10'000) + "x" + Repeat("</div>", 10'000))},
        {"100,000 open spans", Page(Repeat("<span style=\"color:red\">x", 100'000))},
        {"50,000 cells in a row", Page("<table><tr>" + Repeat("<td>x", 50'000))},
    };
    display::THtmlViewer viewer;
    viewer.resize(800, 600);
    viewer.show();
    std::printf("%-24s %10s %10s %8s\n", "page", "bytes", "ms", "ratio");
    for (const THostilePage &page : pages) {
        qint64 best = -1;
        for (int r = 0; r < repeats; ++r) {
            viewer.ClearDocument();
            app.processEvents();
            QElapsedTimer timer;
            timer.start();
            viewer.LoadDocument(page.Text.data(), page.Text.size());
            viewer.document()->documentLayout()->documentSize();
            app.processEvents();
            const qint64 ms = timer.elapsed();
            best = best < 0 ? ms : std::min(best, ms);
        }
        std::printf("%-24s %10zu %10lld %8.2f\n", page.Name, page.Text.size(),
                    static_cast<long long>(best), static_cast<double>(best) / 1000.0);
        std::fflush(stdout);
    }
    return 0;
}
