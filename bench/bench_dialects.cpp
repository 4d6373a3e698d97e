// Each convention's front end against the plain dialect on the same program,
// written in each convention's spelling (directives, labels, number forms).
// Goal: every front end within 1.5x of the plain dialect.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "asm/assembler.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Spelling {
  const char* name;
  const char* header;     // the marker line, if any
  const char* equ;        // printf form: name, value in hex
  const char* org;        // printf form: address in hex
  const char* label_end;  // after a label's name
  const char* db;
  const char* hex_ff;     // 0FFh written the convention's way
};

constexpr Spelling kSpellings[] = {
    {"einfach", "", "%s equ %Xh\n", "   org %Xh\n", ":", "db", "0FFh"},
    {"Makroassembler", "   cpu 8048\n", "%s equ 0%Xh\n", "   org 0%Xh\n", ":", "db", "0FFh"},
    {"TASM", "#define BENCH\n", "%s .EQU $%X\n", "   .ORG $%X\n", "", ".DB", "$FF"},
    {"ASxxxx/asm48", "   .area CODE (ABS)\n", "   .equ %s, 0x%X\n", "   .org 0x%X\n", ":", ".db", "0xFF"},
    {"SB-Assembler", "   .CR 8048\n", "%s .EQ $%X\n", "   .OR $%X\n", "", ".DB", "$FF"},
    {"Intel ASM48", "$MOD48\n", "%s EQU 0%XH\n", "   ORG 0%XH\n", ":", "DB", "0FFH"},
};

std::string printed(const char* form, const char* name, int value) {
  char text[96];
  std::snprintf(text, sizeof text, form, name, value);
  return text;
}

std::string printed(const char* form, int value) {
  char text[96];
  std::snprintf(text, sizeof text, form, value);
  return text;
}

// The same blocks as the assembler benchmark: pages with their own label,
// jumps inside the page, calls to the previous block.
std::string program(const Spelling& s, int wanted_lines) {
  std::string source = std::string("; generated benchmark program\n") + s.header;
  source += printed(s.equ, "COUNT", 10) + printed(s.equ, "MASK", 0xF0) + printed(s.equ, "STEP", 3);
  int lines = 5;
  for (int block = 0; lines < wanted_lines; ++block) {
    const std::string page = "p" + std::to_string(block);
    source += printed(s.org, (block % 8) * 256) + page + s.label_end + "\n";
    lines += 2;
    for (int i = 0; i < 48 && lines < wanted_lines; ++i, ++lines) {
      switch (i % 16) {
        case 0: source += "   mov a,#COUNT\n"; break;
        case 1: source += "   anl a,#MASK   ; keep the high nibble\n"; break;
        case 2: source += "   outl p1,a\n"; break;
        case 3: source += "   add a,#STEP\n"; break;
        case 4: source += "   jz " + page + "\n"; break;
        case 5: source += "   djnz r2," + page + "\n"; break;
        case 6: source += "l" + std::to_string(block) + "_" + std::to_string(i) + s.label_end + " xch a,@r1\n"; break;
        case 7: source += "\n"; break;
        case 8: source += "   call " + (block > 0 ? "p" + std::to_string(block - 1) : page) + "\n"; break;
        case 9: source += std::string("   ") + s.db + " 'x'\n"; break;
        case 10: source += std::string("   MOV R7,#") + s.hex_ff + "\n"; break;
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

struct Pair {
  double plain = -1;  // microseconds of the fastest plain run
  double other = -1;  // and of the fastest run of the other convention
};

// Runs the plain program and the convention's in turn for about a second
// and keeps the fastest run of each: the machine is shared, and taking
// turns lets both see the same load.
Pair time_pair(const std::string& plain_source, const std::string& source, const char* name) {
  zorvin::asm48::Assembler plain;
  zorvin::asm48::Assembler other;
  Pair fastest{1e30, 1e30};
  const auto start = Clock::now();
  while (std::chrono::duration<double>(Clock::now() - start).count() < 1.0) {
    auto before = Clock::now();
    const bool plain_ok = plain.run(plain_source).ok();
    fastest.plain = std::min(fastest.plain, std::chrono::duration<double>(Clock::now() - before).count() * 1e6);
    before = Clock::now();
    const auto result = other.run(source);
    fastest.other = std::min(fastest.other, std::chrono::duration<double>(Clock::now() - before).count() * 1e6);
    if (!plain_ok || !result.ok() || result.dialect_line.find(name) == std::string::npos) {
      std::printf("%s: unexpected: %s %s %s\n", name, result.dialect_line.c_str(), result.summary.c_str(),
                  result.error_lines.empty() ? "" : result.error_lines.front().c_str());
      return {};
    }
  }
  return fastest;
}

}  // namespace

int main() {
  std::printf("Front ends against the plain dialect (same program, each convention's spelling; goal <= 1.5x)\n");
  for (int lines : {1500, 10000}) {
    const std::string plain = program(kSpellings[0], lines);
    for (std::size_t i = 1; i < std::size(kSpellings); ++i) {
      const Pair pair = time_pair(plain, program(kSpellings[i], lines), kSpellings[i].name);
      std::printf("%6d lines: %-15s %8.1f us, plain %8.1f us (fastest runs, taking turns): %.2fx\n", lines,
                  kSpellings[i].name, pair.other, pair.plain, pair.other / pair.plain);
    }
  }
  return 0;
}
