// Runs the command enabling rules when the application goes idle: after input or a
// focus change, once, from a zero-timer, so that a burst of events costs one pass.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace ui {

class TIdleUpdater : public QObject {
    Q_OBJECT
  public:
    explicit TIdleUpdater(std::function<void()> evaluate, QObject *parent = nullptr);
    ~TIdleUpdater() override;

    // Asks for one evaluation when the event queue is next empty.
    void Request();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    std::function<void()> m_evaluate;
    QTimer m_timer;
    bool m_running = false;
};

}  // namespace ui
