#include "analysis/hazards.h"

#include <set>
#include <utility>

#include "dis/instruction_text.h"

namespace zorvin::analysis {

namespace {

using dis::FlowKind;

constexpr std::uint8_t kMovImmediate = 0x23;  // mov a,#k
constexpr std::uint8_t kAddImmediate = 0x03;  // add a,#k
constexpr std::uint8_t kSelectRb0 = 0xC5;
constexpr std::uint8_t kSelectRb1 = 0xD5;
constexpr std::uint8_t kRet = 0x83;
constexpr std::uint8_t kMovPswA = 0xD7;  // mov psw,a: the stack pointer too
constexpr std::uint8_t kRb0 = 1;
constexpr std::uint8_t kRb1 = 2;
// How far before a movp its mov/add a,#table is looked for.
constexpr int kTableLookBack = 4;

bool starts_code(const Program& program, std::int32_t address) {
  const ByteUse use = program.use[static_cast<std::size_t>(address)];
  return use == ByteUse::Instruction || use == ByteUse::Unknown;
}

std::int32_t page_of(std::int32_t address) { return address & ~(kPageSize - 1); }

std::string page_text(std::int32_t page) { return hex_address(page) + " bis " + hex_address(page + kPageSize - 1); }

bool is_data(const Program& program, std::int32_t address) {
  return program.inside(address) && program.use[static_cast<std::size_t>(address)] == ByteUse::Data;
}

// The page a movp or jmpp at `at` reads: that of the byte after it; movp3
// always reads 300H-3FFH.
std::int32_t read_page(const dis::Opcode& op, std::int32_t at) {
  if (op.flow == FlowKind::Table3) return 3 * kPageSize;
  return static_cast<std::int32_t>(dis::second_byte_address(static_cast<unsigned>(at)) & 0xF00u);
}

class PageChecker {
 public:
  explicit PageChecker(const Program& program) : program_(program), opcodes_(opcodes_of(program)) {}

  void check(std::int32_t at) {
    const dis::Opcode& op = opcodes_[program_.bytes[static_cast<std::size_t>(at)]];
    const bool last_byte = (at & (kPageSize - 1)) == kPageSize - 1;
    const std::string mnemonic(op.mnemonic);
    if (op.flow == FlowKind::Branch && last_byte && at % kBankSize != kBankSize - 1) {
      const std::int32_t target = dis::jump_target(op, program_.bytes[static_cast<std::size_t>(at)],
                                                   program_.bytes[static_cast<std::size_t>(at) + 1],
                                                   static_cast<unsigned>(at), 0);
      add(FindingKind::PageEnd, at,
          mnemonic + " bei " + hex_address(at) + " steht am Seitenende: sein Adressbyte liegt in der nächsten Seite, "
              "das Sprungziel " + hex_address(target) + " liegt daher in " + page_text(page_of(target)));
    }
    if (op.flow != FlowKind::Table && op.flow != FlowKind::TableJump && op.flow != FlowKind::Table3) return;
    const std::int32_t page = read_page(op, at);
    if (last_byte && op.flow != FlowKind::Table3)
      add(FindingKind::PageEnd, at,
          mnemonic + " bei " + hex_address(at) + " steht am Seitenende und liest die Seite " + page_text(page) +
              ", nicht die eigene");
    if (!program_.from_source) return;
    check_table_end(at, mnemonic, page);
    check_table_label(at, mnemonic, page);
  }

  std::vector<Finding> findings;

 private:
  void add(FindingKind kind, std::int32_t at, std::string text) {
    if (!reported_.insert({kind, at}).second) return;
    findings.push_back({kind, at, program_.line_at(at), std::move(text)});
  }

  // Data that runs on over the page's end without a new label there: the
  // entries beyond it are out of the reader's reach.
  void check_table_end(std::int32_t at, const std::string& mnemonic, std::int32_t page) {
    const std::int32_t last = page + kPageSize - 1;
    if (!is_data(program_, last) || !is_data(program_, last + 1) || program_.labels.contains(last + 1)) return;
    std::int32_t start = last;
    while (start > page && is_data(program_, start - 1) && !program_.labels.contains(start)) --start;
    add(FindingKind::TablePage, start,
        "die Tabelle ab " + program_.name_of(start) + " reicht über das Seitenende " + hex_address(last) +
            " hinaus; " + mnemonic + " bei " + hex_address(at) + " liest nur " + page_text(page));
  }

