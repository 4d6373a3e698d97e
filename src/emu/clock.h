// Millisecond clock and sleep for the emulator link's waits.
#pragma once

#include <cstdint>

namespace zorvin::emu {

// Milliseconds since the first call, from a monotonic clock, so a change of
// the time of day cannot stretch or cut short a wait. Only differences count.
std::int64_t elapsed_ms();

// Sleeps the calling thread for `ms` milliseconds (nothing for ms <= 0).
// A signal does not cut the sleep short.
void delay_ms(int ms);

}  // namespace zorvin::emu
