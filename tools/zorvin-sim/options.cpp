#include "options.h"

#include <cstdio>

#include "board_run.h"
#include "sim/stimulus.h"
#include "sim/variant.h"

namespace zorvin::sim_tool {

const char* const kUsage =
    "Aufruf: zorvin-sim QUELLE|ABBILD [--cpu NAME] [--steps N] [--cycles N] [--until MARKE|ADRESSE]\n"
    "                  [--stim DATEI] [--trace DATEI] [--expect NAME=WERT ...] [--clock HZ] [--vcd DATEI]\n"
    "                  [--serial TX=P2.7,RX=T0,BAUD=9600[,INVERT]] [--send TEXT ...] [--serial-out DATEI]\n"
    "                  [--expect-output TEXT ...] [--profile DATEI] [--fehlerformat gnu|standard]\n"
    "                  [--board DATEI] [--expect-host \"41 0D\"] [--lcd] [--expect-lcd TEXT ...]\n"
    "        zorvin-sim --help | --version\n";

namespace {

bool usage_error(const std::string& message) {
  std::fprintf(stderr, "zorvin-sim: %s\n", message.c_str());
  return false;
}

}  // namespace

bool parse_options(int argc, char** argv, Options& options) {
  bool have_program = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (const auto request = cli::request_of(arg)) {
      options.request = request;
      return true;
    }
    if (arg == "--cpu" && has_value) {
      options.cpu = argv[++i];
      if (!sim::variant_named(*options.cpu)) return usage_error("unbekannter Prozessor '" + *options.cpu + "'");
    } else if ((arg == "--steps" || arg == "--cycles") && has_value) {
      const std::string value = argv[++i];
      const auto number = sim::parse_decimal(value);
      const bool digits = !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
      if (digits && (!number || *number > kMaxRunLength))  // also beyond 64 bits
        return usage_error(arg + " " + value + " ist zu groß: höchstens " + std::to_string(kMaxRunLength));
      if (!number) return usage_error(arg + " erwartet eine Dezimalzahl, nicht '" + value + "'");
      (arg == "--steps" ? options.steps : options.cycles) = number;
    } else if (arg == "--until" && has_value) {
      options.until = argv[++i];
    } else if (arg == "--stim" && has_value) {
      options.stimulus = argv[++i];
    } else if (arg == "--trace" && has_value) {
      options.trace = argv[++i];
    } else if (arg == "--profile" && has_value) {
      options.profile = argv[++i];
    } else if (arg == "--expect" && has_value) {
      const sim::ParsedExpectation parsed = sim::parse_expectation(argv[++i]);
      if (!parsed.expectation) return usage_error("--expect " + parsed.error);
      options.expectations.push_back(*parsed.expectation);
    } else if (arg == "--clock" && has_value) {
      const std::string value = argv[++i];
      const auto hz = sim::parse_decimal(value);
      if (!hz || *hz < 1000 || *hz > 100'000'000)
        return usage_error("--clock erwartet eine Frequenz in Hz (1000 bis 100000000), nicht '" + value + "'");
      options.clock_hz = *hz;
      options.clock_given = true;
    } else if (arg == "--vcd" && has_value) {
      options.vcd = argv[++i];
    } else if (arg == "--serial" && has_value) {
      const sim::ParsedSerialConfig parsed = sim::parse_serial_config(argv[++i]);
      if (!parsed.config) return usage_error("--serial: " + parsed.error);
      options.serial = parsed.config;
    } else if (arg == "--send" && has_value) {
      options.sends.push_back(sim::decode_escapes(argv[++i]));
    } else if (arg == "--serial-out" && has_value) {
      options.serial_out = argv[++i];
    } else if (arg == "--expect-output" && has_value) {
      options.expected_outputs.push_back(sim::decode_escapes(argv[++i]));
    } else if (arg == "--fehlerformat" && has_value) {
      const std::string value = argv[++i];
      options.error_format = cli::error_format_named(value);
      if (!options.error_format)
        return usage_error("--fehlerformat erwartet " + std::string(cli::kErrorFormatNames) + ", nicht '" + value +
                           "'");
    } else if (arg == "--board" && has_value) {
      options.board = argv[++i];
    } else if (arg == "--expect-host" && has_value) {
      std::vector<std::uint8_t> bytes;
      if (!parse_host_bytes(argv[++i], bytes))
        return usage_error(std::string("--expect-host erwartet Bytes in Hexadezimal (\"41 0D\"), nicht '") + argv[i] + "'");
      options.expected_host = bytes;
    } else if (arg == "--lcd") {
      options.lcd = true;
    } else if (arg == "--expect-lcd" && has_value) {
      options.expected_lcd.push_back(argv[++i]);
    } else if (!arg.starts_with("-") && !have_program) {
      options.program = arg;
      have_program = true;
    } else {
      return usage_error("unbekanntes oder unvollständiges Argument '" + arg + "'");
    }
  }
  if (!have_program) return usage_error("kein Programm angegeben");
  if (!options.serial && (!options.sends.empty() || options.serial_out || !options.expected_outputs.empty()))
    return usage_error("--send, --serial-out und --expect-output brauchen --serial");
  if (!options.board && (options.expected_host || options.lcd || !options.expected_lcd.empty()))
    return usage_error("--expect-host, --lcd und --expect-lcd brauchen --board");
  return true;
}

}  // namespace zorvin::sim_tool
