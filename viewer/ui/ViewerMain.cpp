// The viewer's windows as the program tkviewer loads them (tkviewer_gui.so; main.cpp):
// creates the data module, runs its start-up under the hourglass, and runs the main window
// until it closes.
//
// "tkviewer --lookup WORD", "--selection" and "--clipboard" show a word's entries in a
// popup: a viewer of the user that runs already is handed the request (the program asked
// it before loading this library; it is asked again here through the toolkit's runtime
// folder); otherwise this one starts without its main window and stays resident.
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <exception>

#include "platform/paths.h"
#include "viewer/core/LXA_Cursor.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/ui/InstanceChannel.h"
#include "viewer/ui/LXA_Forms.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/LookupResident.h"

namespace {

// Destroys the windows before the data module whose catalogue they read.
struct TFormsGuard {
    ~TFormsGuard() { ui::DestroyForms(); }
};

}  // namespace

// The one export of tkviewer_gui.so (ViewerMain.map).
extern "C" int tk_viewer_main(int argc, char **argv) {
    const ui::TLookupArguments lookup =
        ui::ParseLookupArguments(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    if (!lookup.Error.empty()) {
        std::fprintf(stderr, "%s\n", lookup.Error.c_str());
        return 2;
    }
    if (lookup.Request) {
        switch (ui::TInstanceChannel::Ask(*lookup.Request)) {
            case ui::TInstanceChannel::TAsked::Accepted:
                return 0;
            case ui::TInstanceChannel::TAsked::Refused:
                std::fprintf(stderr, "De geopende Taalkist weigert het verzoek.\n");
                return 1;
            case ui::TInstanceChannel::TAsked::NoViewer:
                break;
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvelt taalkist"));
    // A lookup names no book: the viewer chooses its dictionary as at any start.
    platform::SetCommandLine(lookup.Request ? std::min(argc, 1) : argc, argv);
    ui::RegisterForms();
    try {
        TLXAData data;
        TFormsGuard forms;
        {
            TWaitCursor hourglass;
            data.Initialise();
        }
        if (ui::frmLXAMain() == nullptr)
            return 1;
        ui::TLookupResident resident(*ui::frmLXAMain(), data);
        resident.Listen();
        if (lookup.Request)
            resident.Handle(*lookup.Request);
        else
            ui::frmLXAMain()->show();
        return application.exec();
    } catch (const std::exception &e) {
        ShowException(e);
    } catch (...) {
        ShowUnknownException();
    }
    return 1;
}
