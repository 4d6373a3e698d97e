// The settings record: everything the program remembers between runs, kept
// in "zorvin.ini" in the working directory.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/source_dialects.h"

namespace zorvin::settings {

struct WindowGeometry {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

struct PaneLayoutEntry {
  std::string title;
  std::string layout;
};
inline constexpr std::size_t kMaxPaneLayouts = 20;

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
  std::string last_source;               // [Zorvin] LetzteQuelle, written only when set
  std::int32_t clock_hz = 6000000;       // [Simulator] Takt: the simulated crystal in Hz
  bool profile_in_gutter = true;         // [Simulator] Profil: a run's figures beside the editor's lines
  std::vector<SourceDialect> source_dialects;  // [Dialekte]: chosen per source file, newest first
  std::vector<SourceDialect> source_peripherals;  // [Peripherie]: the simulator's board per source file
  std::vector<SourceDialect> source_watches;      // [Beobachten]: the debugger's watch list per source file
  std::string definitions;               // [Assembler] Definitionen: "NAME=WERT, NAME2" for F5
  bool symbols_open = false;             // [Zorvin] Symbole: the "Symbole" pane was open at the end
  // [Ansicht]: the tool panes beside the editor. Breite: the dock's width
  // (0: as its panes need); Bereich1... "title|layout", one per tool.
  std::int32_t dock_width = 0;
  std::vector<PaneLayoutEntry> pane_layouts;
};

// The window geometry and splitter positions of a first start; the other
// fields keep what they hold.
void default_settings(Settings& settings);

// How reading or writing the settings file went. `message` is the line to
// show the user when something is not as it should be, else empty.
struct SettingsFileResult {
  bool ok = true;
  std::string message;
};

// Fills the record from the file; groups that are missing leave their fields
// as they are, and a file that cannot be read leaves the whole record. A
// file that is there but not read (too large, no permission) is reported.
SettingsFileResult load_settings(Settings& settings, const std::string& path);

// Writes the record into the file, keeping every other group, key and
// comment in it. A file that was not written (full disk, refused as too
// large, no permission) stays as it was and is reported.
SettingsFileResult save_settings(const Settings& settings, const std::string& path);

// "zorvin.ini" in the current working directory.
std::string settings_file_path();

// Start-up: loads the file, or, when there is none yet, puts the defaults
// into the record and creates the file from them. A file that is there but
// cannot be read is reported and left as it is.
SettingsFileResult load_or_create_settings(Settings& settings, const std::string& path);

}  // namespace zorvin::settings
