#include "IdleUpdater.h"

#include <QCoreApplication>
#include <QEvent>

namespace ui {

TIdleUpdater::TIdleUpdater(std::function<void()> evaluate, QObject *parent)
    : QObject(parent), m_evaluate(std::move(evaluate)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_running = true;
        m_evaluate();
        m_running = false;
    });
    QCoreApplication::instance()->installEventFilter(this);
    Request();
}

TIdleUpdater::~TIdleUpdater() {
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void TIdleUpdater::Request() {
    if (!m_timer.isActive())
        m_timer.start();
}

bool TIdleUpdater::eventFilter(QObject *watched, QEvent *event) {
    if (m_running)
        return false;
    // Only what the user does can change what the rules look at; the events the rules
    // themselves cause (repaints, action changes) must not start another pass.
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::WindowActivate:
        case QEvent::Show:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
            Request();
            break;
        default:
            break;
    }
    return false;
}

}  // namespace ui
