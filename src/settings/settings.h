// The settings record: everything the program remembers between runs, kept
// in "zorvin.ini" in the working directory.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zorvin::settings {

struct WindowGeometry {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

struct Settings {
  // Entry 0 is the main window; entries 1 to 3 are only carried along.
  std::array<WindowGeometry, 4> window_geometry{};
  std::int32_t splitter_horizontal = 0;  // [Splitter] Horizontal
  std::int32_t splitter_vertical = 0;    // [Splitter] Vertikal
  std::string port_prefix;               // [Emulator] COM_PRFX, never written
  std::string port_name;                 // [Emulator] COM
  std::string eprom_code;                // [Emulator] EPROM
  std::int32_t spi_flag = 0;             // [Emulator] SPI
  std::int32_t auto_load = 0;            // [Emulator] AUTO
  std::uint8_t fill_byte = 0x00;         // [Speicher] Wert, 0 or 255
};

}  // namespace zorvin::settings
