// Lists the serial adapters present, for the emulator settings dialog.
#pragma once

#include <string>
#include <vector>

#include "settings/settings.h"

namespace zorvin::emu {

struct PortList {
  std::vector<std::string> names;  // devices present, ascending number
  int selected = -1;               // index into names; -1 when names is empty
};

// Looks for prefix + 0 ... prefix + 49 (prefix: `port_prefix`, or
// "/dev/ttyUSB" when that is empty) by name and file type only: a character
// device there is listed. Nothing is opened, since opening a port raises DTR,
// which resets the emulator and stops the user's target board. Selects the
// entry equal to `port_name`, else the first.
PortList discover_ports(const settings::Settings& settings);

}  // namespace zorvin::emu
