// Lists the serial adapters present, for the emulator settings dialog.
#pragma once

#include <string>
#include <vector>

#include "emu/serial_ports.h"
#include "settings/settings.h"

namespace zorvin::emu {

struct PortList {
  std::vector<std::string> names;  // devices that could be opened, ascending number
  int selected = -1;               // index into names; -1 when names is empty
};

// Probes prefix + 0 ... prefix + 49 (prefix: `port_prefix`, or "/dev/ttyUSB"
// when that is empty) by opening each as port 0 with 115200 8N1 and closing
// it again at once. Selects the entry equal to `port_name`, else the first.
PortList discover_ports(SerialPorts& ports, const settings::Settings& settings);

}  // namespace zorvin::emu
