// The pictures compiled into the windows' library; a static library must register them
// before their first use.
#pragma once

namespace ui {
void InitUiResources();
}
