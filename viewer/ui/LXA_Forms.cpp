#include "LXA_Forms.h"

#include <memory>

#include "viewer/core/LXA_Data.h"
#include "viewer/ui/LXA_About.h"
#include "viewer/ui/LXA_Main.h"
#include "viewer/ui/ScreenRequests.h"

namespace ui {

namespace {
std::unique_ptr<TfrmLXAMain> &MainWindow() {
    static std::unique_ptr<TfrmLXAMain> window;
    return window;
}
}  // namespace

void RegisterForms() {
    RegisterScreen();
    SetFormFactory([](TLXAData &data) {
        DestroyForms();
        MainWindow() = std::make_unique<TfrmLXAMain>(data);
        // The about box belongs to the main window and is destroyed with it.
        auto *about = new TfrmLXAAbout(MainWindow().get());
        MainWindow()->SetAboutBox(about);
    });
}

TfrmLXAMain *frmLXAMain() {
    return MainWindow().get();
}

TfrmLXAAbout *frmLXAAbout() {
    return MainWindow() ? MainWindow()->findChild<TfrmLXAAbout *>(QStringLiteral("frmLXAAbout"))
                        : nullptr;
}

void DestroyForms() {
    MainWindow().reset();
}

}  // namespace ui
