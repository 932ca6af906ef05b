#include "UiResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitUiResourcesOnce() {
    Q_INIT_RESOURCE(ui);
}

namespace ui {
void InitUiResources() {
    static const bool done = (InitUiResourcesOnce(), true);
    (void)done;
}
}  // namespace ui
