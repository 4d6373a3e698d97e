// zorvin-load [--port PATH] [--eprom CODE] [--spi 0|1] [--auto 0|1] IMAGE
//
// Loads an image (raw binary, or Intel HEX) into the EPROM emulator like the
// F6 command does, for scripts and Makefiles. The port, EPROM code and the two switches default
// to those in zorvin.ini in the working directory (the file is only read).
// Prints the lines F6 shows, UTF-8, one per line. Exit status: 0 only when
// the device confirmed every step, 1 for a device or image fault, 2 for a
// wrong call.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "emu/emulator_transfer.h"
#include "files/regular_file.h"
#include "emu/transfer_steps.h"
#include "settings/settings.h"

namespace {

constexpr int kLoaded = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "Aufruf: zorvin-load [--port PFAD] [--eprom CODE] [--spi 0|1] [--auto 0|1] ABBILD\n"
    "ABBILD: Binärdatei (.bin) oder Intel HEX (.hex, .ihx).\n"
    "CODE: 16, 32, 64, E64, 128, 256, E256, 512. Vorgaben aus zorvin.ini im Arbeitsverzeichnis.\n";

void print_line(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// Shows each line at once, so a user watching a slow device sees progress.
class PrintingView : public zorvin::emu::TransferView {
 public:
  void append_message(const std::string& line) override { print_line(line); }
  void scroll_messages_to_end() override {}
  void wait_for_one_event(int) override {}
};

std::optional<int> switch_value(const std::string& text) {
  if (text == "0") return 0;
  if (text == "1") return 1;
  return std::nullopt;
}

// Applies the options to `settings` (loaded from zorvin.ini); the image path,
// or nothing after a message on a wrong call. `eprom_given`: whether --eprom
// replaced the file's EPROM type.
std::optional<std::string> parse_options(int argc, char** argv, zorvin::settings::Settings& settings,
                                         bool& eprom_given) {
  std::optional<std::string> image;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--port" && has_value) {
      settings.port_name = argv[++i];
    } else if (arg == "--eprom" && has_value) {
      settings.eprom_code = argv[++i];
      eprom_given = true;
      if (zorvin::emu::eprom_part(settings.eprom_code).empty()) {
        std::fprintf(stderr, "zorvin-load: unbekannter EPROM-Code '%s' - gültig sind %s\n",
                     settings.eprom_code.c_str(), zorvin::emu::eprom_code_list().c_str());
        return std::nullopt;
      }
    } else if ((arg == "--spi" || arg == "--auto") && has_value) {
      const std::optional<int> value = switch_value(argv[++i]);
      if (!value) {
        std::fprintf(stderr, "zorvin-load: %s erwartet 0 oder 1, nicht '%s'\n", arg.c_str(), argv[i]);
        return std::nullopt;
      }
      (arg == "--spi" ? settings.spi_flag : settings.auto_load) = *value;
    } else if (!arg.starts_with("-") && !image) {
      image = arg;
    } else {
      std::fprintf(stderr, "zorvin-load: unbekanntes oder unvollständiges Argument '%s'\n", arg.c_str());
      return std::nullopt;
    }
  }
  if (!image) std::fprintf(stderr, "zorvin-load: kein Abbild angegeben\n");
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return kLoaded;
  }
  zorvin::settings::Settings settings;
  const std::string ini_path = zorvin::settings::settings_file_path();
  const auto loaded = zorvin::settings::load_settings(settings, ini_path);
  if (!loaded.message.empty()) std::fprintf(stderr, "zorvin-load: %s\n", loaded.message.c_str());
  bool eprom_given = false;
  const std::optional<std::string> image = parse_options(argc, argv, settings, eprom_given);
  if (!image) {
    std::fputs(kUsage, stderr);
    return kUsageError;
  }
  // Without zorvin.ini there is no port and no EPROM type to fall back on;
  // the two switches start at 0, as in a new zorvin.ini.
  if (std::error_code ignored; !std::filesystem::exists(ini_path, ignored)) {
    std::string missing = settings.port_name.empty() ? "--port" : "";
    if (!eprom_given) missing += std::string(missing.empty() ? "" : " und ") + "--eprom";
    if (!missing.empty()) {
      std::fprintf(stderr, "zorvin-load: keine zorvin.ini im Arbeitsverzeichnis - %s angeben (EPROM-Codes: %s)\n",
                   missing.c_str(), zorvin::emu::eprom_code_list().c_str());
      return kUsageError;
    }
  }
  if (settings.eprom_code.empty()) {
    std::fprintf(stderr, "zorvin-load: kein EPROM-Typ in zorvin.ini (Gruppe [Emulator], EPROM) - --eprom angeben "
                         "(gültig sind %s)\n",
                 zorvin::emu::eprom_code_list().c_str());
    return kUsageError;
  }
  // Loading the settings made "64" of an unknown EPROM value.
  if (const std::optional<std::string> problem = zorvin::emu::stored_eprom_problem(ini_path);
      problem && !eprom_given) {
    std::fprintf(stderr, "zorvin-load: %s (oder --eprom angeben)\n", problem->c_str());
    return kUsageError;
  }
  if (settings.port_name.empty()) {
    std::fprintf(stderr, "zorvin-load: keine Schnittstelle: --port angeben oder COM in zorvin.ini eintragen\n");
    return kUsageError;
  }
  if (const std::optional<std::string> problem = zorvin::emu::settings_problem(settings)) {
    std::fprintf(stderr, "zorvin-load: %s (oder --eprom, --spi, --auto angeben)\n", problem->c_str());
    return kUsageError;
  }
  // A folder, FIFO or device named as the image: say what it is.
  if (std::error_code ignored; std::filesystem::exists(*image, ignored)) {
    if (const std::string problem = zorvin::files::file_kind_problem(*image); !problem.empty()) {
      std::fprintf(stderr, "zorvin-load: %s %s\n", image->c_str(), problem.c_str());
      return kFailed;
    }
  }
  zorvin::emu::SerialPorts ports;
  PrintingView view;
  return zorvin::emu::emulator_transfer(*image, settings, ports, view) ? kLoaded : kFailed;
}
