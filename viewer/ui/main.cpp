// tkviewer: the dictionary viewer. This program links no GUI library: a lookup
// ("--lookup WORD", "--selection", "--clipboard") is first handed to the user's running
// viewer, which answers within milliseconds, and this process ends. Every other command
// line, and a lookup no viewer takes, runs the viewer's windows from tkviewer_gui.so
// beside this program (ViewerMain.cpp), loaded only then.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/dynlib.h"
#include "platform/lasterror.h"
#include "viewer/ui/LookupAsk.h"

namespace {

using TViewerMain = int (*)(int argc, char **argv);

}  // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ui::TLookupArguments lookup = ui::ParseLookupArguments(arguments);
    if (!lookup.Error.empty()) {
        std::fprintf(stderr, "%s\n", lookup.Error.c_str());
        return 2;
    }
    if (lookup.Request) {
        switch (ui::AskViewer(ui::LookupSocketPath(), *lookup.Request)) {
            case ui::TAsked::Accepted:
                return 0;
            case ui::TAsked::Refused:
                std::fprintf(stderr, "De geopende Taalkist weigert het verzoek.\n");
                return 1;
            case ui::TAsked::NoViewer:
                break;
        }
    }
    // The library stays loaded until the process ends: its windows are the program.
    platform::LibHandle windows = platform::LoadLibraryByName("tkviewer_gui.dll");
    const auto viewerMain =
        reinterpret_cast<TViewerMain>(platform::FindExport(windows, "tk_viewer_main"));
    if (viewerMain == nullptr) {
        std::fprintf(stderr, "Taalkist kan zijn vensters niet laden: %s\n",
                     platform::LastErrorText().c_str());
        return 1;
    }
    return viewerMain(argc, argv);
}
