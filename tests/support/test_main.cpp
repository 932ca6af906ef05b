// The main of the Qt-based test programs: one application object for the whole run, on the
// offscreen platform unless told otherwise (listing the tests at build time runs the program
// without a display as well). The windows' tests get a widget application, the others a GUI
// application without widgets.
#include <gtest/gtest.h>

#ifdef TK_TEST_WIDGETS
#include <QApplication>
using TTestApplication = QApplication;
#else
#include <QGuiApplication>
using TTestApplication = QGuiApplication;
#endif

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TTestApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
