#include "sim/trace_format.h"

#include <cstdio>

#include "dis/instruction_text.h"

namespace zorvin::sim {

std::string instruction_at(const Simulator& simulator, std::uint16_t pc) {
  const dis::OpcodeMap& opcodes = dis::opcode_map(dis::instruction_set(simulator.part().upi));
  const auto program = simulator.program();
  const std::uint8_t opcode = program[pc % program.size()];
  const dis::Opcode& op = opcodes[opcode];
  if (op.second != dis::SecondByte::LongTarget) return dis::instruction_text(program, pc, opcodes).text;
  // A jmp or call goes to the bank sel mb0/mb1 chose, not the one it stands in.
  const std::uint8_t second = program[dis::second_byte_address(pc) % program.size()];
  const auto target = static_cast<unsigned>(dis::jump_target(op, opcode, second, pc, simulator.jump_bank()));
  return std::string(op.mnemonic).append(1, ' ').append(dis::operand_text(op, dis::hex_number(target, 3, 'H')));
}

std::string trace_line(const Simulator& simulator, const TraceStep& step) {
  const State& s = simulator.state();
  char head[64];
  if (step.length == 0)
    std::snprintf(head, sizeof head, "%10llu %03X --   ", static_cast<unsigned long long>(step.cycle), step.pc);
  else if (step.length == 1)
    std::snprintf(head, sizeof head, "%10llu %03X %02X   ", static_cast<unsigned long long>(step.cycle), step.pc,
                  step.bytes[0]);
  else
    std::snprintf(head, sizeof head, "%10llu %03X %02X %02X", static_cast<unsigned long long>(step.cycle), step.pc,
                  step.bytes[0], step.bytes[1]);
  char registers[96];
  std::snprintf(registers, sizeof registers,
                "  A=%02X PSW=%02X R=%02X %02X %02X %02X %02X %02X %02X %02X T=%02X P1=%02X P2=%02X  ", s.a,
                simulator.psw(), simulator.reg(0), simulator.reg(1), simulator.reg(2), simulator.reg(3),
                simulator.reg(4), simulator.reg(5), simulator.reg(6), simulator.reg(7), s.timer,
                simulator.pin_level(Port::P1), simulator.pin_level(Port::P2));
  std::string what;
  if (step.length == 0) {
    char text[32];
    std::snprintf(text, sizeof text, "Interrupt %03XH", step.vector);
    what = text;
  } else {
    what = instruction_at(simulator, step.pc);
  }
  return std::string(head) + registers + what;
}

std::string ram_dump(const Simulator& simulator) {
  std::string dump;
  const int size = simulator.part().ram_size;
  for (int row = 0; row < size; row += 16) {
    char line[80];
    int used = std::snprintf(line, sizeof line, "RAM %02X:", row);
    for (int i = 0; i < 16 && used > 0; ++i)
      used += std::snprintf(line + used, sizeof line - static_cast<std::size_t>(used), " %02X", simulator.ram(row + i));
    dump += line;
    dump += '\n';
  }
  return dump;
}

}  // namespace zorvin::sim
