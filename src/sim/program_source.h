// A program for the simulator from an assembler run: its bytes and the
// addresses of its labels (both dialects). Image files are read by
// dis/image_file.h.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "asm/assembler.h"

namespace zorvin::sim {

inline constexpr std::size_t kMaxProgramBytes = 4096;

struct ProgramLabel {
  std::string name;  // as written, without the colon
  std::uint16_t address = 0;
};

// The code bytes of a successful run from address 0 up to the highest one
// holding code (at most 4 KiB); unused places read 00H.
std::vector<std::uint8_t> program_bytes(const asm48::LineTable& table);

// The labels of the last run: the plain dialect's "name:" fields with their
// line's address, the extended dialect's symbols with a numeric value
// (those of its listing, so the run must have kept one).
std::vector<ProgramLabel> program_labels(const asm48::Assembler& assembler);

// The address of a label, names compared without regard to case.
std::optional<std::uint16_t> label_address(std::span<const ProgramLabel> labels, std::string_view name);

struct AssembledProgram {
  asm48::AssemblyResult result;     // error lines and the summary
  std::optional<std::string> cpu;   // the source's cpu statement
  std::vector<std::uint8_t> bytes;  // on success
  std::vector<ProgramLabel> labels;
  std::vector<std::int32_t> lines;  // the source line of each code address (0: none)
};

// Assembles a source text (UTF-8) as F5 does; `source_dir` is where the
// extended dialect finds included files. `cut_at_zero`: the text ended at a
// 00H byte of its file, which fails the run as it fails F5.
AssembledProgram assemble_program(std::string text, const std::string& source_dir, bool cut_at_zero = false);

}  // namespace zorvin::sim
