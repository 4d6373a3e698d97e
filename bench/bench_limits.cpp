// How long the hostile sources take to reach their bounds, beside an
// ordinary program of about 1 MiB as the baseline. Every run should end
// within about a second; peak memory is the process's so far (it only
// grows), so the sources run from the smallest expected peak up.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "asm/assembler.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string repeated(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

std::string macro_tree(int levels) {
  std::string text = " cpu 8048\nm0 macro\n if 0\n nop\n endif\n endm\n";
  for (int i = 1; i < levels; ++i)
    text += "m" + std::to_string(i) + " macro\n m" + std::to_string(i - 1) + "\n m" + std::to_string(i - 1) + "\n endm\n";
  return text + " m" + std::to_string(levels - 1) + "\n";
}

// About 1 MiB of ordinary code, placed again and again from address 0.
std::string ordinary_program() {
  std::string text = " cpu 8048\n";
  for (int block = 0; text.size() < 1024 * 1024; ++block) {
    text += " org 0\nb" + std::to_string(block) + ":\n";
    // 40 times 5 bytes: the jumps stay in the block's page.
    for (int i = 0; i < 40; ++i) text += "  mov a,#12h   ; load\n  add a,r0\n  jnz b" + std::to_string(block) + "\n";
  }
  return text;
}

long peak_mb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

}  // namespace

int main() {
  const struct {
    const char* name;
    std::string source;
  } sources[] = {
      {"baseline: ordinary program, 1 MiB", ordinary_program()},
      {"rept 65536 in rept 65536", " cpu 8048\n rept 65536\n rept 65536\n endm\n endm\n"},
      {"three nested rept 65536", " cpu 8048\n rept 65536\n rept 65536\n rept 65536\n endm\n endm\n endm\n"},
      {"macro tree, 2^39 calls", macro_tree(40)},
      {"1,000,000-char string in rept", " cpu 8048\n rept 65536\n if 0\n db \"" + std::string(1000000, 'x') + "\"\n endif\n endm\n"},
      {"70,000 nested rept 2", " cpu 8048\n" + repeated(" rept 2\n", 70000) + " nop\n" + repeated(" endm\n", 70000)},
      {"macro doubling its argument", " cpu 8048\ngrow macro p\n grow p p\n endm\n grow a\n"},
      {"1 MB org 0+0+... in rept", " cpu 8048\n rept 65536\n org 0" + repeated("+0", 500000) + "\n endm\n"},
  };
  std::printf("%-36s %10s %10s  %s\n", "source", "ms", "peak MB", "last message");
  for (const auto& source : sources) {
    zorvin::asm48::Assembler assembler;
    const auto start = Clock::now();
    const zorvin::asm48::AssemblyResult result = assembler.run(source.source);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const std::string last = result.error_lines.empty() ? result.summary : result.error_lines.back();
    std::printf("%-36s %10.1f %10ld  %.90s\n", source.name, ms, peak_mb(), last.c_str());
  }
  return 0;
}
