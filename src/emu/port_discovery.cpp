#include "emu/port_discovery.h"

namespace zorvin::emu {

PortList discover_ports(SerialPorts& ports, const settings::Settings& settings) {
  const std::string prefix =
      settings.port_prefix.empty() ? std::string("/dev/ttyUSB") : settings.port_prefix;
  SerialParams probe;
  probe.input_buffer = 1024;
  probe.output_buffer = 1024;

  PortList list;
  for (int n = 0; n < 50; ++n) {
    const std::string name = prefix + std::to_string(n);
    if (ports.open(0, name, probe) == 0) continue;
    ports.close(0);
    if (name == settings.port_name) list.selected = static_cast<int>(list.names.size());
    list.names.push_back(name);
  }
  if (list.selected < 0 && !list.names.empty()) list.selected = 0;
  return list;
}

}  // namespace zorvin::emu
