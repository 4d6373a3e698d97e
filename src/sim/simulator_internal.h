// Helpers the simulator's source files share: the port numbering and the
// pins each port has.
#pragma once

#include <cstdint>

#include "sim/simulator.h"

namespace zorvin::sim::detail {

constexpr std::uint64_t kNever = UINT64_MAX;

constexpr int index_of(Port port) { return static_cast<int>(port); }

constexpr std::uint8_t port_mask(Port port) {
  switch (port) {
    case Port::Bus:
    case Port::P1:
    case Port::P2:
      return 0xFF;
    case Port::P4:
    case Port::P5:
    case Port::P6:
    case Port::P7:
      return 0x0F;
    default:
      return 0x01;
  }
}

}  // namespace zorvin::sim::detail
