// One record per non-empty source line, and the table of them that every
// pass of an assembler run works on. Texts are views into storage the table
// owns (the run's source text and the operands that equ substitution
// rewrote); code bytes live in one pool, each record naming its slice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvin::asm48 {

struct LineRecord {
  std::int32_t line_no = 0;        // 1-based editor line, used in every message
  std::int32_t address = 0;        // first code byte; origin on org lines
  std::int32_t length = 0;         // bytes the line takes from `address` on
  std::uint32_t code_at = 0;       // its first code byte in LineTable::code
  bool needs_target = false;       // the operand named by target_operand is a label still to resolve
  std::uint8_t target_operand = 0; // 1 or 2 while needs_target
  bool is_equ = false;             // "name equ value": mnemonic = name, operand1 = value
  bool is_data = false;            // db line that encoded successfully
  bool is_reserve = false;         // `length` bytes reserved, none stored: the image keeps its fill there
  std::string_view label;          // including its trailing ":", or empty
  std::string_view mnemonic;       // first word as written
  std::string_view operand1;
  std::string_view operand2;

  // Label operand of a jmp, call or branch.
  std::string_view target() const { return target_operand == 2 ? operand2 : operand1; }
  // Number of code bytes stored for the line.
  std::size_t code_size() const { return is_reserve || length <= 0 ? 0 : static_cast<std::size_t>(length); }
};

// Records of the last run in `records` (source order, or address order after
// a successful run). It grows as needed; there is no fixed record limit.
// Move-only: the records' texts point into storage the table owns.
class LineTable {
 public:
  std::vector<LineRecord> records;
  std::vector<std::uint8_t> code;  // the code bytes of all records

  // Index of the last record, -1 when the source produced none.
  std::int32_t last_index() const { return static_cast<std::int32_t>(records.size()) - 1; }

  std::span<const std::uint8_t> code_of(const LineRecord& record) const {
    return {code.data() + record.code_at, record.code_size()};
  }
  std::span<std::uint8_t> code_of(const LineRecord& record) { return {code.data() + record.code_at, record.code_size()}; }

  // Gives the record these code bytes (any number) and sets its length.
  void set_code(LineRecord& record, std::span<const std::uint8_t> bytes);

  // Appends a record for the line holding the bytes; reserve_bytes > 0 with
  // no bytes makes a record that only advances the address.
  LineRecord& add_record(std::int32_t line_no, std::span<const std::uint8_t> bytes, std::int32_t reserve_bytes = 0);

  // Keeps the run's source text itself, no copy made, until the table is
  // cleared; the caller may still change it in place.
  std::span<char> keep_source(std::string text);

  // A copy of the text that lives as long as the table's contents.
  std::string_view keep(std::string_view text);
  // The same, for a caller that still changes the copy in place.
  std::span<char> keep_writable(std::string_view text);

  // Orders the records by address; equal addresses keep their order.
  void sort_by_address();

  // Drops records, code and kept texts.
  void clear();

 private:
  // On the heap: a short text lives inside the string object, which a move
  // of the table would carry away from the views into it.
  std::unique_ptr<std::string> source_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* open_ = nullptr;  // free part of the block that small texts share
  std::size_t open_left_ = 0;
};

}  // namespace zorvin::asm48
