#include "analysis/program.h"

#include <set>
#include <string_view>

#include "asm/dialect/recognition.h"
#include "asm/ext/pass.h"
#include "dis/instruction_text.h"

namespace zorvin::analysis {

namespace {

Program empty_program(bool upi) {
  Program program;
  program.bytes.assign(kMemorySize, 0xFF);
  program.use.assign(kMemorySize, ByteUse::Free);
  program.lines.assign(kMemorySize, 0);
  program.upi = upi;
  return program;
}

}  // namespace

std::string hex_address(std::int32_t address) { return dis::hex_number(static_cast<unsigned>(address), 3, 'h'); }

std::string Program::name_of(std::int32_t address) const {
  const auto label = labels.find(address);
  if (label == labels.end()) return hex_address(address);
  return label->second + " (" + hex_address(address) + ")";
}

std::int32_t previous_instruction(const Program& program, std::int32_t address) {
  if (!program.from_source) return -1;
  for (std::int32_t at = address - 1; at >= 0 && at >= address - 2; --at) {
    const ByteUse use = program.use[static_cast<std::size_t>(at)];
    if (use == ByteUse::Instruction) return at;
    if (use != ByteUse::Operand) return -1;
  }
  return -1;
}

Program program_from_table(const asm48::LineTable& table, bool upi) {
  Program program = empty_program(upi);
  program.from_source = true;
  for (const asm48::LineRecord& record : table.records) {
    if (record.is_equ) continue;
    if (!record.label.empty() && program.inside(record.address)) {
      std::string name(record.label);
      if (name.ends_with(':')) name.pop_back();
      program.labels.try_emplace(record.address, std::move(name));
    }
    const auto code = table.code_of(record);
    for (std::size_t at = 0; at < code.size(); ++at) {
      const std::int32_t address = record.address + static_cast<std::int32_t>(at);
      if (!program.inside(address)) break;
      const auto index = static_cast<std::size_t>(address);
      program.bytes[index] = code[at];
      program.lines[index] = record.line_no;
      program.use[index] = record.is_data ? ByteUse::Data : at == 0 ? ByteUse::Instruction : ByteUse::Operand;
    }
  }
  return program;
}

void add_listing_labels(Program& program, const asm48::SourceListing& listing) {
  std::set<std::string_view> symbols;
  for (const asm48::ListedSymbol& symbol : listing.symbols) symbols.insert(symbol.name);
  for (const asm48::ListingLine& line : listing.lines) {
    if (!line.address || !program.inside(*line.address) || line.text.empty()) continue;
    const std::size_t end = line.text.find_first_of(" \t:;");
    const std::string_view name = std::string_view(line.text).substr(0, end);
    if (name.empty() || !symbols.contains(name)) continue;
    program.labels.try_emplace(*line.address, name);
  }
}

bool names_upi_part(std::string_view source) {
  const std::string cpu = asm48::recognise_dialect(source).cpu;
  if (cpu.empty()) return false;
  return asm48::ext::instruction_set_of(cpu) == asm48::InstructionSet::Upi41;
}

Program program_from_image(std::span<const std::uint8_t> image, bool upi) {
  Program program = empty_program(upi);
  for (std::size_t at = 0; at < image.size() && at < program.bytes.size(); ++at) {
    program.bytes[at] = image[at];
    program.use[at] = ByteUse::Unknown;
  }
  return program;
}

}  // namespace zorvin::analysis
