// Our own accessible interfaces for widgets the toolkit would read otherwise: a factory
// makes them for widgets marked by a property. The toolkit makes and keeps a widget's
// interface as soon as anything about it changes (a text set, the widget shown), so a
// widget marked after that gets ours only once that first one is dropped.
#pragma once

#include <QAccessible>

class QObject;

namespace ui {

// Installs the factory (once per factory) and makes sure the object's interface is the
// factory's, of this role.
void UseOwnInterface(QObject *object, QAccessible::InterfaceFactory factory,
                     QAccessible::Role ownRole);

}  // namespace ui
