// tkviewer: the dictionary viewer. Creates the data module, runs its start-up under the
// hourglass, and runs the main window until it closes.
#include <QApplication>
#include <exception>

#include "platform/paths.h"
#include "viewer/core/LXA_Cursor.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/ui/LXA_Forms.h"
#include "viewer/ui/LXA_Main.h"

namespace {

// Destroys the windows before the data module whose catalogue they read.
struct TFormsGuard {
    ~TFormsGuard() { ui::DestroyForms(); }
};

}  // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvelt taalkist"));
    platform::SetCommandLine(argc, argv);
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
        ui::frmLXAMain()->show();
        return application.exec();
    } catch (const std::exception &e) {
        ShowException(e);
    } catch (...) {
        ShowUnknownException();
    }
    return 1;
}
