// zorvin-sim SOURCE|IMAGE [--cpu NAME] [--steps N] [--cycles N]
//            [--until LABEL|ADDR] [--stim FILE] [--trace FILE]
//            [--expect NAME=VALUE ...]
//
// Runs an 8048 program from reset without hardware. A source (any file not
// ending in .bin or .hex) is assembled as F5 does it; an image is read as
// it is. The run ends after N steps, at the first instruction boundary at
// or after N cycles, when the PC reaches the --until address, on an
// undefined opcode, or after kDefaultCycles when no limit is given. Then
// the end state is printed and the expectations checked.
// Exit status: 0 when the run ended normally and every expectation holds,
// 1 when one does not, the source has errors, the program ran into an
// undefined opcode or --until was not reached, 2 for a wrong call or a
// file that cannot be read.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "files/binary_path.h"
#include "files/source_file.h"
#include "sim/disassembler.h"
#include "sim/expectation.h"
#include "sim/program_source.h"
#include "sim/simulator.h"
#include "sim/stimulus.h"
#include "sim/trace_format.h"

namespace {

using namespace zorvin::sim;

constexpr int kSuccess = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

// Without a limit a program that loops for ever still ends: 100 million
// cycles are 250 s of a 6 MHz 8048, about a second here.
constexpr std::uint64_t kDefaultCycles = 100'000'000;

constexpr const char* kUsage =
    "Aufruf: zorvin-sim QUELLE|ABBILD [--cpu NAME] [--steps N] [--cycles N] [--until MARKE|ADRESSE]\n"
    "                  [--stim DATEI] [--trace DATEI] [--expect NAME=WERT ...]\n";

struct Options {
  std::string program;
  std::optional<std::string> cpu;
  std::optional<std::uint64_t> steps;
  std::optional<std::uint64_t> cycles;
  std::optional<std::string> until;
  std::optional<std::string> stimulus;
  std::optional<std::string> trace;
  std::vector<Expectation> expectations;
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
    } else if (!arg.starts_with("-") && !have_program) {
      options.program = arg;
      have_program = true;
    } else {
      return usage_error("unbekanntes oder unvollständiges Argument '" + arg + "'");
    }
  }
  if (!have_program) return usage_error("kein Programm angegeben");
  return true;
}

bool is_image(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == "bin" || extension == "hex";
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
  if (is_image(options.program)) {
    const ProgramFile file = read_program_file(options.program);
    if (!file.ok) {
      std::fprintf(stderr, "zorvin-sim: %s: %s\n", options.program.c_str(), file.error.c_str());
      status = kUsageError;
      return std::nullopt;
    }
    program.bytes = file.bytes;
  } else {
    zorvin::files::LoadedSource source = zorvin::files::read_source_file(options.program);
    if (!source.ok) {
      std::fprintf(stderr, "zorvin-sim: %s kann nicht gelesen werden: %s\n", options.program.c_str(),
                   source.error.c_str());
      status = kUsageError;
      return std::nullopt;
    }
    AssembledProgram assembled =
        assemble_program(std::move(source.text), zorvin::files::folder_of(options.program));
    if (!assembled.result.ok()) {
      for (const std::string& line : assembled.result.error_lines) std::printf("%s\n", line.c_str());
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

  std::FILE* trace = nullptr;
  if (options.trace) {
    trace = std::fopen(options.trace->c_str(), "w");
    if (trace == nullptr) {
      std::fprintf(stderr, "zorvin-sim: %s kann nicht geschrieben werden\n", options.trace->c_str());
      return kUsageError;
    }
    simulator.set_trace([&](const TraceStep& step) {
      const std::string line = trace_line(simulator, step);
      std::fprintf(trace, "%s\n", line.c_str());
    });
  }

  RunLimits limits;
  if (options.steps) limits.max_steps = *options.steps;
  if (options.cycles) limits.until_cycle = *options.cycles;
  if (until) limits.stop_at = *until;
  if (!options.steps && !options.cycles) limits.until_cycle = kDefaultCycles;
  const RunResult result = simulator.run(limits);

  bool ok = true;
  if (trace != nullptr) {
    std::fputs(ram_dump(simulator).c_str(), trace);
    if (std::fclose(trace) != 0) {
      std::fprintf(stderr, "zorvin-sim: %s kann nicht geschrieben werden\n", options.trace->c_str());
      ok = false;
    }
  }

  const State& s = simulator.state();
  std::printf("PC=%s A=%02X PSW=%02X CYCLES=%llu STEPS=%llu\n", hex3(s.pc).c_str(), s.a, simulator.psw(),
              static_cast<unsigned long long>(s.cycles), static_cast<unsigned long long>(s.steps));
  if (result.reason == StopReason::UndefinedOpcode) {
    std::printf("%s\n", stop_message(result).c_str());
    ok = false;
  }
  if (until && result.reason != StopReason::Address) {
    std::printf("--until %s (%s) wurde nicht erreicht\n", options.until->c_str(), hex3(*until).c_str());
    ok = false;
  }
  for (const Expectation& expectation : options.expectations) {
    const std::uint64_t found = observed(simulator, expectation);
    if (found == expectation.value) continue;
    std::printf("Erwartung %s nicht erfüllt, gefunden: %s\n", formatted(expectation, expectation.value).c_str(),
                formatted(expectation, found).c_str());
    ok = false;
  }
  return ok ? kSuccess : kFailed;
}
