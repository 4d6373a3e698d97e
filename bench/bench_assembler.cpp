// Assembly throughput for generated programs of growing size. Cost should
// grow linearly with the number of lines: mnemonics and labels are found
// through indexes, the equ names through one multi-pattern search.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "asm/assembler.h"
#include "output/listing.h"
#include "output/output_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

// prefix + number, built by appending (GCC 12 misreports "literal" + string&&).
std::string numbered(const char* prefix, int number) {
  std::string text = prefix;
  text += std::to_string(number);
  return text;
}

// Blocks of code, each starting a page with its own label; conditional
// jumps stay in the block's page, calls go to the previous block. Pages are
// reused (an org may go back), so any number of lines assembles cleanly.
std::string generate_program(int wanted_lines) {
  std::string source =
      "; generated benchmark program\n"
      "COUNT equ 10\nMASK equ 0F0h\nLEDS equ p1\nSTEP equ 3\n";
  int lines = 5;
  for (int block = 0; lines < wanted_lines; ++block) {
    const std::string page = numbered("p", block);
    source += numbered("   org ", (block % 8) * 256) + "\n" + page + ":\n";
    lines += 2;
    // 48 lines of 5 bytes or less per 16 lines: well inside one page.
    for (int i = 0; i < 48 && lines < wanted_lines; ++i, ++lines) {
      switch (i % 16) {
        case 0: source += "   mov a,#COUNT\n"; break;
        case 1: source += "   anl a,#MASK   ; keep the high nibble\n"; break;
        case 2: source += "   outl LEDS,a\n"; break;
        case 3: source += "   add a,#STEP\n"; break;
        case 4: source += "   jz " + page + "\n"; break;
        case 5: source += "   djnz r2," + page + "\n"; break;
        case 6: source += numbered("loop", block) + numbered("_", i) + ": xch a,@r1\n"; break;
        case 7: source += "\n"; break;
        case 8: source += "   call " + (block > 0 ? numbered("p", block - 1) : page) + "\n"; break;
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

// A program of exactly 2048 code bytes: the whole program memory.
std::string full_memory_program() {
  std::string source;
  for (int page = 0; page < 8; ++page) {
    source += numbered("q", page) + ": mov a,#1\n";  // 2 bytes
    for (int i = 0; i < 126; ++i) source += (i % 2 ? numbered("   jnz q", page) + "\n" : "   mov r3,#7\n");
    source += "   nop\n   nop\n";  // 2 + 126 * 2 + 2 = 256 bytes
  }
  return source;
}

struct Timing {
  double microseconds_per_run;
  int runs;
};

Timing time_runs(const std::string& source, double budget_seconds) {
  zorvin::asm48::Assembler assembler;
  int runs = 0;
  const auto start = Clock::now();
  std::chrono::duration<double> elapsed{};
  do {
    const auto result = assembler.run(source);
    if (!result.ok()) {
      std::printf("unexpected: %s %s\n", result.summary.c_str(),
                  result.error_lines.empty() ? "" : result.error_lines.front().c_str());
      return {0, 0};
    }
    ++runs;
    elapsed = Clock::now() - start;
  } while (elapsed.count() < budget_seconds);
  return {elapsed.count() * 1e6 / runs, runs};
}

void report_lines(int lines) {
  const Timing timing = time_runs(generate_program(lines), 1.0);
  std::printf("%7d lines: %10.1f us per run, %6.2f M lines/s (%d runs)\n", lines, timing.microseconds_per_run,
              lines / timing.microseconds_per_run, timing.runs);
}

}  // namespace

int main() {
  std::printf("Assembler throughput (generated programs, 4 equ symbols)\n");
  for (int lines : {1500, 10000, 100000}) report_lines(lines);

  const std::string full = full_memory_program();
  const Timing timing = time_runs(full, 1.0);
  zorvin::asm48::Assembler assembler;
  assembler.run(full);
  const auto image = zorvin::output::build_image(assembler.table(), 0x00);
  const auto start = Clock::now();
  constexpr int kImages = 2000;
  std::size_t checksum = 0;
  for (int i = 0; i < kImages; ++i)
    checksum += zorvin::output::build_image(assembler.table(), 0x00).length +
                zorvin::output::listing_rows(assembler.table()).size() - 1;
  const std::chrono::duration<double> images = Clock::now() - start;
  const auto full_lines = std::count(full.begin(), full.end(), '\n');
  std::printf("full 2 KiB program (%zu bytes, %td lines): %.1f us per run, listing and image %.1f us (%zu bytes and rows)\n",
              image.length, full_lines, timing.microseconds_per_run, images.count() * 1e6 / kImages,
              checksum / kImages);
  return 0;
}
