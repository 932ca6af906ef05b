// A menu entry linked to a command: it has a name of its own (mniFileExit...) and shows
// the command's caption, picture, enabled, visible and checked state; choosing it runs
// the command. The command keeps the shortcut; the entry only displays it.
#pragma once

#include <QAction>

namespace ui {

class TCommand;

class TMenuItem : public QAction {
    Q_OBJECT
  public:
    TMenuItem(const char *name, TCommand *command, QObject *parent);
    TCommand *Command() const { return m_command; }

  private:
    void Follow();
    TCommand *m_command;
};

}  // namespace ui
