#include "output/listing_file.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "analysis/cycles.h"
#include "text/editor_lines.h"
#include "text/unicode_text.h"

namespace zorvin::output {

namespace {

constexpr std::size_t kBytesPerRow = 4;
constexpr std::size_t kNameColumn = 24;

std::string address_text(std::int32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(address) & 0xFFFFu);
  return text;
}

// "  12+ 0010 23 41 39 23  text": line number, "+" for expansions, address,
// up to four bytes (and the cycles where a program is given); further bytes
// continue on rows of their own.
void append_line(std::string& out, const asm48::ListingLine& line, const analysis::Program* program) {
  char number[16];
  std::snprintf(number, sizeof number, "%5d%c ", static_cast<int>(line.line_no), line.expansion ? '+' : ' ');
  std::size_t at = 0;
  do {
    std::string row = at == 0 ? std::string(number) : std::string(7, ' ');
    row += line.address ? address_text(*line.address + static_cast<std::int32_t>(at)) : std::string(4, ' ');
    std::string code;
    for (std::size_t i = at; i < line.bytes.size() && i < at + kBytesPerRow; ++i) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02X", line.bytes[i]);
      code += hex;
    }
    code.resize(3 * kBytesPerRow, ' ');
    row += code;
    if (program) {
      // Every instruction of the line counts: a jump with the sel mb0/mb1
      // put in front of it is two. Where a later line overwrote some of
      // its bytes, the instructions found there are that line's.
      int cycles = 0;
      for (std::size_t i = 0; at == 0 && line.address && i < line.bytes.size(); ++i) {
        const std::int32_t address = *line.address + static_cast<std::int32_t>(i);
        if (i == 0 || program->line_at(address) == program->line_at(*line.address))
          cycles += analysis::cycles_at(*program, address);
      }
      row += cycles > 0 ? "  " + std::to_string(cycles) : std::string(3, ' ');
    }
    if (at == 0) row += "  " + line.text;
    while (!row.empty() && row.back() == ' ') row.pop_back();
    out += row + "\n";
    at += kBytesPerRow;
  } while (at < line.bytes.size());
}

}  // namespace

asm48::SourceListing plain_source_listing(std::string_view source_text, const asm48::LineTable& table) {
  asm48::SourceListing listing;
  std::unordered_map<std::int32_t, std::vector<const asm48::LineRecord*>> by_line;
  for (const asm48::LineRecord& record : table.records) by_line[record.line_no].push_back(&record);
  const auto lines = editor_lines(source_text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    asm48::ListingLine& shown = listing.lines.emplace_back();
    shown.line_no = static_cast<std::int32_t>(i + 1);
    shown.text = std::string(lines[i]);
    const auto found = by_line.find(shown.line_no);
    if (found == by_line.end()) continue;
    for (const asm48::LineRecord* record : found->second) {
      if (record->is_equ) continue;
      if (!shown.address) shown.address = record->address;
      const auto code = table.code_of(*record);
      shown.bytes.insert(shown.bytes.end(), code.begin(), code.end());
    }
  }
  // A label alone on its line is carried to the next line's record too, and
  // a label defined twice means its first definition: one entry per name.
  std::unordered_map<std::string, std::pair<std::int32_t, asm48::ListedSymbol>> symbols;
  for (const asm48::LineRecord& record : table.records) {
    asm48::ListedSymbol symbol;
    if (record.is_equ)
      symbol = {std::string(record.mnemonic), std::string(record.operand1)};
    else if (!record.label.empty())
      symbol = {std::string(record.label.substr(0, record.label.size() - 1)), address_text(record.address) + "H"};
    else
      continue;
    auto [it, inserted] = symbols.try_emplace(fold_case(symbol.name), record.line_no, symbol);
    if (!inserted && record.line_no < it->second.first) it->second = {record.line_no, std::move(symbol)};
  }
  for (auto& [key, entry] : symbols) listing.symbols.push_back(std::move(entry.second));
  std::stable_sort(listing.symbols.begin(), listing.symbols.end(),
                   [](const auto& a, const auto& b) { return fold_case(a.name) < fold_case(b.name); });
  return listing;
}

std::string listing_file_text(const asm48::SourceListing& listing, std::string_view title,
                              const analysis::Program* program) {
  std::string out;
  out += "Listing ";
  out += title;
  out += program ? "\n\nZeile  Adr  Code       Zyk  Quelle\n" : "\n\nZeile  Adr  Code          Quelle\n";
  for (const asm48::ListingLine& line : listing.lines)
    if (!line.unlisted) append_line(out, line, program);
  out += "\nSymbole\n";
  for (const asm48::ListedSymbol& symbol : listing.symbols) {
    std::string row = symbol.name;
    row.resize(std::max(kNameColumn, char_count(row) + 1 + (row.size() - char_count(row))), ' ');
    out += row + symbol.value + "\n";
  }
  return out;
}

}  // namespace zorvin::output
