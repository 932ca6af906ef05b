#include "viewer/core/Screen.h"

#include <utility>

namespace {

TScreen &Registered() {
    static TScreen screen;
    return screen;
}

}  // namespace

TScreen SetScreen(TScreen screen) {
    return std::exchange(Registered(), std::move(screen));
}

const TScreen &Screen() {
    return Registered();
}
