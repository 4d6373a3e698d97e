#include "asm/code_overlaps.h"

#include <cstdint>
#include <cstdio>

namespace zorvin::asm48 {

namespace {

// Program memory of the largest part; bytes beyond it are reported elsewhere.
constexpr std::int64_t kAddresses = 4096;

std::string hex_address(std::int64_t address) {
  char text[8];
  std::snprintf(text, sizeof text, "%04XH", static_cast<unsigned>(address));
  return text;
}

struct Stretch {
  std::int32_t later_line = 0;    // first line of the code that overwrites
  std::int32_t earlier_line = 0;  // first line of the code overwritten
  std::int64_t first = 0;
  std::int64_t last = -2;         // none open
};

}  // namespace

std::vector<std::string> code_overlap_warnings(const LineTable& table) {
  std::vector<std::string> warnings;
  std::vector<std::int32_t> owner(kAddresses, 0);  // line that placed the byte; 0 for none
  Stretch open;
  const auto close = [&] {
    if (open.last < open.first) return;
    warnings.push_back("Warnung: Code ab Zeile " + std::to_string(open.later_line) + " überschreibt Code ab Zeile " +
                       std::to_string(open.earlier_line) + " (" + hex_address(open.first) + " bis " +
                       hex_address(open.last) + ")");
    open = Stretch{};
  };
  for (const LineRecord& record : table.records) {
    for (std::size_t i = 0; i < record.code_size(); ++i) {
      const std::int64_t address = std::int64_t{record.address} + static_cast<std::int64_t>(i);
      if (address < 0 || address >= kAddresses) continue;
      std::int32_t& placed = owner[static_cast<std::size_t>(address)];
      // One stretch goes on as long as the overwriting bytes follow each other.
      if (placed != 0) {
        if (address != open.last + 1) {
          close();
          open = {record.line_no, placed, address, address};
        } else {
          open.last = address;
        }
      } else if (open.last >= open.first) {
        close();
      }
      placed = record.line_no;
    }
  }
  close();
  return warnings;
}

}  // namespace zorvin::asm48
