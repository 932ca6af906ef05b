#include "Expander.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>

#include "viewer/ui/OwnInterface.h"

namespace ui {

namespace {

const char *const kExpanderProperty = "tkExpander";

// The widget's interface carries the actions already; toggling is added to them.
class TExpanderAccessible : public QAccessibleWidget {
  public:
    explicit TExpanderAccessible(QAbstractButton *button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QAbstractButton *Button() const { return static_cast<QAbstractButton *>(widget()); }

    QString text(QAccessible::Text kind) const override {
        const QString own = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && own.isEmpty())
            return QString(Button()->text()).remove(QLatin1Char('&'));
        return own;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Button()->isChecked();
        state.collapsed = !Button()->isChecked();
        return state;
    }

    QStringList actionNames() const override {
        return QStringList{toggleAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override {
        if (action == toggleAction() || action == pressAction())
            Button()->click();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface *ExpanderFactory(const QString &, QObject *object) {
    auto *button = qobject_cast<QAbstractButton *>(object);
    if (button != nullptr && button->property(kExpanderProperty).toBool())
        return new TExpanderAccessible(button);
    return nullptr;
}

}  // namespace

void MarkAsExpander(QAbstractButton *button) {
    button->setCheckable(true);
    button->setProperty(kExpanderProperty, true);
    UseOwnInterface(button, ExpanderFactory, QAccessible::Button);
    QObject::connect(button, &QAbstractButton::toggled, button, [button] {
        QAccessible::State changed;
        changed.expanded = true;
        changed.collapsed = true;
        QAccessibleStateChangeEvent event(button, changed);
        QAccessible::updateAccessibility(&event);
    });
}

}  // namespace ui
