// The extended dialect against the plain one on the same program: the
// source below assembles in both (the extended run only adds a cpu line),
// so the figure is what names, expressions and the second pass cost.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

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

double microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// One run of the source; its time, or a negative one when it failed.
double timed_run(zorvin::asm48::Assembler& assembler, const std::string& source) {
  const auto start = Clock::now();
  const auto result = assembler.run(source);
  const double us = microseconds(Clock::now() - start);
  if (!result.ok()) {
    std::printf("unexpected: %s %s\n", result.summary.c_str(),
                result.error_lines.empty() ? "" : result.error_lines.front().c_str());
    return -1;
  }
  return us;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  std::printf("Extended dialect against plain, same program\n");
  // The two dialects take turns, so that a busy machine slows both alike;
  // best and median of the rounds.
  for (int lines : {1172, 10000}) {
    const std::string plain = program(lines);
    const std::string extended = "   cpu 8048\n" + plain;
    zorvin::asm48::Assembler plain_assembler;
    zorvin::asm48::Assembler extended_assembler;
    std::vector<double> plain_us;
    std::vector<double> extended_us;
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::seconds(2)) {
      plain_us.push_back(timed_run(plain_assembler, plain));
      extended_us.push_back(timed_run(extended_assembler, extended));
      if (plain_us.back() < 0 || extended_us.back() < 0) return 1;
    }
    const double plain_best = *std::min_element(plain_us.begin(), plain_us.end());
    const double extended_best = *std::min_element(extended_us.begin(), extended_us.end());
    std::printf("%6d lines: plain %8.1f us, extended %8.1f us: %.2fx best, %.2fx median (%zu rounds, %zu / %zu code bytes)\n",
                lines, plain_best, extended_best, extended_best / plain_best,
                median(extended_us) / median(plain_us), plain_us.size(), plain_assembler.table().code.size(),
                extended_assembler.table().code.size());
  }
  return 0;
}
