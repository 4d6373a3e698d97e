// Time as the device library sees it: microseconds since the simulator
// started, always handed in by the caller.
#pragma once

#include <cstdint>

namespace zorvin::emusim {

using Micros = std::int64_t;

constexpr Micros ms(std::int64_t milliseconds) { return milliseconds * 1000; }

// 115200 baud, 8N1: ten bits a byte. The k-th byte (from 0) of a run that
// starts at `start` has left the line completely at this time.
constexpr Micros byte_sent_at(Micros start, std::int64_t k) {
  return start + (k + 1) * 10'000'000 / 115'200;
}

}  // namespace zorvin::emusim
