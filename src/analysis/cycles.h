// Machine cycles: of one instruction (1 or 2, as Intel's manual gives
// them), and of a range of addresses run straight through, where each
// djnz loop inside the range runs its body N times. A loop's N is known
// when a mov rN,#k sets its register before the loop and the body leaves
// the register alone (k = 0 counts 256 times).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/program.h"

namespace zorvin::analysis {

// Cycles of the instruction that starts at `address`; 0 where none starts
// (data, free memory, the second byte of an instruction).
int cycles_at(const Program& program, std::int32_t address);

struct LoopCycles {
  std::int32_t start = 0;       // the djnz's target
  std::int32_t djnz = 0;        // address of the djnz
  int reg = 0;                  // its register rN
  std::optional<int> count;     // N when known
  std::string name;             // "N", or "N1", "N2", ... with several loops
};

struct RangeCycles {
  std::int32_t first = 0;
  std::int32_t last = 0;
  std::int64_t straight = 0;          // every instruction once
  std::vector<LoopCycles> loops;      // by start address
  std::string formula;                // "2+2·N", "3+(4+2·N2)·N1"; empty without loops
  std::optional<std::int64_t> total;  // with every N known

  // "4, mit Schleifen: 2+2·N; N = 10 (r7): 22"
  std::string figures() const;
  // "Zyklen: " and the figures.
  std::string text() const { return "Zyklen: " + figures(); }
};

// The instructions that start in first..last (both included).
RangeCycles range_cycles(const Program& program, std::int32_t first, std::int32_t last);

// The same for source lines first_line..last_line (a selection in the
// editor): from the lowest to the highest address their instructions
// start at; none when the lines hold no instruction.
std::optional<RangeCycles> line_range_cycles(const Program& program, std::int32_t first_line, std::int32_t last_line);

}  // namespace zorvin::analysis
