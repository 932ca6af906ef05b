#include "ViewerSession.h"

#include <QApplication>
#include <ctime>
#include <exception>
#include <iostream>

#include "PaintProbe.h"
#include "viewer/core/LXA_Cursor.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_MsgDlg.h"
#include "viewer/core/LXA_Paths.h"
#include "viewer/ui/LXA_Forms.h"
#include "viewer/ui/LXA_Main.h"

namespace tkbench {

std::int64_t NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

TViewerSession::TViewerSession(const std::string &productDir) {
    SetProgramPathOverride(productDir + "/tkviewer");
    QApplication::setApplicationName(QStringLiteral("Morvelt taalkist"));
    ui::RegisterForms();
    SetDialogHandler([this](const TDialogRequest &dialog) {
        ++m_dialogs;
        std::cerr << "tkviewer_bench: the viewer showed a dialog (" << dialog.Group << ", "
                  << dialog.Number << "): " << dialog.Text << '\n';
        return mrOk;
    });
    m_data = std::make_unique<TLXAData>();
}

TViewerSession::~TViewerSession() {
    ui::DestroyForms();
    m_data.reset();
    SetDialogHandler({});
    SetProgramPathOverride({});
}

bool TViewerSession::Start() {
    try {
        TWaitCursor hourglass;
        if (!m_data->Initialise())
            return false;
    } catch (const std::exception &e) {
        std::cerr << "tkviewer_bench: start-up failed: " << e.what() << '\n';
        return false;
    }
    m_marks.dataReady = NowNs();
    if (m_dialogs > 0)
        return false;
    if (Window() == nullptr) {
        std::cerr << "tkviewer_bench: the main window was not created\n";
        return false;
    }
    return true;
}

bool TViewerSession::ShowAndWaitForPaint(int timeoutMs) {
    TPaintProbe probe(Window());
    Window()->show();
    m_marks.windowShown = NowNs();
    if (!probe.WaitForPaint(timeoutMs)) {
        std::cerr << "tkviewer_bench: the main window was never painted\n";
        return false;
    }
    m_marks.firstPaint = NowNs();
    return true;
}

ui::TfrmLXAMain *TViewerSession::Window() const {
    return ui::frmLXAMain();
}

}  // namespace tkbench
