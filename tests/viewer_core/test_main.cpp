// The tests of the viewer core run inside a GUI application (icons), on the offscreen
// platform unless told otherwise.
#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
