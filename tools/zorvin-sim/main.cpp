// zorvin-sim SOURCE|IMAGE [--cpu NAME] [--steps N] [--cycles N]
//            [--until LABEL|ADDR] [--stim FILE] [--trace FILE]
//            [--expect NAME=VALUE ...] [--clock HZ] [--vcd FILE]
//            [--serial TX=P2.7,RX=T0,BAUD=9600[,INVERT]] [--send TEXT ...]
//            [--serial-out FILE] [--expect-output TEXT ...]
//
// Runs an 8048 program from reset without hardware. A source (any file not
// ending in .bin, .hex or .ihx) is assembled as F5 does it; an image is read as
// it is. The run ends after N steps, at the first instruction boundary at
// or after N cycles, when the PC reaches the --until address, on an
// undefined opcode, or after kDefaultCycles when no limit is given. Then
// the end state is printed and the expectations checked. With --serial a
// terminal listens on the TX pin and types each --send text on the RX pin
// once the line has been quiet for 100 bit times; without a limit the run
// then ends after a second of quiet (simulated time). The decoded text
// goes to standard output (the status lines then to standard error) or to
// --serial-out.
// Exit status: 0 when the run ended normally and every expectation holds,
// 1 when one does not, the source has errors, the program ran into an
// undefined opcode, --until was not reached, the serial line had a fault
// or lacked an expected output, 2 for a wrong call or a file that cannot
// be read or written.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "dis/image_file.h"
#include "files/binary_path.h"
#include "files/file_identity.h"
#include "files/source_file.h"
#include "sim/expectation.h"
#include "sim/program_source.h"
#include "sim/serial_line.h"
#include "sim/simulator.h"
#include "sim/stimulus.h"
#include "sim/trace_format.h"
#include "sim/vcd_writer.h"