  // mov a,#table or add a,#table shortly before the reader, where `table`
  // names data in another page than the one read and no data stands at
  // that place of the page read.
  void check_table_label(std::int32_t at, const std::string& mnemonic, std::int32_t page) {
    std::int32_t before = previous_instruction(program_, at);
    for (int step = 0; step < kTableLookBack && before >= 0; ++step, before = previous_instruction(program_, before)) {
      const std::uint8_t opcode = program_.bytes[static_cast<std::size_t>(before)];
      if (opcode != kMovImmediate && opcode != kAddImmediate) continue;
      const std::uint8_t low = program_.bytes[static_cast<std::size_t>(before) + 1];
      if (is_data(program_, page | low)) return;  // a table where it is read
      for (const auto& [address, name] : program_.labels) {
        if ((address & 0xFF) != low || page_of(address) == page || !is_data(program_, address)) continue;
        add(FindingKind::TablePage, at,
            mnemonic + " bei " + hex_address(at) + " liest " + page_text(page) + ", die Tabelle " +
                program_.name_of(address) + " liegt aber in " + page_text(page_of(address)));
        return;
      }
      return;
    }
  }

  const Program& program_;
  const dis::OpcodeMap& opcodes_;
  std::set<std::pair<FindingKind, std::int32_t>> reported_;
};

bool is_register(std::string_view operand) {
  return operand.size() == 2 && operand[0] == 'r' && operand[1] >= '0' && operand[1] <= '7';
}

bool writes_a(const dis::Opcode& op) { return op.operand1 == "a"; }

bool saves_a(const dis::Opcode& op) {
  if (op.mnemonic == "xch") return true;
  if (op.operand2 != "a") return false;
  return (op.mnemonic == "mov" && (is_register(op.operand1) || op.operand1.starts_with('@'))) ||
         op.mnemonic == "movx";
}

// The register rN the instruction changes, else an empty view.
std::string_view written_register(const dis::Opcode& op) {
  if (op.mnemonic == "xch" && is_register(op.operand2)) return op.operand2;
  if ((op.mnemonic == "mov" || op.mnemonic == "inc" || op.mnemonic == "dec" || op.mnemonic == "djnz") &&
      is_register(op.operand1))
    return op.operand1;
  return {};
}

// One interrupt routine and what it calls, with two facts along each path:
// whether A is saved yet, and the register banks that may be selected.
class InterruptChecker {
 public:
  InterruptChecker(const Program& program, std::uint8_t main_banks)
      : program_(program), opcodes_(opcodes_of(program)), main_banks_(main_banks) {}

  void check(const Flow& flow, const Routine& routine) {
    const std::string name = "die Unterbrechungsroutine " + program_.name_of(routine.entry);
    for (const std::int32_t at : returns_of(flow, routine))
      if (program_.bytes[static_cast<std::size_t>(at)] == kRet)
        add(at, name + " endet bei " + hex_address(at) +
                    " mit ret statt retr: PSW (Übertrag, F0, Registerbank) wird nicht wiederhergestellt");
    std::vector<std::uint8_t> seen(kMemorySize, 0);
    bool a_reported = false;
    bool register_reported = false;
    bool psw_reported = false;
    std::vector<std::pair<std::int32_t, std::uint8_t>> work{{routine.entry, state(false, main_banks_)}};
    while (!work.empty()) {
      auto [at, now] = work.back();
      work.pop_back();
      if (!program_.inside(at) || !starts_code(program_, at)) continue;
      const auto idx = static_cast<std::size_t>(at);
      const auto bit = static_cast<std::uint8_t>(1u << now);
      if (seen[idx] & bit) continue;
      seen[idx] |= bit;
      const std::uint8_t opcode = program_.bytes[idx];
      const dis::Opcode& op = opcodes_[opcode];
      if (!op.defined() || (op.length == 2 && at % kBankSize == kBankSize - 1)) continue;
      bool saved = now & 4;
      std::uint8_t banks = now & 3;
      if (saves_a(op)) saved = true;
      if (writes_a(op) && !saved && !a_reported) {
        a_reported = true;
        add(at, name + " ändert A bei " + hex_address(at) + ", ohne A vorher zu sichern");
      }
      const std::string_view reg = written_register(op);
      if (!reg.empty() && (banks & main_banks_) && !register_reported) {
        register_reported = true;
        add(at, name + " ändert " + std::string(reg) + " bei " + hex_address(at) +
                    " in der Registerbank des unterbrochenen Programms (ohne sel rb1 und ohne Sicherung)");
      }
      if (opcode == kMovPswA && !psw_reported) {
        psw_reported = true;
        add(at, name + " schreibt PSW bei " + hex_address(at) +
                    " (mov psw,a): Stapelzeiger, Übertrag und Registerbank des unterbrochenen Programms ändern sich");
      }
      if (opcode == kSelectRb0) banks = kRb0;
      if (opcode == kSelectRb1) banks = kRb1;
      const std::uint8_t next = state(saved, banks);
      const std::uint8_t second = op.length == 2 ? program_.bytes[idx + 1] : 0;
      switch (op.flow) {
        case FlowKind::Jump:
          work.push_back({dis::jump_target(op, opcode, second, static_cast<unsigned>(at), 0), next});
          continue;
        case FlowKind::Call:
        case FlowKind::Branch:
          work.push_back({dis::jump_target(op, opcode, second, static_cast<unsigned>(at), 0), next});
          break;
        case FlowKind::Return:
          continue;
        case FlowKind::TableJump:
          for (const std::int32_t target : table_jump_targets(program_, at)) work.push_back({target, next});
          continue;
        default:
          break;
      }
      if ((at + op.length) / kBankSize == at / kBankSize) work.push_back({at + op.length, next});
    }
  }

