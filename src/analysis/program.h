// The assembled program as the analysis sees it: the bytes of program
// memory, what the source made of each address (instruction, data or
// nothing), the source line behind it and the labels. Built from an
// assembler run's line table, or from a bare image where nothing but the
// bytes is known.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "asm/line_record.h"
#include "asm/source_listing.h"

namespace zorvin::analysis {

// The 8048's program memory: two banks of 2 KiB, pages of 256 bytes.
inline constexpr std::int32_t kMemorySize = 0x1000;
inline constexpr std::int32_t kBankSize = 0x800;
inline constexpr std::int32_t kPageSize = 0x100;
// The stack in RAM 008H-017H holds eight return addresses.
inline constexpr int kStackLevels = 8;

enum class ByteUse : std::uint8_t {
  Unknown,      // a bare image: the flow decides
  Free,         // no source line placed a byte here
  Instruction,  // first byte of an instruction line
  Operand,      // further byte of an instruction line
  Data,         // db and the like
};

struct Program {
  std::vector<std::uint8_t> bytes;     // kMemorySize bytes from 000H
  std::vector<ByteUse> use;            // per address
  std::vector<std::int32_t> lines;     // per address: source line, 0 when unknown
  std::map<std::int32_t, std::string> labels;  // address -> the first label there, without ":"
  bool from_source = false;            // use and lines come from a line table
  bool upi = false;                    // UPI-41/42: one bank, no sel mb

  bool inside(std::int32_t address) const { return address >= 0 && address < kMemorySize; }
  std::int32_t line_at(std::int32_t address) const { return inside(address) ? lines[static_cast<std::size_t>(address)] : 0; }
  // "name (0123h)" or "0123h" where no label stands.
  std::string name_of(std::int32_t address) const;
};

// From a successful run's table (sorted by address or not).
Program program_from_table(const asm48::LineTable& table, bool upi = false);

// Labels from a listing of the extended dialect, whose records carry none:
// a listed symbol that stands in column 1 of a line with an address. A
// label already known stays.
void add_listing_labels(Program& program, const asm48::SourceListing& listing);

// Whether the source's cpu line names a UPI-41/42 (8041, 8042, ...), whose
// instruction set the analysis must read the bytes with.
bool names_upi_part(std::string_view source);

// From bytes that start at 000H; addresses past them read as free.
Program program_from_image(std::span<const std::uint8_t> image, bool upi = false);

// The instruction before `address` in the source (one or two bytes back),
// or -1 where data, free memory or a bare image stands there.
std::int32_t previous_instruction(const Program& program, std::int32_t address);

// "0123h": the address as the messages write it.
std::string hex_address(std::int32_t address);

}  // namespace zorvin::analysis
