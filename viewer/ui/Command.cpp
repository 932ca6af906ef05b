#include "Command.h"

#include "viewer/core/LXA_Data.h"

namespace ui {

namespace {
// The data module's guard shows what escapes; nothing may leave a Qt slot even if
// showing it fails.
bool Guarded(const std::function<void()> &work) noexcept {
    bool finished = false;
    try {
        RunGuarded([&] {
            work();
            finished = true;
        });
    } catch (...) {
    }
    return finished;
}
}  // namespace

TCommand::TCommand(QObject *owner) : QAction(owner) {
    connect(this, &QAction::triggered, this, [this] { Execute(); });
}

void TCommand::Update() {
    if (m_update)
        Guarded([this] { m_update(*this); });
}

bool TCommand::Execute() {
    Update();
    if (!isEnabled() || !m_execute)
        return false;
    return Guarded(m_execute);
}

}  // namespace ui
