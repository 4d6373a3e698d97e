#include "dis/program_map.h"

#include <utility>

#include "dis/instruction_text.h"

namespace zorvin::dis {

namespace {

constexpr std::int32_t kBankSize = 0x800;
constexpr std::int32_t kPageSize = 0x100;

// The program counter counts only in its low eleven bits: code never runs
// from one bank into the next. A path that would is not followed further.
bool same_bank(std::int32_t a, std::int32_t b) { return a / kBankSize == b / kBankSize; }

class Follower {
 public:
  Follower(std::int32_t base, std::span<const std::uint8_t> bytes, const OpcodeMap& opcodes, bool has_banks)
      : bytes_(bytes), opcodes_(opcodes), has_banks_(has_banks) {
    map_.base = base;
    map_.roles.assign(bytes.size(), ByteRole::Data);
    map_.targets.assign(bytes.size(), -1);
    map_.labelled.assign(bytes.size(), false);
    seen_.assign(bytes.size(), 0);
  }

  void add_entry(std::int32_t address, int bank, bool labelled) {
    if (!map_.inside(address)) return;
    if (labelled) map_.labelled[map_.index(address)] = true;
    pending_.push_back({address, bank});
  }

  ProgramMap run() {
    while (!pending_.empty()) {
      const auto [address, bank] = pending_.back();
      pending_.pop_back();
      follow(address, bank);
    }
    return std::move(map_);
  }

 private:
  struct Path {
    std::int32_t address;
    int bank;  // the memory bank flip-flop: 0 or 1
  };

  // Marks the jump's target for a label and follows it.
  void lead_to(std::int32_t from, std::int32_t target, int bank) {
    if (map_.targets[map_.index(from)] < 0) map_.targets[map_.index(from)] = target;
    if (!map_.inside(target)) return;
    map_.labelled[map_.index(target)] = true;
    pending_.push_back({target, bank});
  }

  // Claims the instruction at `address` when its bytes are free; false when
  // they are taken by another instruction, undefined or cut off.
  bool claim(std::int32_t address) {
    const std::size_t at = map_.index(address);
    const Opcode& op = opcodes_[bytes_[at]];
    if (!op.defined()) return false;
    if (op.length == 2) {
      if (!map_.inside(address + 1) || !same_bank(address, address + 1)) return false;
      if (map_.roles[at + 1] != ByteRole::Data) return false;
      map_.roles[at + 1] = ByteRole::Operand;
    }
    map_.roles[at] = ByteRole::Opcode;
    return true;
  }

  void follow(std::int32_t address, int bank) {
    while (map_.inside(address)) {
      const std::size_t at = map_.index(address);
      const std::uint8_t bank_bit = static_cast<std::uint8_t>(1u << bank);
      if (map_.roles[at] == ByteRole::Operand) return;  // into the middle of an instruction
      if (map_.roles[at] == ByteRole::Opcode) {
        if (seen_[at] & bank_bit) return;  // followed from here with this bank before
      } else if (!claim(address)) {
        return;
      }
      seen_[at] |= bank_bit;
      const Opcode& op = opcodes_[bytes_[at]];
      const std::int32_t next = address + op.length;
      const std::uint8_t second = op.length == 2 ? bytes_[at + 1] : 0;
      const auto bank_base = static_cast<unsigned>(has_banks_ ? bank * kBankSize : 0);
      // jmpp and movp use the page the program counter points into once it
      // has passed the opcode.
      const std::int32_t page = (address + 1) & ~(kPageSize - 1);
      switch (op.flow) {
        case FlowKind::Jump:
        case FlowKind::Call:
        case FlowKind::Branch:
          lead_to(address, jump_target(op, bytes_[at], second, static_cast<unsigned>(address), bank_base), bank);
          if (op.flow == FlowKind::Jump) return;
          break;
        case FlowKind::Return:
          return;
        case FlowKind::TableJump:
          map_.tables.try_emplace(page, TablePage{address, op.mnemonic});
          return;
        case FlowKind::Table:
          map_.tables.try_emplace(page, TablePage{address, op.mnemonic});
          break;
        case FlowKind::Table3:
          map_.tables.try_emplace(3 * kPageSize, TablePage{address, op.mnemonic});
          break;
        case FlowKind::SelectBank0:
          bank = 0;
          break;
        case FlowKind::SelectBank1:
          bank = has_banks_ ? 1 : 0;
          break;
        case FlowKind::Next:
          break;
      }
      if (!same_bank(address, next)) return;
      address = next;
    }
  }

  std::span<const std::uint8_t> bytes_;
  const OpcodeMap& opcodes_;
  bool has_banks_;
  ProgramMap map_;
  std::vector<std::uint8_t> seen_;  // per byte: the banks it was followed with (bit 0, bit 1)
  std::vector<Path> pending_;
};

}  // namespace

ProgramMap follow_program(std::int32_t base, std::span<const std::uint8_t> bytes, const OpcodeMap& opcodes,
                          bool has_banks, std::span<const std::int32_t> entries) {
  Follower follower(base, bytes, opcodes, has_banks);
  // Taken from the back: the user's entries last, reset first.
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
    follower.add_entry(*entry, has_banks && *entry >= kBankSize ? 1 : 0, true);
  // Reset clears the bank flip-flop; an interrupt routine runs in bank 0.
  for (const std::int32_t vector : {7, 3, 0}) follower.add_entry(vector, 0, false);
  // An image of a later part of memory (a HEX file of bank 1, say) holds
  // none of them: its first byte is where it is entered.
  if (base > 7) follower.add_entry(base, has_banks && base >= kBankSize ? 1 : 0, true);
  return follower.run();
}

}  // namespace zorvin::dis
