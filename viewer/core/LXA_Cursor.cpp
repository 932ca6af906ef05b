#include "viewer/core/LXA_Cursor.h"

#include <QCursor>
#include <QGuiApplication>

// Without a GUI application (a test, a tool) there is no screen cursor to change.
TWaitCursor::TWaitCursor() : Active(qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
    if (Active)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TWaitCursor::~TWaitCursor() {
    if (Active)
        QGuiApplication::restoreOverrideCursor();
}
