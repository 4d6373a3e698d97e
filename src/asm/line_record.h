// One record per non-empty source line, and the table of them that every
// pass of an assembler run works on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvin::asm48 {

struct LineRecord {
  std::int32_t line_no = 0;        // 1-based editor line, used in every message
  std::int32_t address = 0;        // first code byte; origin on org lines
  bool needs_target = false;       // target holds a label still to resolve
  bool is_equ = false;             // "name equ value": mnemonic = name, operand1 = value
  bool is_data = false;            // db line that encoded successfully
  std::string label;               // including its trailing ":", or empty
  std::string target;              // label operand of jmp, call or branch
  std::string mnemonic;            // first word as written
  std::string operand1;
  std::string operand2;
  std::string opcode_bits;         // first code byte as 8 "0"/"1" characters
  std::string operand_bits;        // second code byte, or empty
  std::int32_t length = 0;         // number of code bytes: 0, 1 or 2
};

// Records of the last run in `records` (source order, or address order after
// a successful run). It grows as needed; there is no fixed record limit.
struct LineTable {
  std::vector<LineRecord> records;

  // Index of the last record, -1 when the source produced none.
  std::int32_t last_index() const { return static_cast<std::int32_t>(records.size()) - 1; }
};

}  // namespace zorvin::asm48
