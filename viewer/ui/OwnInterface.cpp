#include "OwnInterface.h"

#include <set>

namespace ui {

void UseOwnInterface(QObject *object, QAccessible::InterfaceFactory factory,
                     QAccessible::Role ownRole) {
    static std::set<QAccessible::InterfaceFactory> installed;
    if (installed.insert(factory).second)
        QAccessible::installFactory(factory);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
    if (face != nullptr && face->role() != ownRole)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(face));
}

}  // namespace ui
