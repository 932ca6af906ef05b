// Notices when a widget or any of its children has been painted, so that a benchmark can
// stop its clock once what the user sees has been drawn.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tkbench {

class TPaintProbe : public QObject {
  public:
    // Watches paints of root and its children (root not owned; it may go away first).
    explicit TPaintProbe(QWidget *root);
    ~TPaintProbe() override;

    // Forgets the paints seen so far.
    void Arm() { m_painted = false; }
    bool Painted() const { return m_painted; }
    // Runs the event loop until a paint has been handled completely; false when none came
    // within timeoutMs.
    bool WaitForPaint(int timeoutMs);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QPointer<QWidget> m_root;
    bool m_painted = false;
};

}  // namespace tkbench
