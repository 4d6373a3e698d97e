#include "firmware.h"

namespace zorvin::emusim {

std::string version_line(Firmware firmware, const StoredSettings& settings) {
  const std::string hardware =
      firmware == Firmware::Current ? "HW: v2.1, FW: 2.0rc12" : "HW: v1.9c @ 115200, FW: 2.0rc4";
  return "-> " + hardware + ", SPI: " + (settings.spi_save ? "1" : "0") +
         ", Auto: " + (settings.auto_load ? "1" : "0") + ", Last EPROM: " +
         std::string(settings.last_eprom->name) + ", zorvin-emusim";
}

std::string_view help_text() {
  return "-> Help for remote control commands (case sensitive)\n"
         ":EMUOFF   Get sync or stop emulation \n"
         ":EMUON    Start emulation\n"
         ":SPICLR   Erase whole SPI EEPROM - Warning - destroys all data in SPI EEPROM\n"
         ":ini16    Set memory type and address bus for 16Kib ROMs (2716)\n"
         ":ini32    Set memory type and address bus for 32Kib ROMs (2732)\n"
         ":ini64    Set memory type and address bus for 64Kib ROMs (2764)\n"
         ":iniE64   Set memory type and address bus for 64Kib EEPROM (28C64)\n"
         ":ini128   Set memory type and address bus for 128Kib ROMs (27128)\n"
         ":ini256   Set memory type and address bus for 256Kib ROMs (27256)\n"
         ":iniE256  Set memory type and address bus for 256Kib EEPROM (28C256)\n"
         ":ini512   Set memory type and address bus for 512Kib ROMs (27512)\n"
         ":iniSPI0  Disable save to SPI EEPROM for next uploads\n"
         ":iniSPI1  Enable save to SPI EEPROM for next uploads\n"
         ":iniAuto0 Set auto load off\n"
         ":iniAuto1 Set auto load on\n"
         ":help     This help\n";
}

}  // namespace zorvin::emusim
