#include "MenuItem.h"

#include "viewer/ui/Command.h"

namespace ui {

TMenuItem::TMenuItem(const char *name, TCommand *command, QObject *parent)
    : QAction(parent), m_command(command) {
    setObjectName(QLatin1String(name));
    connect(command, &QAction::changed, this, &TMenuItem::Follow);
    connect(this, &QAction::triggered, this, [this] {
        m_command->Execute();
        Follow();  // choosing a checked entry again must not leave it unchecked
    });
    Follow();
}

void TMenuItem::Follow() {
    QString caption = m_command->text();
    if (!m_command->shortcut().isEmpty())
        caption += QLatin1Char('\t') + m_command->shortcut().toString(QKeySequence::NativeText);
    setText(caption);
    setIcon(m_command->icon());
    setEnabled(m_command->isEnabled());
    setVisible(m_command->isVisible());
    setCheckable(m_command->isCheckable());
    setChecked(m_command->isChecked());
}

}  // namespace ui
