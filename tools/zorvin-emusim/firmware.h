// The two firmware versions the simulator can run, what the device keeps
// in its own EEPROM, and the texts that depend on both.
#pragma once

#include <string>
#include <string_view>

#include "eprom_types.h"

namespace zorvin::emusim {

enum class Firmware { Current, Old };  // 2.0rc12, 2.0rc4

// Kept in the device's EEPROM: survives resets.
struct StoredSettings {
  bool spi_save = false;
  bool auto_load = false;
  const EpromType* last_eprom = &eprom_27512();
};

std::string version_line(Firmware firmware, const StoredSettings& settings);

// The command that hands the bus to the device and answers the version.
constexpr std::string_view sync_command(Firmware firmware) {
  return firmware == Firmware::Current ? ":EMUOFF" : ":dml";
}

// What the current firmware prints for ":help", "help" and "?": one text
// whose lines end in a bare line feed; the reply's own CR LF follows the last.
std::string_view help_text();

constexpr std::string_view running_reply(Firmware firmware) {
  return firmware == Firmware::Current ? "-> Emulator Running." : "-> Emulator Running!";
}

}  // namespace zorvin::emusim
