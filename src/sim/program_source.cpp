#include "sim/program_source.h"

#include <cctype>

#include "asm/dialect/recognition.h"
#include "sim/profile.h"

namespace zorvin::sim {

namespace {

bool same_folded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// "0123H" as the extended listing writes numeric symbols.
std::optional<std::uint16_t> listed_address(std::string_view value) {
  if (value.size() < 2 || (value.back() != 'H' && value.back() != 'h')) return std::nullopt;
  unsigned number = 0;
  for (const char c : value.substr(0, value.size() - 1)) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    number = number * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10));
    if (number > 0xFFFF) return std::nullopt;
  }
  return static_cast<std::uint16_t>(number);
}

}  // namespace

std::vector<std::uint8_t> program_bytes(const asm48::LineTable& table) {
  std::vector<std::uint8_t> bytes;
  for (const asm48::LineRecord& record : table.records) {
    if (record.is_equ || record.is_reserve) continue;
    std::int64_t address = record.address;
    for (const std::uint8_t byte : table.code_of(record)) {
      if (address >= 0 && address < static_cast<std::int64_t>(kMaxProgramBytes)) {
        const auto at = static_cast<std::size_t>(address);
        if (bytes.size() <= at) bytes.resize(at + 1, 0x00);
        bytes[at] = byte;
      }
      ++address;
    }
  }
  return bytes;
}

std::vector<ProgramLabel> program_labels(const asm48::Assembler& assembler) {
  std::vector<ProgramLabel> labels;
  if (assembler.extended()) {
    for (const asm48::ListedSymbol& symbol : assembler.extended_listing().symbols)
      if (const auto address = listed_address(symbol.value)) labels.push_back({symbol.name, *address});
    return labels;
  }
  for (const asm48::LineRecord& record : assembler.table().records) {
    if (record.label.empty() || record.is_equ) continue;
    std::string_view name = record.label;
    if (name.back() == ':') name.remove_suffix(1);
    labels.push_back({std::string(name), static_cast<std::uint16_t>(record.address & 0xFFFF)});
  }
  return labels;
}

std::optional<std::uint16_t> label_address(std::span<const ProgramLabel> labels, std::string_view name) {
  for (const ProgramLabel& label : labels)
    if (same_folded(label.name, name)) return label.address;
  return std::nullopt;
}

AssembledProgram assemble_program(std::string text, const std::string& source_dir, bool cut_at_zero) {
  AssembledProgram program;
  // The part a marker line names (`cpu 8049`, `.cr 8041`), if any.
  if (std::string cpu = asm48::recognise_dialect(text).cpu; !cpu.empty()) program.cpu = std::move(cpu);
  asm48::Assembler assembler;
  asm48::RunOptions options;
  options.source_cut_at_zero = cut_at_zero;
  assembler.set_options(std::move(options));
  assembler.keep_listing(true);  // the extended dialect's symbols come with its listing
  program.result = assembler.run(std::move(text), source_dir);
  if (!program.result.ok()) return program;
  program.bytes = program_bytes(assembler.table());
  program.labels = program_labels(assembler);
  program.lines = code_lines(assembler.table());
  return program;
}

}  // namespace zorvin::sim
