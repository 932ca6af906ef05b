// Setting the tests' own environment variables, on any system.
#pragma once

#include <string>

namespace tk::test {

void SetEnvironment(const std::string &name, const std::string &value);
void UnsetEnvironment(const std::string &name);

}  // namespace tk::test
