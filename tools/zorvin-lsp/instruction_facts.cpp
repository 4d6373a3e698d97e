#include "instruction_facts.h"

#include <algorithm>
#include <map>
#include <set>

#include "asm/ext/directive_table.h"
#include "dis/opcode_map.h"
#include "text/unicode_text.h"

namespace zorvin::lsp {

namespace {

using asm48::InstructionSet;

struct Facts {
  std::vector<MnemonicFacts> mnemonics;
  std::vector<std::string> registers;
};

const Facts& facts() {
  static const Facts built = [] {
    std::map<std::string, MnemonicFacts> by_name;
    std::set<std::string> registers;
    for (const InstructionSet set : {InstructionSet::Mcs48, InstructionSet::Upi41}) {
      for (const dis::Opcode& op : dis::opcode_map(set)) {
        if (!op.defined()) continue;
        const std::string name = fold_case(op.mnemonic);
        auto [it, inserted] = by_name.try_emplace(name, MnemonicFacts{name, op.cycles, op.cycles});
        it->second.min_cycles = std::min<int>(it->second.min_cycles, op.cycles);
        it->second.max_cycles = std::max<int>(it->second.max_cycles, op.cycles);
        (set == InstructionSet::Mcs48 ? it->second.in_mcs48 : it->second.in_upi) = true;
        for (std::string_view operand : {op.operand1, op.operand2})
          if (!operand.empty()) registers.insert(fold_case(operand));
      }
    }
    Facts f;
    for (auto& [name, mnemonic] : by_name) f.mnemonics.push_back(mnemonic);
    f.registers.assign(registers.begin(), registers.end());
    return f;
  }();
  return built;
}

std::string first_operand(std::string_view operands) {
  const std::size_t comma = operands.find(',');
  std::string_view first = operands.substr(0, comma);
  while (!first.empty() && (first.front() == ' ' || first.front() == '\t')) first.remove_prefix(1);
  while (!first.empty() && (first.back() == ' ' || first.back() == '\t')) first.remove_suffix(1);
  return fold_case(first);
}

}  // namespace

const std::vector<MnemonicFacts>& all_mnemonics() { return facts().mnemonics; }
const std::vector<std::string>& register_words() { return facts().registers; }

const MnemonicFacts* find_mnemonic(std::string_view folded) {
  const auto& list = facts().mnemonics;
  const auto found = std::lower_bound(list.begin(), list.end(), folded,
                                      [](const MnemonicFacts& m, std::string_view name) { return m.mnemonic < name; });
  return found != list.end() && found->mnemonic == folded ? &*found : nullptr;
}

int cycles_of_opcode(std::uint8_t opcode, asm48::InstructionSet set) { return dis::opcode_map(set)[opcode].cycles; }

std::string changed_flags(std::string_view m, std::string_view operands) {
  const std::string first = first_operand(operands);
  if (m == "add" || m == "addc") return "C, AC";
  if (m == "da") return "C, AC";
  if (m == "rlc" || m == "rrc") return "C";
  if (m == "clr" || m == "cpl") {
    if (first == "c") return "C";
    if (first == "f0") return "F0";
    if (first == "f1") return "F1";
    return {};
  }
  if (m == "mov") {
    if (first == "psw") return "C, AC, F0, BS, SP (das ganze PSW)";
    if (first == "sts") return "STS Bits 4-7";
    return {};
  }
  if (m == "sel") {
    if (first == "rb0" || first == "rb1") return "BS (Registerbank)";
    if (first == "mb0" || first == "mb1") return "MBF (Speicherbank der nächsten jmp/call)";
    return {};
  }
  if (m == "call") return "SP (Stapel)";
  if (m == "ret") return "SP (Stapel)";
  if (m == "retr") return "C, AC, F0, BS, SP (PSW vom Stapel), Interrupt-Ende";
  if (m == "jtf") return "TF (gelöscht)";
  if (m == "en" || m == "dis") {
    if (first == "i") return "Interrupt-Freigabe";
    if (first == "tcnti") return "Timer-Interrupt-Freigabe";
    return "Freigabe " + first;
  }
  if (m == "strt" || m == "stop") return "Timer/Zähler";
  if (m == "out" && first == "dbb") return "OBF";
  if (m == "in" && operands.find("dbb") != std::string_view::npos) return "IBF";
  return {};
}

std::vector<std::string> directive_words(const asm48::Convention* convention) {
  std::set<std::string> words;
  if (!convention) {
    words = {"org", "equ", "db", "end"};
  } else {
    for (const auto& alias : convention->directives) words.emplace(alias.word);
    if (convention->bare_directive_words)
      for (const auto& directive : asm48::ext::engine_directives())
        if (directive.reserved) words.emplace(directive.word);
  }
  return {words.begin(), words.end()};
}

}  // namespace zorvin::lsp
