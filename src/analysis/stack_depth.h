// How deep the stack gets: the deepest chain of calls from each entry, and
// the worst case of the whole program, where an interrupt adds its own
// levels on top of the deepest point of the main program (it may strike
// anywhere there). An interrupt is counted when its en i / en tcnti is
// reached; the 8048 does not nest interrupts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/finding.h"
#include "analysis/flow.h"

namespace zorvin::analysis {

struct CallChain {
  int depth = 0;                      // stack levels in use at the deepest point
  std::vector<std::int32_t> entries;  // the routines along it, from the entry on
  std::vector<std::int32_t> sites;    // the calls along it (one fewer than entries)
};

struct EntryDepth {
  std::int32_t entry = 0;
  bool interrupt = false;   // an interrupt vector: its own level is counted in `chain.depth`
  bool enabled = true;      // for an interrupt: whether the program enables it
  CallChain chain;
};

struct StackDepth {
  std::vector<EntryDepth> entries;  // in the order of Flow::roots
  int main_depth = 0;               // the deepest main-program entry
  int interrupt_depth = 0;          // the deepest enabled interrupt, its own level included
  int worst = 0;                    // main_depth + interrupt_depth
  std::vector<Finding> findings;    // too deep, recursion
};

StackDepth stack_depth(const Program& program, const Flow& flow);

// "start (000h) -> a (010h) -> b (020h)"; a chain of more than 18 shows
// its first and last six with "... (N weitere)" between.
std::string chain_text(const Program& program, const std::vector<std::int32_t>& entries);

}  // namespace zorvin::analysis
