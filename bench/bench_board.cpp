// Simulator speed with a board that has every device attached: an LCD on
// port pins, a 4x4 key matrix with two keys held, 2 KiB of RAM on the MOVX
// bus with address bits on P2. The program scans a key row, reads and
// writes the RAM and writes a character to the LCD on every pass, between
// the usual arithmetic. Printed beside the goal (30 million instructions
// per second).
#include <chrono>
#include <cstdio>
#include <string>

#include "board/board.h"
#include "board/board_file.h"
#include "sim/program_source.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kBoard =
    "[Platine]\nProzessor = 8048\nQuarz = 11 MHz\nT0 = 1\nT1 = 1\nINT = 1\nAdressbits = P2.0-P2.2\n"
    "[LCD]\nFormat = 16x2\nDaten = P2.4-P2.7\nRS = P1.6\nRW = P1.7\nE = P2.3\n"
    "[Tastatur]\nZeilen = P1.0-P1.1\nSpalten = P1.2-P1.5\nReihe0 = 1 2 3 4\nReihe1 = 5 6 7 8\n"
    "[RAM]\nGroesse = 2K\n";

// The LCD gets a byte every 256 passes, long after its 37 us.
constexpr const char* kProgram = R"(
        mov r7,#0
        mov r0,#20h
pass:   mov a,#7Eh              ; key row 0 (R/W stays low)
        outl p1,a
        in a,p1
        mov r2,a
        mov a,#7Fh
        outl p1,a
        movx a,@r0              ; RAM
        add a,r2
        movx @r0,a
        inc r0
        mov r6,#8
work:   mov a,r6
        add a,r7
        xrl a,#5Ah
        mov r3,a
        djnz r6,work
        djnz r7,pass
        mov a,#'A'              ; one character: RS high, E pulse
        anl a,#0F0h
        orl a,#0Fh              ; E high, A8-A10 high
        outl p2,a
        anl p2,#0F7h
        mov a,#0BFh
        anl a,#0BFh
        jmp pass
)";

}  // namespace

int main() {
  using namespace zorvin;
  const board::ParsedBoard parsed = board::parse_board_file(kBoard, "");
  if (!parsed.board) {
    std::fprintf(stderr, "%s\n", parsed.error.c_str());
    return 1;
  }
  const sim::AssembledProgram program = sim::assemble_program(kProgram, {});
  if (!program.result.ok()) return 1;
  sim::Simulator simulator(parsed.board->part);
  simulator.set_clock_hz(parsed.board->clock_hz);
  simulator.load_program(program.bytes);
  board::Board board(*parsed.board);
  std::string error;
  if (!board.attach(simulator, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  board.set_contact(*board.key_named("2"), true);
  board.set_contact(*board.key_named("7"), true);
  constexpr std::uint64_t kCycles = 200'000'000;
  const auto begin = Clock::now();
  // In slices, as zorvin-sim and the window run it.
  while (simulator.state().cycles < kCycles) simulator.run({.until_cycle = simulator.state().cycles + 1'000'000});
  const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  const double per_second = static_cast<double>(simulator.state().steps) / seconds;
  std::printf("bench_board: %llu instructions in %.2f s: %.0f M instructions per second (goal 30 M)\n",
              static_cast<unsigned long long>(simulator.state().steps), seconds, per_second / 1e6);
  std::printf("  LCD: address counter %02XH, faults %zu\n", board.lcd()->address_counter(), board.lcd()->faults().size());
  return per_second >= 30e6 ? 0 : 1;
}
