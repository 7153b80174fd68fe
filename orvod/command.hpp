// orvod's command line, and the program it makes up.
#pragma once

#include "app/program.hpp"

namespace orvod {

// orvod: its one command, its exit statuses.
app::Program program();

}  // namespace orvod
