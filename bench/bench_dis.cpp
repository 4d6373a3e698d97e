// Disassembly of 4 KiB images: a random one (code nearly everywhere, a jump
// every few bytes) and one of real code and tables; the goal is under 10 ms
// each. Reassembling the output with the extended dialect is shown beside
// it as the baseline, the same source length through the other direction.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "asm/assembler.h"
#include "dis/disassembler.h"
#include "files/output_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::uint8_t> random_image() {
  std::mt19937 engine(8048);
  std::vector<std::uint8_t> bytes(4096);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(engine() & 0xFF);
  return bytes;
}

// A program of many small routines in both banks with movp tables, as a
// board's firmware looks, assembled here.
std::vector<std::uint8_t> program_image() {
  std::string source = "        cpu 8048\n";
  for (int bank = 0; bank < 2; ++bank) {
    source += "        org " + std::to_string(bank * 2048) + "\n";
    for (int block = 0; block < 7; ++block) {
      const std::string name = "b" + std::to_string(bank) + "_" + std::to_string(block);
      source += name + ":  mov r7,#16\n" + name + "l: mov a,r7\n        add a,#" + name +
                "t & 0FFh\n        movp a,@a\n        outl p1,a\n        djnz r7," + name +
                "l\n        call " + name + "s\n        jmp " + name + "\n" + name + "s: ret\n" + name +
                "t: db 1,2,4,8,16,32,64,128,\"Tabelle\",0\n";
      source += "        org ($ + 0FFh) & 0F00h\n";
    }
  }
  zorvin::asm48::Assembler assembler;
  if (!assembler.run(source).ok()) return {};
  const auto image = zorvin::files::build_image(assembler.table(), 0xFF);
  return {image.bytes.begin(), image.bytes.begin() + static_cast<std::ptrdiff_t>(image.length)};
}

struct Figures {
  double best_ms = 1e9;
  std::size_t lines = 0;
};

template <typename Work>
Figures measure(int rounds, Work work) {
  Figures figures;
  for (int i = 0; i < rounds; ++i) {
    const auto start = Clock::now();
    figures.lines = work();
    figures.best_ms = std::min(figures.best_ms, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return figures;
}

void report(const char* name, const std::vector<std::uint8_t>& image) {
  zorvin::dis::DisassemblyOptions options;
  options.fill_byte = 0xFF;
  std::string text;
  const Figures dis = measure(50, [&] {
    text = zorvin::dis::disassemble(0, image, options).text;
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  });
  const Figures again = measure(10, [&] {
    zorvin::asm48::Assembler assembler;
    return assembler.run(text).ok() ? dis.lines : 0;
  });
  std::printf("%-22s %5zu Byte %6zu Zeilen  disassemble %7.3f ms (Ziel < 10 ms: %s)  assemble again %7.3f ms\n", name,
              image.size(), dis.lines, dis.best_ms, dis.best_ms < 10.0 ? "ja" : "NEIN", again.best_ms);
}

}  // namespace

int main() {
  report("random 4 KiB", random_image());
  report("program 4 KiB", program_image());
  return 0;
}
