// zorvin-load [--port PATH] [--eprom CODE] [--spi 0|1] [--auto 0|1] IMAGE
// zorvin-load --help | --version
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

#include "command_line.h"
#include "emu/emulator_transfer.h"
#include "files/regular_file.h"
#include "emu/transfer_steps.h"
#include "settings/settings.h"

namespace {

constexpr int kLoaded = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = zorvin::cli::kUsageError;

constexpr zorvin::cli::Tool kTool = {
    "zorvin-load",
    "Aufruf: zorvin-load [--port PFAD] [--eprom CODE] [--spi 0|1] [--auto 0|1] ABBILD\n"
    "        zorvin-load --help | --version\n"
    "ABBILD: Binärdatei (.bin) oder Intel HEX (.hex, .ihx).\n"
    "CODE: 16, 32, 64, E64, 128, 256, E256, 512. Vorgaben aus zorvin.ini im Arbeitsverzeichnis.\n"};

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

// What the call gives; the rest comes from zorvin.ini.
struct Options {
  std::optional<std::string> port;
  std::optional<std::string> eprom;
  std::optional<int> spi;
  std::optional<int> auto_load;
  std::optional<std::string> image;
};

// Empty after a message on a wrong call, or at --help or --version.
std::optional<Options> parse_options(zorvin::cli::ArgumentReader& args) {
  Options options;
  std::string value;
  while (args.next()) {
    const std::string& arg = args.arg();
    if (args.value("--port", value)) {
      options.port = value;
    } else if (args.value("--eprom", value)) {
      options.eprom = value;
      if (zorvin::emu::eprom_part(value).empty())
        return args.fail("unbekannter EPROM-Code '" + value + "' - gültig sind " + zorvin::emu::eprom_code_list());
    } else if (args.value("--spi", value) || args.value("--auto", value)) {
      const std::optional<int> on = switch_value(value);
      if (!on) return args.fail(arg + " erwartet 0 oder 1, nicht '" + value + "'");
      (arg == "--spi" ? options.spi : options.auto_load) = on;
    } else if (!args.positional(options.image)) {
      args.unknown();
    }
  }
  if (args.stopped()) return std::nullopt;
  if (!options.image) return args.fail("kein Abbild angegeben");
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  // A wrong call is refused before zorvin.ini is read.
  zorvin::cli::ArgumentReader args(kTool, argc, argv);
  const std::optional<Options> options = parse_options(args);
  if (!options) return args.stop();
  zorvin::settings::Settings settings;
  const std::string ini_path = zorvin::settings::settings_file_path();
  const auto loaded = zorvin::settings::load_settings(settings, ini_path);
  if (!loaded.message.empty()) std::fprintf(stderr, "zorvin-load: %s\n", loaded.message.c_str());
  if (options->port) settings.port_name = *options->port;
  if (options->eprom) settings.eprom_code = *options->eprom;
  if (options->spi) settings.spi_flag = *options->spi;
  if (options->auto_load) settings.auto_load = *options->auto_load;
  const bool eprom_given = options->eprom.has_value();
  const std::string& image = *options->image;
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
  if (std::error_code ignored; std::filesystem::exists(image, ignored)) {
    if (const std::string problem = zorvin::files::file_kind_problem(image); !problem.empty()) {
      std::fprintf(stderr, "zorvin-load: %s %s\n", image.c_str(), problem.c_str());
      return kFailed;
    }
  }
  zorvin::emu::SerialPorts ports;
  PrintingView view;
  return zorvin::emu::emulator_transfer(image, settings, ports, view) ? kLoaded : kFailed;
}
