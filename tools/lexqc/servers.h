// lexqc's commands for books on a DICT server: "add dict://..." lists a server's database
// (or all of them) as books of the user's catalogue, "servers dict://..." shows what a
// server offers.
#pragma once

#include <ostream>
#include <string>

namespace lexqc {

// The address given to "lexqc add"; name and direction may be empty (the server's
// description, the direction its FreeDict name tells). Returns the exit status.
int AddServer(const std::string &address, const std::string &name, const std::string &direction,
              const std::string &programDataDir, std::ostream &out, std::ostream &err);

int ListServer(const std::string &address, std::ostream &out, std::ostream &err);

}  // namespace lexqc
