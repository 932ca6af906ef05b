// "Selectie volgen": watches the desktop's selection (X11's PRIMARY) and tells of a new
// one of one to five words after it has stood still for half a second. Selections made in
// this program, the same words twice in a row, selections while a password field of this
// program has the focus, and, when a modifier is chosen, selections without that key held
// are passed over. Where the system has no such selection (Wayland without it, Windows)
// it never tells.
#pragma once

#include <QClipboard>
#include <QObject>
#include <QTimer>

namespace ui {

class TSelectionWatch : public QObject {
    Q_OBJECT
  public:
    static constexpr int kStillMs = 500;

    explicit TSelectionWatch(QObject *parent = nullptr);

    // Whether the system has a selection to follow.
    static bool Available();
    void SetActive(bool active);
    bool Active() const { return m_active; }
    // The key that must be held as the selection settles; none for Qt::NoModifier.
    void SetModifier(Qt::KeyboardModifier modifier) { m_modifier = modifier; }

  signals:
    void Selected(const QString &words);

  private:
    void Changed(QClipboard::Mode mode);
    void Settled();

    QTimer m_still;
    QString m_last;
    Qt::KeyboardModifier m_modifier = Qt::NoModifier;
    bool m_active = false;
};

}  // namespace ui
