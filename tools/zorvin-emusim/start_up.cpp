// What the firmware does after the boot pause: its start-up lines and, when
// switched on, the auto-load from the SPI backup. It all runs before the
// firmware reads its first command, so memory is set at once and only the
// output is spread over time.
#include "emulator_device.h"

namespace zorvin::emusim {
namespace {

std::string line(std::string_view text) { return std::string(text) + "\r\n"; }

std::string option_line(std::string_view what, bool on) {
  return line("Option: " + std::string(what) + " set to " + (on ? "enable" : "disable"));
}

}  // namespace

// Returns when the start-up's output has left the line; the firmware
// reads nothing before.
Micros EmulatorDevice::start_up(Micros at) {
  const bool current = config_.firmware == Firmware::Current;
  // The current firmware takes the bus and clears 0001H (a fix for one chip
  // package); the old one leaves the bus to the target, so its write there
  // never reaches the SRAM.
  device_holds_bus_ = current;
  if (current) {
    sram_[1] = 0;
    // The old firmware prints this before its serial port is set up.
    wire_.send(at, line(eprom_27512().bus_line));
  }
  wire_.send(at, line("Config: Last EPROM used is " + std::string(settings_.last_eprom->name)));
  wire_.send(at, option_line("Save to SPI EEPROM", settings_.spi_save));
  wire_.send(at, option_line("Auto load from SPI EEPROM", settings_.auto_load));
  const Micros loaded = settings_.auto_load ? auto_load(at) : at;
  wire_.send(loaded, line(""));
  wire_.send(loaded, line("Emulator Started, waiting for computer contol"));
  wire_.send(loaded, line(version_line(config_.firmware, settings_)));
  return wire_.idle_at();
}

// Sets the bus for the last EPROM type, then copies its pages from the
// backup to the SRAM with a dot for each. The current firmware ends a row after 64 dots and leaves the
// last row open, so the bus line follows on it; the old one copies one page
// too many, ends rows after 65 dots and always ends the last row.
Micros EmulatorDevice::auto_load(Micros at) {
  const EpromType& type = *settings_.last_eprom;
  const bool current = config_.firmware == Firmware::Current;
  const int pages = current ? type.pages : type.pages + 1;
  const int row = current ? 64 : 65;
  // The firmware first sets the bus for the part it loads, and says so.
  wire_.send(at, line(type.bus_line));
  wire_.send(at, line(type.loading_line));
  Micros t = at;
  for (int page = 0; page < pages; ++page) {
    for (int i = 0; i < 128; ++i) {
      const auto address = static_cast<std::uint16_t>(page * 128 + i);
      sram_[address] = backup_[address];
    }
    t += kPageLoadTime;
    wire_.send(t, (page + 1) % row == 0 ? ".\r\n" : ".");
  }
  if (!current) wire_.send(t, "\r\n");
  wire_.send(t, line(type.bus_line));
  wire_.send(t, line("Done loading from SPI EEPROM to SRAM"));
  device_holds_bus_ = false;  // the target runs on what was loaded
  return t;
}

}  // namespace zorvin::emusim
