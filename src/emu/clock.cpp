#include "emu/clock.h"

#include <cerrno>
#include <chrono>
#include <ctime>

namespace zorvin::emu {

std::int64_t elapsed_ms() {
  using std::chrono::steady_clock;
  static const steady_clock::time_point start = steady_clock::now();
  return std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::now() - start)
      .count();
}

void delay_ms(int ms) {
  if (ms <= 0) return;
  timespec request{};
  request.tv_sec = ms / 1000;
  request.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  timespec remaining{};
  while (nanosleep(&request, &remaining) != 0 && errno == EINTR) request = remaining;
}

}  // namespace zorvin::emu
