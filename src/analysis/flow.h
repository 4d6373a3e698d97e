// The program's routines as the processor runs them: from each entry
// (reset, the two interrupt vectors, the user's own) through jumps and
// conditional jumps, with every call starting a routine of its own. The
// memory bank flip-flop (sel mb0 / sel mb1) is followed along the way as
// the set of values it may hold, so that a jmp or call where either bank
// may be chosen is found. Hazards of the flow itself (a wrap at the bank's
// end, an unknown bank, a path into data) are reported here.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "analysis/finding.h"
#include "analysis/program.h"
#include "dis/opcode_map.h"

namespace zorvin::analysis {

// Values the bank flip-flop may hold: bit 0 for mb0, bit 1 for mb1.
inline constexpr std::uint8_t kMb0 = 1;
inline constexpr std::uint8_t kMb1 = 2;

struct CallSite {
  std::int32_t at = 0;  // address of the call
  std::size_t callee = 0;  // index into Flow::routines
};

struct Routine {
  std::int32_t entry = 0;
  bool interrupt = false;           // runs inside an interrupt routine (bank 0 for jumps, no nesting)
  std::vector<std::int32_t> body;   // addresses of its instructions up to its tails, ascending
  std::vector<CallSite> calls;
  std::vector<std::int32_t> returns;  // its ret and retr
  // Routines whose entry its code runs or jumps into (not by a call): what
  // they do from there is part of this routine, without a stack level.
  std::vector<std::size_t> tails;
  std::uint8_t entry_banks = 0;     // the flip-flop's values on entry
  std::uint8_t exit_banks = 0;      // ... at its returns and those of its tails
  bool selects_bank = false;        // it or a routine it calls runs sel mb0/mb1
};

struct Flow {
  std::vector<Routine> routines;    // the entries first, in the order named; then the routines called
  std::vector<std::size_t> roots;   // indexes of the entry routines
  std::vector<std::uint8_t> reached;  // per address: bit 0 main program, bit 1 interrupt routine
  bool enables_external = false;    // en i is reached
  bool enables_timer = false;       // en tcnti is reached
  std::vector<Finding> findings;
};

inline constexpr std::uint8_t kReachedMain = 1;
inline constexpr std::uint8_t kReachedInterrupt = 2;
inline constexpr std::int32_t kExternalVector = 0x003;
inline constexpr std::int32_t kTimerVector = 0x007;

const dis::OpcodeMap& opcodes_of(const Program& program);

// Follows the program from 000H, the user's `entries` (addresses) and the
// interrupt vectors 003H and 007H.
Flow follow_flow(const Program& program, std::span<const std::int32_t> entries);

// Where a jmpp @a at `at` may go: the code addresses that data bytes of its
// page name (a program from source only; a bare image gives none).
std::vector<std::int32_t> table_jump_targets(const Program& program, std::int32_t at);

}  // namespace zorvin::analysis
