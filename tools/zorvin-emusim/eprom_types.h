// The memory types the device can emulate, as its firmware names them.
#pragma once

#include <string_view>

namespace zorvin::emusim {

struct EpromType {
  std::string_view code;          // ":ini" + code selects it; also --last-eprom
  std::string_view name;          // "Last EPROM: NAME"
  int pages;                      // 128-byte pages an auto-load copies
  std::string_view bus_line;      // the reply to ":ini" + code
  std::string_view loading_line;  // printed before an auto-load
  bool needs_current_firmware;    // the 28C parts came with 2.0rc12
};

const EpromType* find_eprom(std::string_view code);
const EpromType& eprom_27512();

}  // namespace zorvin::emusim
