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
#include "output/output_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::uint8_t> random_image() {
  std::mt19937 engine(8048);
  std::vector<std::uint8_t> bytes(4096);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(engine() & 0xFF);
  return bytes;
}

// A program of many small routines in both banks with movp tables and
// strings in every page, as a board's firmware looks, assembled here.
std::vector<std::uint8_t> program_image() {
  std::string source = "        cpu 8048\n        org 0\n        jmp p0_0\n        org 3\n        retr\n        org 7\n        retr\n";
  for (int page = 0; page < 16; ++page) {
    const int bank = page / 8;
    source += "        org " + std::to_string(page * 256 + (page == 0 ? 16 : 0)) + "\n";
    source += bank ? "        sel mb1\n" : "        sel mb0\n";
    for (int routine = 0; routine < 8; ++routine) {
      const std::string name = "p" + std::to_string(page) + "_" + std::to_string(routine);
      const std::string next = routine < 7 ? "p" + std::to_string(page) + "_" + std::to_string(routine + 1)
                                           : "p" + std::to_string((page + 1) % 16) + "_0";
      source += name + ":  mov r7,#8\n" + name + "l: mov a,r7\n        add a,#" + name +
                "t & 0FFh\n        movp a,@a\n        outl p1,a\n        jnt0 " + name + "w\n        orl p2,#1\n" +
                name + "w: djnz r7," + name + "l\n        call " + name + "s\n        jmp " + next + "\n" + name +
                "s: ret\n" + name + "t: db 1,2,4,8,16,32,64,128\n";
    }
    source += "        db \"Seite " + std::to_string(page) + "\", 0\n";
  }
  zorvin::asm48::Assembler assembler;
  const auto result = assembler.run(source);
  if (!result.ok()) {
    std::printf("%s\n", result.error_lines.front().c_str());
    return {};
  }
  const auto image = zorvin::output::build_image(assembler.table(), 0xFF);
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
  zorvin::asm48::Assembler assembler;
  bool same = assembler.run(text).ok();
  if (same) {
    const auto built = zorvin::output::build_image(assembler.table(), 0xFF);
    same = std::equal(image.begin(), image.end(), built.bytes.begin()) && built.length == image.size();
  }
  std::printf("%-15s %5zu bytes %5zu lines  disassemble %7.3f ms (goal < 10 ms: %s)  assemble again %7.3f ms  %s\n", name,
              image.size(), dis.lines, dis.best_ms, dis.best_ms < 10.0 ? "met" : "MISSED", again.best_ms,
              same ? "same image" : "IMAGE DIFFERS");
}

}  // namespace

int main() {
  report("random 4 KiB", random_image());
  report("program 4 KiB", program_image());
  return 0;
}