namespace {

using namespace zorvin::sim;

constexpr int kSuccess = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

// Without a limit a program that loops for ever still ends: 100 million
// cycles are 250 s of a 6 MHz 8048, about a second here.
constexpr std::uint64_t kDefaultCycles = 100'000'000;

constexpr std::uint64_t kMaxOpenEndedTraceLines = 100'000;

constexpr const char* kUsage =
    "Aufruf: zorvin-sim QUELLE|ABBILD [--cpu NAME] [--steps N] [--cycles N] [--until MARKE|ADRESSE]\n"
    "                  [--stim DATEI] [--trace DATEI] [--expect NAME=WERT ...] [--clock HZ] [--vcd DATEI]\n"
    "                  [--serial TX=P2.7,RX=T0,BAUD=9600[,INVERT]] [--send TEXT ...] [--serial-out DATEI]\n"
    "                  [--expect-output TEXT ...]\n";

struct Options {
  std::string program;
  std::optional<std::string> cpu;
  std::optional<std::uint64_t> steps;
  std::optional<std::uint64_t> cycles;
  std::optional<std::string> until;
  std::optional<std::string> stimulus;
  std::optional<std::string> trace;
  std::vector<Expectation> expectations;
  std::uint64_t clock_hz = kDefaultClockHz;
  std::optional<std::string> vcd;
  std::optional<SerialConfig> serial;
  std::vector<std::string> sends;
  std::optional<std::string> serial_out;
  std::vector<std::string> expected_outputs;
};

bool usage_error(const std::string& message) {
  std::fprintf(stderr, "zorvin-sim: %s\n", message.c_str());
  return false;
}

bool parse_options(int argc, char** argv, Options& options) {
  bool have_program = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--cpu" && has_value) {
      options.cpu = argv[++i];
      if (!variant_named(*options.cpu)) return usage_error("unbekannter Prozessor '" + *options.cpu + "'");
    } else if ((arg == "--steps" || arg == "--cycles") && has_value) {
      const std::string value = argv[++i];
      const auto number = parse_decimal(value);
      if (!number) return usage_error(arg + " erwartet eine Dezimalzahl, nicht '" + value + "'");
      (arg == "--steps" ? options.steps : options.cycles) = number;
    } else if (arg == "--until" && has_value) {
      options.until = argv[++i];
    } else if (arg == "--stim" && has_value) {
      options.stimulus = argv[++i];
    } else if (arg == "--trace" && has_value) {
      options.trace = argv[++i];
    } else if (arg == "--expect" && has_value) {
      const ParsedExpectation parsed = parse_expectation(argv[++i]);
      if (!parsed.expectation) return usage_error("--expect " + parsed.error);
      options.expectations.push_back(*parsed.expectation);
    } else if (arg == "--clock" && has_value) {
      const std::string value = argv[++i];
      const auto hz = parse_decimal(value);
      if (!hz || *hz < 1000 || *hz > 100'000'000)
        return usage_error("--clock erwartet eine Frequenz in Hz (1000 bis 100000000), nicht '" + value + "'");
      options.clock_hz = *hz;
    } else if (arg == "--vcd" && has_value) {
      options.vcd = argv[++i];
    } else if (arg == "--serial" && has_value) {
      const ParsedSerialConfig parsed = parse_serial_config(argv[++i]);
      if (!parsed.config) return usage_error("--serial: " + parsed.error);
      options.serial = parsed.config;
    } else if (arg == "--send" && has_value) {
      options.sends.push_back(decode_escapes(argv[++i]));
    } else if (arg == "--serial-out" && has_value) {
      options.serial_out = argv[++i];
    } else if (arg == "--expect-output" && has_value) {
      options.expected_outputs.push_back(decode_escapes(argv[++i]));
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
  return true;
}

struct Program {
  std::vector<std::uint8_t> bytes;
  std::vector<ProgramLabel> labels;
  Variant variant = Variant::I8048;
};

// The program's bytes and labels; the exit status when there are none.
std::optional<Program> load(const Options& options, int& status) {
  Program program;
  std::optional<std::string> cpu = options.cpu;
  if (zorvin::dis::is_image_name(options.program)) {
    // Holes and the memory below the first record read 00H, as after an
    // assembler run.
    const zorvin::dis::ImageFile file = zorvin::dis::read_image_file(options.program, 0, 0x00);
    if (!file.ok()) {
      std::fprintf(stderr, "zorvin-sim: %s\n", zorvin::dis::error_with_name(options.program, file).c_str());
      status = kUsageError;
      return std::nullopt;
    }
    program.bytes.assign(static_cast<std::size_t>(file.base), 0x00);
    program.bytes.insert(program.bytes.end(), file.bytes.begin(), file.bytes.end());
  } else {
    zorvin::files::LoadedSource source = zorvin::files::read_source_file(options.program);
    if (!source.ok) {
      std::fprintf(stderr, "zorvin-sim: %s kann nicht gelesen werden: %s\n", options.program.c_str(),
                   source.error.c_str());
      status = kUsageError;
      return std::nullopt;
    }
    if (source.cut_at_zero) {
      std::fprintf(stderr, "zorvin-sim: %s: ab dem ersten 00H-Byte wurden %ju Byte nicht gelesen\n",
                   options.program.c_str(), source.bytes_not_loaded);
    }
    AssembledProgram assembled =
        assemble_program(std::move(source.text), zorvin::files::folder_of(options.program));
    if (!assembled.result.ok()) {
      for (const auto& error : assembled.result.errors)
        std::printf("%s\n", zorvin::asm48::format_diagnostic(error).c_str());
      std::printf("%s\n", assembled.result.nothing_to_assemble ? "Es gibt nichts zu assemblieren."
                                                                : assembled.result.summary.c_str());
      status = kFailed;
      return std::nullopt;
    }
    program.bytes = std::move(assembled.bytes);
    program.labels = std::move(assembled.labels);
    if (!cpu && assembled.cpu && variant_named(*assembled.cpu)) cpu = assembled.cpu;
  }
  if (cpu) program.variant = *variant_named(*cpu);
  const auto size = static_cast<std::size_t>(info(program.variant).program_size);
  if (program.bytes.size() > size) {
    std::fprintf(stderr, "zorvin-sim: das Programm ist größer als der Programmspeicher des %s (%zu Byte)\n",
                 std::string(info(program.variant).name).c_str(), size);
    status = kUsageError;
    return std::nullopt;
  }
  return program;
}

// --until: a label of the source, or an address in hexadecimal.
std::optional<std::uint16_t> until_address(const std::string& text, const Program& program) {
  if (const auto label = label_address(program.labels, text)) return *label;
  if (const auto number = parse_hex(text, 0xFFF)) return static_cast<std::uint16_t>(*number);
  return std::nullopt;
}

std::string hex3(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%03XH", value);
  return text;
}

// Text for a status line: control characters as \r, \n, \e or \xNN.
std::string shown(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\x1B') out += "\\e";
    else if (byte < 0x20 || byte == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    } else out += c;
  }
  return out;
}

