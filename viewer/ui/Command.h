// A user command: caption, hint, shortcut and picture (the QAction part), an execute
// handler, and an optional enabling rule that only sets enabled, visible or checked.
#pragma once

#include <QAction>
#include <functional>

namespace ui {

class TCommand : public QAction {
    Q_OBJECT
  public:
    using Rule = std::function<void(TCommand &)>;

    explicit TCommand(QObject *owner);

    void SetExecute(std::function<void()> handler) { m_execute = std::move(handler); }
    void SetUpdateRule(Rule rule) { m_update = std::move(rule); }

    // Evaluates the enabling rule (guarded); nothing without a rule.
    void Update();
    // Re-evaluates the rule, then runs the handler when the command is enabled.
    // False when it did not run (disabled, no handler, or the handler raised).
    bool Execute();

  private:
    std::function<void()> m_execute;
    Rule m_update;
};

}  // namespace ui
