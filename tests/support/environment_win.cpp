#include <stdlib.h>

#include "environment.h"

namespace tk::test {

// _putenv_s changes the C library's copy and the process's own environment alike.
void SetEnvironment(const std::string &name, const std::string &value) {
    ::_putenv_s(name.c_str(), value.c_str());
}

void UnsetEnvironment(const std::string &name) {
    ::_putenv_s(name.c_str(), "");
}

}  // namespace tk::test
