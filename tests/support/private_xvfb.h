// A private X server for tests and benchmarks that need a display.
#pragma once

#include <sys/types.h>

namespace zorvin::test {

// Starts Xvfb (1280 x 1024) on a free display and points DISPLAY at it.
// Returns its process id, or -1 when it could not be started.
pid_t start_private_xvfb();
void stop_private_xvfb(pid_t xvfb);

}  // namespace zorvin::test
