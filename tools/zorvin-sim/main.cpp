// zorvin-sim SOURCE|IMAGE [--cpu NAME] [--steps N] [--cycles N]
//            [--until LABEL|ADDR] [--stim FILE] [--trace FILE]
//            [--expect NAME=VALUE ...] [--clock HZ] [--vcd FILE]
//            [--serial TX=P2.7,RX=T0,BAUD=9600[,INVERT]] [--send TEXT ...]
//            [--serial-out FILE] [--expect-output TEXT ...] [--profile FILE]
//            [--board FILE] [--expect-host "41 0D"] [--lcd] [--expect-lcd TEXT ...]
//            [--fehlerformat gnu|standard]
// zorvin-sim --help | --version
//
// Runs an 8048 program from reset without hardware. A source (any file not
// ending in .bin, .hex or .ihx) is assembled as F5 does it; an image is read as
// it is. The run ends after N steps, at the first instruction boundary at
// or after N cycles (both at most kMaxRunLength), when the PC reaches the
// --until address, on an undefined opcode, or after kDefaultCycles when no
// limit is given, which a note says. Then the end state is printed and the
// expectations checked. With --serial a terminal listens on the TX pin and
// types each --send text on the RX pin once the line has been quiet for 100
// bit times; without a limit the run then ends after a second of quiet
// (simulated time). The decoded text goes to standard output (the status
// lines then to standard error) or to --serial-out. No output may be a
// file the run reads or another output; each is written beside and put in
// place at the end. --profile writes per source line (for an image: per
// address) how often it ran, its cycles and their share.
// Exit status: 0 only when everything asked for happened: 1 when an
// expectation does not hold, the source has errors, the program ran into an
// undefined opcode, --until was not reached, a --send text was not typed,
// the serial line had a fault or lacked an expected output, or an output
// could not be written; 2 for a wrong call or an input that cannot be read.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dis/image_file.h"
#include "files/binary_path.h"
#include "files/source_file.h"
#include "board_run.h"
#include "options.h"
#include "outputs.h"
#include "session.h"
#include "sim/expectation.h"
#include "sim/profile.h"
#include "sim/program_source.h"
#include "sim/serial_line.h"
#include "sim/simulator.h"
#include "sim/stimulus.h"
#include "sim/trace_format.h"
#include "sim/vcd_writer.h"

namespace {

using namespace zorvin::sim;
using zorvin::sim_tool::Options;

constexpr int kSuccess = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = zorvin::cli::kUsageError;
const zorvin::cli::Tool kTool = {"zorvin-sim", zorvin::sim_tool::kUsage};

struct Program {
  std::vector<std::uint8_t> bytes;
  std::vector<ProgramLabel> labels;
  std::vector<std::string> included_files;
  std::vector<std::int32_t> lines;  // the source line of each code address; empty for an image
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
    AssembledProgram assembled =
        assemble_program(std::move(source.text), zorvin::files::folder_of(options.program), source.cut_at_zero);
    if (!assembled.result.ok()) {
      const zorvin::cli::ErrorFormat format =
          options.error_format ? *options.error_format : zorvin::cli::error_format_from_environment(kTool);
      for (const auto& error : assembled.result.errors)
        std::printf("%s\n", format == zorvin::cli::ErrorFormat::Gnu
                                ? zorvin::asm48::format_gnu_diagnostic(error, options.program).c_str()
                                : zorvin::asm48::format_diagnostic(error).c_str());
      std::printf("%s\n", assembled.result.nothing_to_assemble ? "Es gibt nichts zu assemblieren."
                                                                : assembled.result.summary.c_str());
      status = kFailed;
      return std::nullopt;
    }
    program.bytes = std::move(assembled.bytes);
    program.labels = std::move(assembled.labels);
    program.lines = std::move(assembled.lines);
    program.included_files = std::move(assembled.result.included_files);
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

// The files the run reads, none of which an output may replace.
std::vector<zorvin::sim_tool::InputFile> inputs_of(const Options& options, const Program& program) {
  std::vector<zorvin::sim_tool::InputFile> inputs{{options.program, "das Programm"}};
  for (const std::string& path : program.included_files) inputs.push_back({path, "die gelesene Datei " + path});
  if (options.stimulus) inputs.push_back({*options.stimulus, "die gelesene Datei " + *options.stimulus});
  if (options.board) inputs.push_back({*options.board, "die Platinendatei " + *options.board});
  return inputs;
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

constexpr const char* kWithoutLimit = "(ohne --steps oder --cycles)";

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!zorvin::sim_tool::parse_options(argc, argv, options)) return zorvin::cli::usage_error(kTool);
  if (options.request) return zorvin::cli::answer(kTool, *options.request);
  zorvin::sim_tool::BoardRun board;
  if (!board.read(options)) return kUsageError;
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
    std::string pins = text.text;
    if (!board.take_events(*options.stimulus, pins)) return kUsageError;
    const Stimulus stimulus = parse_stimulus(pins);
    if (!stimulus.ok) {
      std::fprintf(stderr, "zorvin-sim: %s, %s\n", options.stimulus->c_str(), stimulus.error.c_str());
      return kUsageError;
    }
    schedule_stimulus(simulator, stimulus.changes);
  }

