#include "app/debugger/debugger_code.h"

#include <vector>

#include "app/debugger/debugger_format.h"
#include "dis/instruction_text.h"
#include "sim/trace_format.h"

namespace zorvin::app {

namespace {

const dis::OpcodeMap& opcodes_of(const sim::Simulator& sim) {
  return dis::opcode_map(dis::instruction_set(sim.part().upi));
}

std::uint8_t byte_at(const sim::Simulator& sim, unsigned address) {
  const auto program = sim.program();
  return program[address % program.size()];
}

// A code address by its name: "warte", "loop+2"; empty when no label
// stands at it or up to 15 bytes before it.
std::string address_name(const DebuggerLineMap& lines, int address) {
  for (int back = 0; back < 16 && address - back >= 0; ++back) {
    const std::string name = lines.name_of(address - back);
    if (!name.empty()) return back == 0 ? name : name + "+" + std::to_string(back);
  }
  return {};
}

// The start of the instruction before `address`, as far as the program's
// records tell; -1 when they do not.
int previous_start(const DebuggerLineMap& lines, int address) {
  for (int back = 1; back <= 2; ++back)
    if (lines.starts_code(address - back)) return address - back;
  return -1;
}

}  // namespace

std::string named_instruction(const sim::Simulator& sim, const DebuggerLineMap& lines, std::uint16_t address) {
  const std::string plain = address == sim.state().pc ? sim::instruction_at(sim, address)
                                                      : dis::instruction_text(sim.program(), address, opcodes_of(sim)).text;
  const std::uint8_t opcode = byte_at(sim, address);
  const dis::Opcode& op = opcodes_of(sim)[opcode];
  if (op.second != dis::SecondByte::LongTarget && op.second != dis::SecondByte::PageTarget) return plain;
  const std::uint8_t second = byte_at(sim, dis::second_byte_address(address));
  // At the PC a jmp or call goes to the bank sel mb0/mb1 chose.
  const unsigned bank = address == sim.state().pc ? sim.jump_bank() : (address & 0x800u);
  const std::int32_t target = dis::jump_target(op, opcode, second, address, bank);
  if (target < 0) return plain;
  const std::string name = lines.name_of(target);
  if (name.empty()) return plain;
  return std::string(op.mnemonic).append(1, ' ').append(dis::operand_text(op, name));
}

std::string code_around(const sim::Simulator& sim, const DebuggerLineMap& lines, int before, int after) {
  const int pc = sim.state().pc;
  int start = pc;
  for (int i = 0; i < before; ++i) {
    const int previous = previous_start(lines, start);
    if (previous < 0) break;
    start = previous;
  }
  std::string text;
  int address = start;
  for (int shown = 0; shown < before + after + 1 && address < sim.part().program_size; ++shown) {
    const std::string label = lines.name_of(address);
    if (!label.empty() && lines.starts_code(address)) text += "       " + label + ":\n";
    const dis::InstructionText instruction = dis::instruction_text(sim.program(), static_cast<std::uint16_t>(address),
                                                                   opcodes_of(sim));
    std::string bytes = hex_text(byte_at(sim, static_cast<unsigned>(address)), 2);
    bytes += instruction.length == 2 ? " " + hex_text(byte_at(sim, dis::second_byte_address(static_cast<unsigned>(address))), 2)
                                     : std::string("   ");
    text += (address == pc ? "→ " : "  ") + hex_text(static_cast<unsigned>(address), 3) + "  " + bytes + "  " +
            named_instruction(sim, lines, static_cast<std::uint16_t>(address)) + "\n";
    address += instruction.length;
  }
  return text;
}

std::string call_stack(const sim::Simulator& sim, const DebuggerLineMap& lines, bool wrapped) {
  const sim::State& s = sim.state();
  std::string text = wrapped ? "Stapel übergelaufen: mehr als 8 Ebenen, ältere Adressen überschrieben\n" : "";
  // Only one interrupt runs at a time: the newest frame that no call pushed
  // is the interrupt's.
  bool interrupt_marked = false;
  // Gone round, all eight levels hold addresses, the newest below SP.
  const int count = wrapped ? 8 : s.sp;
  for (int i = 0; i < count; ++i) {
    const int level = (s.sp + 7 - i) % 8 + 1;
    const auto low = static_cast<std::size_t>(8 + 2 * (level - 1));
    const int back = s.ram[low] | ((s.ram[low + 1] & 0x0F) << 8);
    const int from = (back & 0x800) | ((back - 2) & 0x7FF);
    const bool after_call = (byte_at(sim, static_cast<unsigned>(from)) & 0x1F) == 0x14;
    const bool interrupt = s.in_interrupt && !interrupt_marked && !after_call;
    interrupt_marked = interrupt_marked || interrupt;
    std::string line = std::to_string(level) + ": " + hex_text(static_cast<unsigned>(back), 3) + "H";
    const std::string name = address_name(lines, back);
    if (!name.empty()) line += "  " + name;
    if (const auto source = lines.line_of(back)) line += " – Zeile " + std::to_string(*source);
    line += interrupt ? "  (Interrupt, PSW " + hex_text(s.ram[low + 1] & 0xF0u, 2) + "H)" : "";
    text += line + "\n";
  }
  if (s.sp == 0 && !wrapped) text += "(leer – keine Rückkehradresse)\n";
  text += "SP " + std::to_string(s.sp) + " von 8 Ebenen";
  if (s.sp == 7) text += "; der nächste call belegt die letzte";
  text += s.sp == 0 ? "" : "; der 9. überschreibt Ebene 1";
  return text + "\n";
}

}  // namespace zorvin::app
