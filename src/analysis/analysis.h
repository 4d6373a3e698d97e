// Code analysis of an assembled program, shared by the window, the command
// line and the language server: cycles, stack depth and hazards, all as
// data (formatted by analysis_lines where text is wanted).
//
//   Analysis a = analyse(program_of_run(assembler, upi), {.entries = {0x123}});
//   a.stack.worst, a.findings (kind, address, line, text), a.routines
//   cycles_at(a.program, address), range_cycles(a.program, first, last)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/cycles.h"
#include "analysis/finding.h"
#include "analysis/flow.h"
#include "analysis/program.h"
#include "analysis/stack_depth.h"
#include "asm/assembler.h"

namespace zorvin::analysis {

struct AnalysisOptions {
  std::vector<std::int32_t> entries;  // entry points besides 000H, 003H and 007H
};

// The cycles from a routine's entry or a label the flow reaches, run
// straight to the first return or jump (loops counted N times).
struct RoutineCycles {
  std::int32_t entry = 0;
  RangeCycles cycles;
};

struct Analysis {
  Program program;
  Flow flow;
  StackDepth stack;
  std::vector<RoutineCycles> routines;  // every routine and reached label, by address
  std::vector<Finding> findings;        // by line, then address
};

Analysis analyse(Program program, const AnalysisOptions& options = {});

// A successful run's table; `upi` for a UPI-41/42 program.
Analysis analyse_table(const asm48::LineTable& table, const AnalysisOptions& options = {}, bool upi = false);

// The program of the assembler's last (successful) run, with the labels of
// the extended dialect's listing when the assembler kept one
// (keep_listing(true) before the run); `upi` as names_upi_part(source) says.
Program program_of_run(const asm48::Assembler& assembler, bool upi = false);

// An entry the user names: a label (any case) or a number ("123h", "0x123",
// "291"); none when it is neither or lies outside program memory.
std::optional<std::int32_t> resolve_entry(const Program& program, std::string_view text);

// The analysis as text lines, German, in the message style ("Zeile: 12 ->
// Hinweis: ..."): stack depths, cycles of the routines, the findings and a
// closing line.
std::vector<std::string> analysis_lines(const Analysis& analysis);

}  // namespace zorvin::analysis
