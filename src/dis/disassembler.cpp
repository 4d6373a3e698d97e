#include "dis/disassembler.h"

#include <cstdio>

#include "asm/ext/instruction.h"
#include "asm/ext/pass.h"
#include "dis/opcode_map.h"
#include "dis/program_map.h"
#include "dis/source_writer.h"

namespace zorvin::dis {

namespace {

// The title as one comment line: no line breaks or other control characters.
std::string comment_safe(std::string_view text) {
  std::string out;
  for (const char c : text) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  return out;
}

}  // namespace

Disassembly disassemble(std::int32_t base, std::span<const std::uint8_t> bytes, const DisassemblyOptions& options) {
  Disassembly result;
  const auto part = asm48::ext::part_of(options.cpu);
  const auto set = part ? std::optional(part->set) : std::nullopt;
  if (!set) {
    result.error = "unbekannter Prozessor: " + options.cpu;
    return result;
  }
  if (bytes.empty()) {
    result.error = "Das Abbild ist leer.";
    return result;
  }
  const std::int32_t memory = part->program_memory;
  if (base < 0 || base >= memory || static_cast<std::int64_t>(base) + static_cast<std::int64_t>(bytes.size()) > memory) {
    result.error = "Das Abbild reicht über den Programmspeicher des " + options.cpu + " hinaus (" +
                   std::to_string(memory) + " Byte).";
    return result;
  }
  const OpcodeMap& opcodes = opcode_map(*set);
  const ProgramMap map = follow_program(base, bytes, opcodes, asm48::has_memory_banks(*set), options.entries);

  std::string& out = result.text;
  out.reserve(bytes.size() * 64);
  out += "        cpu     " + comment_safe(options.cpu) + "\n";
  out += ";\n; ";
  if (!options.title.empty()) out += comment_safe(options.title) + ": ";
  char range[64];
  std::snprintf(range, sizeof range, "%zu Byte, %04XH bis %04XH", bytes.size(), static_cast<unsigned>(base),
                static_cast<unsigned>(base + static_cast<std::int32_t>(bytes.size()) - 1));
  out += range;
  char fill[8];
  std::snprintf(fill, sizeof fill, "%02XH", options.fill_byte);
  out += "\n; Mit ungenutztem Programmspeicher " + std::string(fill) +
         " assembliert ergibt diese Quelle das Abbild Byte für Byte.\n;\n";
  write_source(map, bytes, opcodes, WriterSettings{options.fill_byte}, out);
  return result;
}

std::optional<std::int32_t> program_address(std::string_view text) {
  std::int32_t value = 0;
  bool too_wide = false;
  if (!asm48::ext::read_number(text, value, &too_wide) || too_wide || value < 0 || value > 0xFFF) return std::nullopt;
  return value;
}

}  // namespace zorvin::dis