  if (!board.attach(simulator)) return kUsageError;

  // Files to write, checked and opened before the run so that a wrong path
  // costs nothing.
  zorvin::sim_tool::Outputs outputs(options);
  if (const std::string conflict = outputs.conflict(inputs_of(options, *program)); !conflict.empty()) {
    std::fprintf(stderr, "zorvin-sim: %s\n", conflict.c_str());
    return kUsageError;
  }
  if (!outputs.open()) return kFailed;

  // Without a limit of the user's the run may take 100 million cycles: the
  // trace then keeps the first steps rather than gigabytes.
  std::uint64_t trace_lines = 0;
  bool trace_cut = false;
  std::optional<Profile> profile;
  if (outputs.profile() != nullptr) profile.emplace(program->variant);
  if (std::FILE* trace = outputs.trace(); trace != nullptr || profile) {
    simulator.set_trace([&, trace](const TraceStep& step) {
      if (profile) profile->count(step);
      if (trace == nullptr || trace_cut) return;
      if (!options.limited() && trace_lines == zorvin::sim_tool::kMaxOpenEndedTraceLines) {
        trace_cut = true;
        return;
      }
      const std::string line = trace_line(simulator, step);
      std::fprintf(trace, "%s\n", line.c_str());
      ++trace_lines;
    });
  }
  std::optional<VcdWriter> vcd;
  if (outputs.vcd() != nullptr) {
    vcd.emplace(outputs.vcd(), simulator);
    if (!options.limited()) vcd->limit_changes(zorvin::sim_tool::kMaxOpenEndedVcdChanges, kWithoutLimit);
  }
  std::optional<SerialTerminal> terminal;
  if (options.serial) terminal.emplace(simulator, *options.serial);
  if (vcd || terminal || board.active()) {
    simulator.set_pin_listener([&](const PinEvent& event) {
      if (board.active()) board.board()->pin_changed(event);
      if (vcd) vcd->pin_changed(event);
      if (terminal) terminal->pin_changed(event);
    });
  }

  const zorvin::sim_tool::RunOutcome outcome =
      zorvin::sim_tool::run_program(simulator, terminal ? &*terminal : nullptr, options, until, board.script());
  const RunResult& result = outcome.result;

  bool ok = true;
  // With the decoded text on standard output, the status lines go to standard error.
  std::FILE* status_out = terminal && outputs.serial() == nullptr ? stderr : stdout;
  if (terminal) {
    const std::string& text = terminal->decoder().text();
    std::FILE* out = outputs.serial() != nullptr ? outputs.serial() : stdout;
    std::fwrite(text.data(), 1, text.size(), out);
    if (out == stdout && std::fflush(stdout) != 0) {
      std::fprintf(stderr, "zorvin-sim: die Standardausgabe kann nicht geschrieben werden\n");
      ok = false;
    }
  }
  const std::string trace_note = "Trace nach " + std::to_string(trace_lines) + " Schritten gekürzt " + kWithoutLimit;
  if (std::FILE* trace = outputs.trace()) {
    if (trace_cut) std::fprintf(trace, "%s\n", trace_note.c_str());
    std::fputs(ram_dump(simulator).c_str(), trace);
  }
  if (profile) std::fputs(profile_text(*profile, program->lines).c_str(), outputs.profile());
  if (!outputs.commit()) ok = false;

  const State& s = simulator.state();
  std::fprintf(status_out, "PC=%s A=%02X PSW=%02X CYCLES=%llu STEPS=%llu\n", hex3(s.pc).c_str(), s.a,
               simulator.psw(), static_cast<unsigned long long>(s.cycles), static_cast<unsigned long long>(s.steps));
  // Bounds that ended something, each said once.
  if (outcome.default_bound)
    std::fprintf(status_out, "Lauf nach %llu Zyklen beendet %s\n",
                 static_cast<unsigned long long>(zorvin::sim_tool::kDefaultCycles), kWithoutLimit);
  if (trace_cut) std::fprintf(status_out, "%s\n", trace_note.c_str());
  if (vcd && vcd->cut()) std::fprintf(status_out, "%s\n", vcd->cut_note().c_str());
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
  if (!board.finish(options, status_out)) ok = false;
  if (terminal) {
    for (std::size_t i = outcome.typed; i < options.sends.size(); ++i) {
      const std::string text = shown(options.sends[i]);
      // The first text that never began waited for the line; the others
      // waited for the text before them.
      const bool waited_for_line = i == outcome.begun && outcome.typed == outcome.begun;
      if (!waited_for_line)
        std::fprintf(status_out, "--send \"%s\" wurde %s getippt: der Lauf endete vorher\n", text.c_str(),
                     i < outcome.begun ? "nur zum Teil" : "nicht");
      else
        std::fprintf(status_out,
                     "--send \"%s\" wurde nicht getippt: die Leitung war bis zum Ende des Laufs nicht 100 "
                     "Bitzeiten ruhig\n",
                     text.c_str());
      ok = false;
    }
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
