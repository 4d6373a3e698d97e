#include "settings/settings.h"

#include <algorithm>

#include "settings/ini_store.h"
#include "settings/number_text.h"

namespace zorvin::settings {

namespace {

constexpr std::array<WindowGeometry, 4> kDefaultGeometry{{
    {0, 0, 800, 600},
    {0, 0, 500, 300},
    {0, 400, 500, 100},
    {550, 0, 200, 500},
}};

// Keys F0X .. F3H: entry index, then X, Y, W, H for the four fields.
struct GeometryField {
  char letter;
  std::int32_t WindowGeometry::*member;
};
constexpr std::array<GeometryField, 4> kGeometryFields{{
    {'X', &WindowGeometry::x},
    {'Y', &WindowGeometry::y},
    {'W', &WindowGeometry::width},
    {'H', &WindowGeometry::height},
}};

std::string geometry_key(std::size_t entry, char letter) {
  return std::string{'F', static_cast<char>('0' + entry), letter};
}

constexpr std::array<std::string_view, 8> kEpromCodes{"16",  "32",  "64",   "E64",
                                                      "128", "256", "E256", "512"};

bool is_eprom_code(std::string_view code) {
  return std::find(kEpromCodes.begin(), kEpromCodes.end(), code) != kEpromCodes.end();
}

// The tool panes' group is written only once a pane was opened, so a user
// who never opens one keeps the file as it was.
void read_pane_layouts(IniStore& ini, Settings& settings) {
  if (!ini.select_group("Ansicht")) return;
  const std::int32_t width = ini.read_integer("Breite", 0);
  settings.dock_width = width >= 0 && width <= 10000 ? width : 0;
  for (std::size_t number = 1; number <= kMaxPaneLayouts; ++number) {
    const std::string value = ini.read_text("Bereich" + std::to_string(number), "");
    const auto bar = value.find('|');
    if (bar == std::string::npos || bar == 0) continue;
    settings.pane_layouts.push_back({value.substr(0, bar), value.substr(bar + 1)});
  }
}

void write_pane_layouts(IniStore& ini, const Settings& settings) {
  if (!ini.select_group("Ansicht") && settings.pane_layouts.empty()) return;
  ini.write_integer("Breite", settings.dock_width);
  const std::size_t count = std::min(settings.pane_layouts.size(), kMaxPaneLayouts);
  for (std::size_t i = 0; i < count; ++i)
    ini.write_text("Bereich" + std::to_string(i + 1), settings.pane_layouts[i].title + "|" + settings.pane_layouts[i].layout);
  for (std::size_t number = count + 1; number <= kMaxPaneLayouts; ++number)
    ini.remove_key("Bereich" + std::to_string(number));
}

}  // namespace

void default_settings(Settings& settings) {
  settings.window_geometry = kDefaultGeometry;
  settings.splitter_horizontal = 900;
  settings.splitter_vertical = 400;
}

SettingsFileResult load_settings(Settings& settings, const std::string& path) {
  IniStore ini;
  if (!ini.open(path)) {
    if (!ini.refused()) return {};
    return {false, path + " - Einstellungen nicht gelesen (" + ini.problem() +
                       "); die Datei bleibt unverändert und wird nicht überschrieben"};
  }

  if (ini.select_group("Fenster")) {
    for (std::size_t i = 0; i < settings.window_geometry.size(); ++i) {
      for (const GeometryField& field : kGeometryFields) {
        settings.window_geometry[i].*field.member = ini.read_integer(geometry_key(i, field.letter), 0);
      }
    }
  }

  ini.select_group("Splitter");
  settings.splitter_horizontal = ini.read_integer("Horizontal", 900);
  settings.splitter_vertical = ini.read_integer("Vertikal", 400);

  if (ini.select_group("Emulator")) {
    settings.port_prefix = ini.read_text("COM_PRFX", "");
    settings.port_name = ini.read_text("COM", "COM4");
    if (settings.port_name.empty()) settings.port_name = "COM4";
    settings.eprom_code = ini.read_text("EPROM", "64");
    if (!is_eprom_code(settings.eprom_code)) settings.eprom_code = "64";
    settings.spi_flag = ini.read_integer("SPI", 0);
    settings.auto_load = ini.read_integer("AUTO", 0);
  }

  if (ini.select_group("Speicher") && parse_prefixed_number(ini.read_text("Wert", "0")) == 255) {
    settings.fill_byte = 0xFF;
  }
  if (ini.select_group("Zorvin")) {
    settings.last_source = ini.read_text("LetzteQuelle", "");
    settings.symbols_open = ini.read_integer("Symbole", 0) == 1;
  }
  if (ini.select_group("Simulator")) {
    const std::int32_t clock = ini.read_integer("Takt", 6000000);
    settings.clock_hz = clock >= 1000 && clock <= 100000000 ? clock : 6000000;
    settings.profile_in_gutter = ini.read_integer("Profil", 1) != 0;
  }
  settings.source_dialects = read_source_dialects(ini);
  settings.source_peripherals = read_source_dialects(ini, "Peripherie");
  settings.source_watches = read_source_dialects(ini, "Beobachten");
  if (ini.select_group("Assembler")) settings.definitions = ini.read_text("Definitionen", "");
  read_pane_layouts(ini, settings);
  ini.close();
  return {};
}

SettingsFileResult save_settings(const Settings& settings, const std::string& path) {
  IniStore ini;
  const auto not_saved = [&path](const std::string& why) {
    return SettingsFileResult{false, path + " - Einstellungen nicht gespeichert (" + why + ")"};
  };
  // Only a missing file is created; one that could not be read is kept.
  if (!ini.open(path)) {
    if (ini.refused()) return not_saved(ini.problem());
    if (!ini.create(path)) return not_saved("keine normale Datei");
  }

  ini.select_group("Fenster");
  for (std::size_t i = 0; i < settings.window_geometry.size(); ++i) {
    for (const GeometryField& field : kGeometryFields) {
      ini.write_integer(geometry_key(i, field.letter), settings.window_geometry[i].*field.member);
    }
  }

  ini.select_group("Splitter");
  ini.write_integer("Horizontal", settings.splitter_horizontal);
  ini.write_integer("Vertikal", settings.splitter_vertical);

  // COM_PRFX is only ever set by hand and is left as the user wrote it.
  ini.select_group("Emulator");
  ini.write_text("COM", settings.port_name);
  ini.write_text("EPROM", settings.eprom_code);
  ini.write_integer("SPI", settings.spi_flag);
  ini.write_integer("AUTO", settings.auto_load);

  ini.select_group("Speicher");
  ini.write_integer("Wert", settings.fill_byte);
  // Only a clock that was set is written, so the first start's file stays as it was.
  if (ini.select_group("Simulator") || settings.clock_hz != 6000000) ini.write_integer("Takt", settings.clock_hz);
  // Written once switched off, and kept from then on.
  const bool has_profile_key = ini.select_group("Simulator") && ini.read_text("Profil", "") != "";
  if (has_profile_key || !settings.profile_in_gutter) ini.write_integer("Profil", settings.profile_in_gutter ? 1 : 0);
  // The program's own key, so that a first start writes only the keys above.
  if (!settings.last_source.empty()) {
    ini.select_group("Zorvin");
    ini.write_text("LetzteQuelle", settings.last_source);
  }
  if (ini.select_group("Zorvin") || settings.symbols_open) ini.write_integer("Symbole", settings.symbols_open ? 1 : 0);
  write_source_dialects(ini, settings.source_dialects);
  write_source_dialects(ini, settings.source_peripherals, "Peripherie");
  write_source_dialects(ini, settings.source_watches, "Beobachten");
  if (ini.select_group("Assembler") || !settings.definitions.empty()) ini.write_text("Definitionen", settings.definitions);
  write_pane_layouts(ini, settings);
  if (!ini.close()) return not_saved(ini.problem());
  return {};
}

}  // namespace zorvin::settings