// Runs with the terminal on the serial line: in slices, so that each text
// is typed once the program has been quiet on the line.
RunResult run_with_terminal(Simulator& simulator, SerialTerminal& terminal, const Options& options,
                            const RunLimits& limits, bool open_ended) {
  SerialDecoder& decoder = terminal.decoder();
  const auto quiet = static_cast<std::uint64_t>(100 * terminal.bit_cycles());
  const std::uint64_t end_quiet = simulator.clock_hz() / kClocksPerCycle;  // a second
  const std::uint64_t slice = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(10 * terminal.bit_cycles()));
  std::uint64_t steps_left = limits.max_steps;
  std::size_t next_text = 0;
  std::uint64_t typed_until = 0;
  RunResult result;
  for (;;) {
    const std::uint64_t now = simulator.state().cycles;
    decoder.advance_to(now);  // a character ends with the stop bit's sample, not with an edge
    const bool line_quiet = !decoder.receiving() && now >= decoder.last_activity() + quiet;
    if (next_text < options.sends.size() && now >= typed_until && line_quiet)
      typed_until = terminal.type(options.sends[next_text++], now);
    const bool all_typed = next_text == options.sends.size() && now >= typed_until;
    if (open_ended && all_typed && now >= std::max(decoder.last_activity(), typed_until) + end_quiet) {
      result.reason = StopReason::CycleLimit;
      break;
    }
    RunLimits part = limits;
    part.max_steps = steps_left;
    part.until_cycle = std::min(limits.until_cycle, now + slice);
    const RunResult piece = simulator.run(part);
    steps_left -= piece.steps;
    result.reason = piece.reason;
    result.pc = piece.pc;
    result.opcode = piece.opcode;
    result.steps += piece.steps;
    if (piece.reason != StopReason::CycleLimit || simulator.state().cycles >= limits.until_cycle) break;
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse_options(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return kUsageError;
  }
  int status = kSuccess;
  const auto program = load(options, status);
  if (!program) return status;

  std::optional<std::uint16_t> until;
  if (options.until) {
    until = until_address(*options.until, *program);
    if (!until) {
      std::fprintf(stderr, "zorvin-sim: --until %s ist weder Marke noch Adresse\n", options.until->c_str());
      return kUsageError;
    }
  }

  Simulator simulator(program->variant);
  simulator.set_clock_hz(options.clock_hz);
  simulator.load_program(program->bytes);

  if (options.stimulus) {
    const zorvin::files::LoadedSource text = zorvin::files::read_source_file(*options.stimulus);
    if (!text.ok) {
      std::fprintf(stderr, "zorvin-sim: %s kann nicht gelesen werden: %s\n", options.stimulus->c_str(),
                   text.error.c_str());
      return kUsageError;
    }
    const Stimulus stimulus = parse_stimulus(text.text);
    if (!stimulus.ok) {
      std::fprintf(stderr, "zorvin-sim: %s, %s\n", options.stimulus->c_str(), stimulus.error.c_str());
      return kUsageError;
    }
    schedule_stimulus(simulator, stimulus.changes);
  }

  for (const auto& [option, path] : {std::pair{"--trace", options.trace}, std::pair{"--vcd", options.vcd},
                                     std::pair{"--serial-out", options.serial_out}}) {
    if (path && zorvin::files::same_file(*path, options.program)) {
      std::fprintf(stderr, "zorvin-sim: %s %s würde das Programm überschreiben\n", option, path->c_str());
      return kUsageError;
    }
  }

  // Files to write, opened before the run so that a wrong path costs nothing.
  struct Output {
    const std::optional<std::string>& path;
    std::FILE* file = nullptr;
  };
  Output trace{options.trace}, vcd_file{options.vcd}, serial_file{options.serial_out};
  for (Output* output : {&trace, &vcd_file, &serial_file}) {
    if (!output->path) continue;
    output->file = std::fopen(output->path->c_str(), "wb");
    if (output->file == nullptr) {
      std::fprintf(stderr, "zorvin-sim: %s kann nicht geschrieben werden\n", output->path->c_str());
      for (Output* opened : {&trace, &vcd_file, &serial_file})
        if (opened->file != nullptr) std::fclose(opened->file);
      return kUsageError;
    }
  }
  // Without a limit of the user's the run may take 100 million cycles: the
  // trace then keeps the first 100000 steps rather than gigabytes.
  const bool limited = options.steps || options.cycles;
  std::uint64_t trace_lines = 0;
  if (trace.file != nullptr) {
    simulator.set_trace([&](const TraceStep& step) {
      if (!limited && trace_lines >= kMaxOpenEndedTraceLines) return;
      const std::string line = trace_line(simulator, step);
      std::fprintf(trace.file, "%s\n", line.c_str());
      if (++trace_lines == kMaxOpenEndedTraceLines && !limited)
        std::fprintf(trace.file, "Trace nach %llu Schritten gekürzt (ohne --steps oder --cycles)\n",
                     static_cast<unsigned long long>(kMaxOpenEndedTraceLines));
    });
  }
  std::optional<VcdWriter> vcd;
  if (vcd_file.file != nullptr) vcd.emplace(vcd_file.file, simulator);
  std::optional<SerialTerminal> terminal;
  if (options.serial) terminal.emplace(simulator, *options.serial);
  if (vcd || terminal) {
    simulator.set_pin_listener([&](const PinEvent& event) {
      if (vcd) vcd->pin_changed(event);
      if (terminal) terminal->pin_changed(event);
    });
  }

  RunLimits limits;
  if (options.steps) limits.max_steps = *options.steps;
  if (options.cycles) limits.until_cycle = *options.cycles;
  if (until) limits.stop_at = *until;
  const bool open_ended = !options.steps && !options.cycles && !until;
  if (!options.steps && !options.cycles) limits.until_cycle = kDefaultCycles;
  const RunResult result =
      terminal ? run_with_terminal(simulator, *terminal, options, limits, open_ended) : simulator.run(limits);
  if (terminal) terminal->decoder().advance_to(simulator.state().cycles);

  bool ok = true;
  // With the decoded text on standard output, the status lines go to standard error.
  std::FILE* status_out = terminal && serial_file.file == nullptr ? stderr : stdout;
  if (terminal) {
    const std::string& text = terminal->decoder().text();
    std::FILE* out = serial_file.file != nullptr ? serial_file.file : stdout;
    std::fwrite(text.data(), 1, text.size(), out);
    std::fflush(out);
  }
  if (trace.file != nullptr) std::fputs(ram_dump(simulator).c_str(), trace.file);
  for (Output* output : {&trace, &vcd_file, &serial_file}) {
    if (output->file == nullptr) continue;
    if (std::fclose(output->file) != 0) {
      std::fprintf(stderr, "zorvin-sim: %s kann nicht geschrieben werden\n", output->path->c_str());
      ok = false;
    }
  }

  const State& s = simulator.state();
  std::fprintf(status_out, "PC=%s A=%02X PSW=%02X CYCLES=%llu STEPS=%llu\n", hex3(s.pc).c_str(), s.a,
               simulator.psw(), static_cast<unsigned long long>(s.cycles), static_cast<unsigned long long>(s.steps));
  if (result.reason == StopReason::UndefinedOpcode) {
    std::fprintf(status_out, "%s\n", stop_message(result).c_str());
    ok = false;
  }
  if (until && result.reason != StopReason::Address) {
    std::fprintf(status_out, "--until %s (%s) wurde nicht erreicht\n", options.until->c_str(), hex3(*until).c_str());
    ok = false;
  }
  for (const Expectation& expectation : options.expectations) {
    const std::uint64_t found = observed(simulator, expectation);
    if (found == expectation.value) continue;
    std::fprintf(status_out, "Erwartung %s nicht erfüllt, gefunden: %s\n",
                 formatted(expectation, expectation.value).c_str(), formatted(expectation, found).c_str());
    ok = false;
  }
  if (terminal) {
    for (const SerialProblem& problem : terminal->decoder().problems()) {
      std::fprintf(status_out, "Serielle Leitung: %s\n", problem.text.c_str());
      ok = false;
    }
    for (const std::string& expected : options.expected_outputs) {
      if (terminal->decoder().text().find(expected) != std::string::npos) continue;
      std::fprintf(status_out, "Ausgabe enthält nicht \"%s\"\n", shown(expected).c_str());
      ok = false;
    }
  }
  return ok ? kSuccess : kFailed;
}
