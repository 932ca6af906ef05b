#include "viewer/ui/SelectionWatch.h"

#include <QApplication>
#include <QLineEdit>

#include "viewer/ui/SelectionText.h"

namespace ui {

namespace {

// Whether this program's focus is in a field that hides what is typed.
bool PasswordHasFocus() {
    const auto *field = qobject_cast<const QLineEdit *>(QApplication::focusWidget());
    return field != nullptr && field->echoMode() != QLineEdit::Normal;
}

}  // namespace

TSelectionWatch::TSelectionWatch(QObject *parent) : QObject(parent) {
    m_still.setSingleShot(true);
    m_still.setInterval(kStillMs);
    connect(&m_still, &QTimer::timeout, this, &TSelectionWatch::Settled);
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this, &TSelectionWatch::Changed);
}

bool TSelectionWatch::Available() {
    return QGuiApplication::clipboard()->supportsSelection();
}

void TSelectionWatch::SetActive(bool active) {
    m_active = active && Available();
    m_still.stop();
}

void TSelectionWatch::Changed(QClipboard::Mode mode) {
    if (!m_active || mode != QClipboard::Selection)
        return;
    // A selection still being dragged changes many times: only the last one counts.
    m_still.start();
}

void TSelectionWatch::Settled() {
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!m_active || clipboard->ownsSelection() || PasswordHasFocus())
        return;
    if (m_modifier != Qt::NoModifier && !(QGuiApplication::queryKeyboardModifiers() & m_modifier))
        return;
    const QString words = SelectedWords(clipboard->text(QClipboard::Selection));
    if (!IsFollowedSelection(words) || words == m_last)
        return;
    m_last = words;
    emit Selected(words);
}

}  // namespace ui
