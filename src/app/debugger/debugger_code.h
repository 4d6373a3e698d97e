// The program as the debugger shows it in words: an instruction with the
// label of its target, the code around the PC, and the return addresses on
// the stack. No toolkit here.
#pragma once

#include <cstdint>
#include <string>

#include "app/debugger/debugger_line_map.h"
#include "sim/simulator.h"

namespace zorvin::app {

// "djnz r6,warte"; the number stays where no label or equate names the target.
std::string named_instruction(const sim::Simulator& sim, const DebuggerLineMap& lines, std::uint16_t address);

// Some instructions before the PC and more after it, one a line:
// "   warte:" above a labelled address, "→ 025  EE 25  djnz r6,warte" with
// the arrow at the PC.
std::string code_around(const sim::Simulator& sim, const DebuggerLineMap& lines, int before = 4, int after = 10);

// The return addresses on the stack, the newest first: "1: 021H  loop+2 –
// Zeile 24" (the one pushed by an interrupt marked "Interrupt"), then the
// levels the 8-level stack has left; `wrapped`: SP went round past 7 and
// older return addresses were overwritten.
std::string call_stack(const sim::Simulator& sim, const DebuggerLineMap& lines, bool wrapped = false);

}  // namespace zorvin::app
