// The extended dialect against the plain one on the same program: the
// source below assembles in both (the extended run only adds a cpu line),
// so the figure is what names, expressions and the second pass cost.
#include <chrono>
#include <cstdio>
#include <string>

#include "asm/assembler.h"

namespace {

using Clock = std::chrono::steady_clock;

// Blocks of code in the style of the generated benchmark program, with
// nothing that the two dialects read differently (no equ for registers).
std::string program(int wanted_lines) {
  std::string source = "; same program in both dialects\nCOUNT equ 10\nMASK equ 0F0h\nSTEP equ 3\n";
  int lines = 4;
  for (int block = 0; lines < wanted_lines; ++block) {
    const std::string page = "p" + std::to_string(block);
    source += "   org " + std::to_string((block % 8) * 256) + "\n" + page + ":\n";
    lines += 2;
    for (int i = 0; i < 48 && lines < wanted_lines; ++i, ++lines) {
      switch (i % 16) {
        case 0: source += "   mov a,#COUNT\n"; break;
        case 1: source += "   anl a,#MASK   ; keep the high nibble\n"; break;
        case 2: source += "   outl p1,a\n"; break;
        case 3: source += "   add a,#STEP\n"; break;
        case 4: source += "   jz " + page + "\n"; break;
        case 5: source += "   djnz r2," + page + "\n"; break;
        case 6: source += "loop" + std::to_string(block) + "_" + std::to_string(i) + ": xch a,@r1\n"; break;
        case 7: source += "\n"; break;
        case 8: source += "   call " + (block > 0 ? "p" + std::to_string(block - 1) : page) + "\n"; break;
        case 9: source += "   db 'x'\n"; break;
        case 10: source += "   MOV R7,#0FFh\n"; break;
        case 11: source += "   ; a comment line\n"; break;
        case 12: source += "   movp3 a,@a\n"; break;
        case 13: source += "   sel rb1\n"; break;
        case 14: source += "   jmp " + page + "\n"; break;
        default: source += "   ret\n"; break;
      }
    }
  }
  return source;
}

double microseconds_per_run(const std::string& source, std::size_t& code_bytes) {
  zorvin::asm48::Assembler assembler;
  int runs = 0;
  const auto start = Clock::now();
  std::chrono::duration<double> elapsed{};
  do {
    const auto result = assembler.run(source);
    if (!result.ok()) {
      std::printf("unexpected: %s %s\n", result.summary.c_str(),
                  result.error_lines.empty() ? "" : result.error_lines.front().c_str());
      return 0;
    }
    ++runs;
    elapsed = Clock::now() - start;
  } while (elapsed.count() < 1.0);
  code_bytes = assembler.table().code.size();
  return elapsed.count() * 1e6 / runs;
}

}  // namespace

int main() {
  std::printf("Extended dialect against plain, same program\n");
  for (int lines : {1172, 10000}) {
    const std::string plain = program(lines);
    const std::string extended = "   cpu 8048\n" + plain;
    std::size_t plain_bytes = 0;
    std::size_t extended_bytes = 0;
    const double plain_us = microseconds_per_run(plain, plain_bytes);
    const double extended_us = microseconds_per_run(extended, extended_bytes);
    std::printf("%6d lines: plain %8.1f us, extended %8.1f us, %.2fx (code bytes %zu / %zu)\n", lines, plain_us,
                extended_us, extended_us / plain_us, plain_bytes, extended_bytes);
  }
  return 0;
}
