// Code analysis of 4 KiB programs: one of real code in both banks (calls
// four deep, djnz loops, movp tables, bank switches, an interrupt routine)
// a random image, and an image of nothing but calls, each of the next
// instruction (the worst case for the routines' walks). The
// goal is under 20 ms each.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "asm/assembler.h"

namespace {

using Clock = std::chrono::steady_clock;

// Sixteen pages of routines that call each other down to four levels,
// wait in djnz loops and read tables; each page's last routine jumps on.
std::string program_source() {
  std::string source =
      "        cpu 8048\n        org 0\n        jmp p0_0\n        org 3\n        jmp isr\n        org 7\n        retr\n"
      "isr:    sel rb1\n        mov r7,a\n        in a,p1\n        mov a,r7\n        retr\n";
  for (int page = 0; page < 16; ++page) {
    source += "        org " + std::to_string(page * 256 + (page == 0 ? 32 : 0)) + "\n";
    for (int routine = 0; routine < 8; ++routine) {
      const std::string name = "p" + std::to_string(page) + "_" + std::to_string(routine);
      const std::string next_page = std::to_string((page + 1) % 16);
      const std::string callee = routine >= 1 && routine < 4 ? "p" + std::to_string(page) + "_" + std::to_string(routine + 1)
                                                             : name + "s";
      source += name + ":  en i\n        mov r6,#4\n" + name + "o: mov r7,#8\n" + name + "l: mov a,r7\n        add a,#" +
                name + "t & 0FFh\n        movp a,@a\n        outl p1,a\n        djnz r7," + name + "l\n        djnz r6," +
                name + "o\n        call " + callee + "\n";
      // The page's first routine calls the others and goes on to the next page.
      if (routine == 0) {
        for (const int other : {1, 5, 6, 7})
          source += "        call p" + std::to_string(page) + "_" + std::to_string(other) + "\n";
        source += std::string("        sel ") + ((page + 1) % 16 / 8 ? "mb1" : "mb0") + "\n        jmp p" + next_page + "_0\n";
      } else {
        source += "        ret\n";
      }
      source += name + "s: ret\n" + name + "t: db 1,2,4,8,16,32,64,128\n";
    }
  }
  return source;
}

template <typename Work>
double best_ms(int rounds, Work work) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    const auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

void report(const char* name, const zorvin::analysis::Program& program) {
  std::size_t findings = 0;
  int worst = 0;
  std::size_t routines = 0;
  const double ms = best_ms(20, [&] {
    const auto analysis = zorvin::analysis::analyse(program);
    findings = analysis.findings.size();
    worst = analysis.stack.worst;
    routines = analysis.flow.routines.size();
  });
  std::printf("%-15s %5zu routines  stack %2d  %4zu hints  analyse %7.3f ms (goal < 20 ms: %s)\n", name, routines,
              worst, findings, ms, ms < 20.0 ? "met" : "MISSED");
}

}  // namespace

int main() {
  zorvin::asm48::Assembler assembler;
  const auto result = assembler.run(program_source());
  if (!result.ok()) {
    std::printf("%s\n", result.error_lines.empty() ? "error" : result.error_lines.front().c_str());
    return 1;
  }
  report("program 4 KiB", zorvin::analysis::program_from_table(assembler.table()));
  std::mt19937 engine(8048);
  std::vector<std::uint8_t> bytes(4096);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(engine() & 0xFF);
  report("random 4 KiB", zorvin::analysis::program_from_image(bytes));
  // The worst case for routines walked one by one: every instruction is a
  // call of the next one, so each of 2048 routines runs to the bank's end.
  std::vector<std::uint8_t> calls(4096);
  for (std::size_t at = 0; at + 1 < calls.size(); at += 2) {
    const std::size_t next = (at + 2) & 0x7FF;
    calls[at] = static_cast<std::uint8_t>(((next >> 8) << 5) | 0x14);
    calls[at + 1] = static_cast<std::uint8_t>(next & 0xFF);
  }
  report("calls 4 KiB", zorvin::analysis::program_from_image(calls));
  return 0;
}
