#include "emu/transfer_steps.h"

#include <array>

#include "text/text_codec.h"
#include "settings/ini_store.h"

namespace zorvin::emu {
namespace {

// Commands are text; on the wire each character is one byte.
std::string command(const std::string& text) { return utf8_to_latin1(":" + text + "\n").bytes; }

constexpr std::array<EpromPart, 8> kParts = {{
    {"16", "2716", 2048}, {"32", "2732", 4096}, {"64", "2764", 8192}, {"E64", "28C64", 8192},
    {"128", "27128", 16384}, {"256", "27256", 32768}, {"E256", "28C256", 32768}, {"512", "27512", 65536},
}};

std::string on_off(int flag) { return flag == 1 ? "ON" : "OFF"; }

}  // namespace

std::span<const EpromPart> eprom_parts() { return kParts; }

std::string eprom_part(std::string_view code) {
  for (const EpromPart& known : kParts) {
    if (known.code == code) return std::string(known.part);
  }
  return {};
}

std::string eprom_code_list() {
  std::string list;
  for (const EpromPart& part : kParts) list += (list.empty() ? "" : ", ") + std::string(part.code);
  return list;
}

std::optional<std::string> stored_eprom_problem(const std::string& ini_path) {
  settings::IniStore ini;
  // A line break cannot be a stored value, so it marks a missing key.
  constexpr std::string_view kMissing = "\n";
  if (!ini.open(ini_path) || !ini.select_group("Emulator")) return std::nullopt;
  const std::string stored = ini.read_text("EPROM", kMissing);
  if (stored == kMissing || !eprom_part(stored).empty()) return std::nullopt;
  const std::string what =
      stored.empty() ? "EPROM in zorvin.ini ist leer" : "EPROM = " + stored + " in zorvin.ini ist ungültig";
  return what + " - gültig sind " + eprom_code_list();
}

std::optional<std::string> capacity_problem(std::size_t size, std::string_view code) {
  for (const EpromPart& part : kParts) {
    if (part.code != code || size <= part.capacity) continue;
    return "Abbild (" + std::to_string(size) + " Byte) passt nicht in den " + std::string(part.part) + " (" +
           std::to_string(part.capacity) + " Byte) - größeren EPROM-Typ wählen";
  }
  return std::nullopt;
}

bool is_version_line(std::string_view line) {
  return line.starts_with("-> HW: ") && line.find(", FW: ") != std::string_view::npos;
}

std::optional<std::string> settings_problem(const settings::Settings& settings) {
  if (settings.spi_flag != 0 && settings.spi_flag != 1)
    return "SPI = " + std::to_string(settings.spi_flag) + " in zorvin.ini ist ungültig (0 oder 1)";
  if (settings.auto_load != 0 && settings.auto_load != 1)
    return "AUTO = " + std::to_string(settings.auto_load) + " in zorvin.ini ist ungültig (0 oder 1)";
  if (eprom_part(settings.eprom_code).empty())
    return "EPROM-Typ '" + settings.eprom_code + "' ist unbekannt - gültig sind " + eprom_code_list() +
           "; unter Einstellungen -> EPROM Emulator wählen";
  return std::nullopt;
}

std::vector<TransferStep> transfer_steps(const std::string& image, const settings::Settings& settings) {
  std::vector<TransferStep> steps;
  const std::string spi = "iniSPI" + std::to_string(settings.spi_flag);
  steps.push_back({":" + spi, command(spi), {"-> SPI save " + on_off(settings.spi_flag)}});
  const std::string auto_load = "iniAuto" + std::to_string(settings.auto_load);
  steps.push_back({":" + auto_load, command(auto_load), {"-> Auto Load " + on_off(settings.auto_load)}});

  const std::size_t blocks = image.size() / kBlockSize;
  for (std::size_t offset = 0; offset < image.size(); offset += kBlockSize) {
    const std::string name = "Block " + std::to_string(offset / kBlockSize + 1) + " von " +
                             std::to_string(blocks) + " (Adresse " + std::to_string(offset) + ")";
    steps.push_back({name,
                     command("SBN") + command(std::to_string(offset)) + command(std::to_string(kBlockSize)) +
                         image.substr(offset, kBlockSize),
                     {"->in", "ACK"},
                     true});
  }
  const std::string eprom = "ini" + settings.eprom_code;
  steps.push_back({":" + eprom, command(eprom), {"-> Bus set to " + eprom_part(settings.eprom_code) + " "}});
  steps.push_back({":EMUON", command("EMUON"), {"-> Emulator Running"}});
  return steps;
}

}  // namespace zorvin::emu
