#pragma once

#include <string>
#include <vector>

#include "zephgo/Services.h"

namespace zephgo {

// The whole program: makes the hidden window, starts the worker thread on
// `args` (the arguments without the program's name) and runs the window's
// event loop until the window is destroyed. Returns the result code, the
// program's exit status (0 login page opened, 1 installer not found, 2 wrong
// argument count, 3 argument not a number, 4 installation failed, 5 browser
// not started, 6 the worker could not run, or no window could be made: then
// the box "Unexpected error[2]" is shown and the program ends at once).
int run(const std::vector<std::string>& args, Services& services);

}  // namespace zephgo