  std::vector<Finding> findings;

 private:
  // The returns of the routine and of the routines its code runs into.
  static std::vector<std::int32_t> returns_of(const Flow& flow, const Routine& routine) {
    std::vector<std::int32_t> returns = routine.returns;
    std::vector<const Routine*> open{&routine};
    std::set<const Routine*> seen{&routine};
    while (!open.empty()) {
      const Routine* next = open.back();
      open.pop_back();
      for (const std::size_t tail : next->tails) {
        const Routine* into = &flow.routines[tail];
        if (!seen.insert(into).second) continue;
        returns.insert(returns.end(), into->returns.begin(), into->returns.end());
        open.push_back(into);
      }
    }
    return returns;
  }

  static std::uint8_t state(bool saved, std::uint8_t banks) {
    return static_cast<std::uint8_t>((saved ? 4 : 0) | banks);
  }

  void add(std::int32_t at, std::string text) {
    findings.push_back({FindingKind::InterruptChanges, at, program_.line_at(at), std::move(text)});
  }

  const Program& program_;
  const dis::OpcodeMap& opcodes_;
  std::uint8_t main_banks_;
};

}  // namespace

std::vector<Finding> page_hazards(const Program& program, const Flow& flow) {
  PageChecker checker(program);
  for (std::int32_t at = 0; at < kMemorySize; ++at)
    if (flow.reached[static_cast<std::size_t>(at)] != 0) checker.check(at);
  return std::move(checker.findings);
}

std::vector<Finding> interrupt_hazards(const Program& program, const Flow& flow) {
  // The banks the main program's registers may live in: 0 after reset, 1
  // once it selects it anywhere.
  std::uint8_t main_banks = kRb0;
  for (std::int32_t at = 0; at < kMemorySize; ++at)
    if ((flow.reached[static_cast<std::size_t>(at)] & kReachedMain) && program.bytes[static_cast<std::size_t>(at)] == kSelectRb1)
      main_banks |= kRb1;
  InterruptChecker checker(program, main_banks);
  // An interrupt the program never enables never runs: the code at its
  // vector may well be part of the main program then.
  for (const std::size_t root : flow.roots) {
    const Routine& routine = flow.routines[root];
    const bool enabled = routine.entry == kExternalVector ? flow.enables_external : flow.enables_timer;
    if (routine.interrupt && enabled) checker.check(flow, routine);
  }
  return std::move(checker.findings);
}

std::vector<Finding> unreached_code(const Program& program, const Flow& flow) {
  std::vector<Finding> findings;
  if (!program.from_source) return findings;
  const dis::OpcodeMap& opcodes = opcodes_of(program);
  std::int32_t run_start = -1;
  std::int32_t run_end = -1;  // one past the run's last byte
  const auto close_run = [&] {
    if (run_start < 0) return;
    const std::int32_t last_line = program.line_at(run_end - 1);
    std::string text = "Code wird nie erreicht: " + hex_address(run_start) + " bis " + hex_address(run_end - 1);
    if (last_line != program.line_at(run_start)) text += " (bis Zeile " + std::to_string(last_line) + ")";
    findings.push_back({FindingKind::Unreached, run_start, program.line_at(run_start), std::move(text)});
    run_start = -1;
  };
  for (std::int32_t at = 0; at < kMemorySize; ++at) {
    const auto idx = static_cast<std::size_t>(at);
    if (program.use[idx] != ByteUse::Instruction) {
      if (program.use[idx] != ByteUse::Operand) close_run();
      continue;
    }
    if (flow.reached[idx] != 0) {
      close_run();
      continue;
    }
    if (run_start < 0 || at != run_end) {
      close_run();
      run_start = at;
    }
    run_end = at + opcodes[program.bytes[idx]].length;
  }
  close_run();
  return findings;
}

}  // namespace zorvin::analysis
