#include "firmware.h"

namespace zorvin::emusim {

std::string version_line(Firmware firmware, const StoredSettings& settings) {
  const std::string hardware =
      firmware == Firmware::Current ? "HW: v2.1, FW: 2.0rc12" : "HW: v1.9c @ 115200, FW: 2.0rc4";
  return "-> " + hardware + ", SPI: " + (settings.spi_save ? "1" : "0") +
         ", Auto: " + (settings.auto_load ? "1" : "0") + ", Last EPROM: " +
         std::string(settings.last_eprom->name) + ", zorvin-emusim";
}

}  // namespace zorvin::emusim
