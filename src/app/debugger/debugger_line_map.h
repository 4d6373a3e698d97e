// What the debugger knows of the last successful assembly: the code image,
// the editor line of every code address, the first code address of every
// line, and for code that came from an included file or a macro where it
// came from.
#pragma once

#include <array>
#include <map>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "asm/line_record.h"
#include "asm/source_listing.h"

namespace zorvin::app {

inline constexpr int kProgramAddresses = 4096;

class DebuggerLineMap {
 public:
  DebuggerLineMap() { line_of_.fill(0); }

  // `table` sorted by address after a successful run; `listing` the extended
  // dialect's listing of that run (empty for the plain dialect); `source`
  // the editor text that was assembled; `source_dir` where its includes are.
  // Program memory without code holds `fill_byte`, as in the EPROM.
  DebuggerLineMap(const asm48::LineTable& table, const asm48::SourceListing& listing, const std::string& source,
                  const std::string& source_dir, std::uint8_t fill_byte);

  // The editor line (1-based) whose code covers the address, or none.
  std::optional<int> line_of(int address) const;
  // The first code address of the line, or of the next line that has code
  // (a breakpoint on a comment stops at the code below it); none when no
  // line from `line` on has code.
  std::optional<int> address_of(int line) const;
  // Where code that stands for another text came from: "Zeile 5 in
  // delay.inc: djnz r7,warte" for an included file, "aus Makro, Zeile 12:
  // ..." for an expansion; empty for code written on its own line.
  std::string origin_of(int address) const;

  const std::vector<std::uint8_t>& image() const { return image_; }
  // The line of every code address as zorvin-sim's profile counts it.
  const std::vector<std::int32_t>& code_lines() const { return code_lines_; }

  // The label that stands at a code address, or else an equate of that
  // value; empty when neither.
  std::string name_of(int address) const;
  // The value of a label or an equate (without regard to case), or none.
  std::optional<int> value_of(const std::string& name) const;
  // Whether an instruction (or a data byte) of the program begins here.
  bool starts_code(int address) const {
    return address >= 0 && address < kProgramAddresses && starts_[static_cast<std::size_t>(address)];
  }

 private:
  struct Expansion {
    int address = 0;
    int length = 0;
    int line = 0;
    std::string text;
    int occurrence = 0;  // how many lines of the same text came before it from the same editor line
  };

  void add_symbol(std::string name, int value, bool label);

  std::array<int, kProgramAddresses> line_of_{};  // 0: no line
  std::array<bool, kProgramAddresses> starts_{};
  std::vector<std::pair<int, std::string>> labels_;   // (address, name) in source order
  std::vector<std::pair<int, std::string>> equates_;  // (value, name)
  std::vector<std::pair<int, int>> first_address_;  // (line, address), ascending by line
  std::vector<Expansion> expansions_;               // ascending by address
  std::vector<std::string> source_lines_;
  std::string source_dir_;
  std::vector<std::uint8_t> image_;
  std::vector<std::int32_t> code_lines_;
};

// The file an `include "name"` statement on this source line names, or empty.
std::string included_file_name(const std::string& line);

}  // namespace zorvin::app
