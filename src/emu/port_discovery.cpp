#include "emu/port_discovery.h"

#include "emu/port_access.h"

namespace zorvin::emu {

PortList discover_ports(const settings::Settings& settings) {
  const std::string prefix = settings.port_prefix.empty() ? std::string("/dev/ttyUSB") : settings.port_prefix;
  PortList list;
  for (int n = 0; n < 50; ++n) {
    const std::string name = prefix + std::to_string(n);
    if (!is_character_device(name)) continue;
    if (name == settings.port_name) list.selected = static_cast<int>(list.names.size());
    list.names.push_back(name);
  }
  if (list.selected < 0 && !list.names.empty()) list.selected = 0;
  return list;
}

}  // namespace zorvin::emu
