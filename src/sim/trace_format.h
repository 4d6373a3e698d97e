// The lines of a trace: one per step with the cycle count at its start,
// its address, its bytes and the registers after it; the internal RAM as a
// hex dump at the end.
#pragma once

#include <string>

#include "sim/simulator.h"

namespace zorvin::sim {

// "      12 005 B8 0A  A=00 PSW=08 R=0A 00 00 00 00 00 00 00 T=00 P1=FF P2=FF  mov r0,#0AH"
std::string trace_line(const Simulator& simulator, const TraceStep& step);

// The instruction at `pc` of the loaded program: "mov a,#3FH", "db 01H";
// a jmp or call with the target it has in the simulator's state (the bank
// of sel mb0/mb1, bank 0 in an interrupt routine).
std::string instruction_at(const Simulator& simulator, std::uint16_t pc);

// "RAM 00: 00 01 ..." 16 bytes a line, the part's whole internal RAM.
std::string ram_dump(const Simulator& simulator);

}  // namespace zorvin::sim
