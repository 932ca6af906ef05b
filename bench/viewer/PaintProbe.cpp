#include "PaintProbe.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QTimer>
#include <algorithm>

namespace tkbench {

TPaintProbe::TPaintProbe(QWidget *root) : m_root(root) {
    QCoreApplication::instance()->installEventFilter(this);
}

TPaintProbe::~TPaintProbe() {
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool TPaintProbe::WaitForPaint(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    // Wakes the blocking wait below when nothing else happens before the deadline. A
    // precise, repeating timer: a coarse one may fire before the deadline has passed and
    // leave the wait blocked for good.
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(std::max(1, timeoutMs));
    // A paint is delivered synchronously inside the window's update request, so once
    // processEvents returns after it, the whole pass (and its flush) has finished.
    while (!m_painted && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return m_painted;
}

bool TPaintProbe::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Paint && m_root && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget == m_root || m_root->isAncestorOf(widget))
            m_painted = true;
    }
    return false;
}

}  // namespace tkbench
