#include "analysis/flow.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "dis/instruction_text.h"

namespace zorvin::analysis {

namespace {

using dis::FlowKind;

// The summaries a round hands to the next settle within a few rounds; the
// cap keeps a pathological program from going round for long.
constexpr int kMaxRounds = 8;

constexpr std::uint8_t kEnableExternal = 0x05;  // en i
constexpr std::uint8_t kEnableTimer = 0x25;     // en tcnti

bool starts_code(const Program& program, std::int32_t address) {
  if (!program.inside(address)) return false;
  const ByteUse use = program.use[static_cast<std::size_t>(address)];
  return use == ByteUse::Instruction || use == ByteUse::Unknown;
}

class FlowBuilder {
 public:
  FlowBuilder(const Program& program, std::span<const std::int32_t> entries)
      : program_(program), opcodes_(opcodes_of(program)) {
    add_root(0, false);
    for (const std::int32_t entry : entries) add_root(entry, false);
    add_root(kExternalVector, true);
    add_root(kTimerVector, true);
  }

  Flow run() {
    for (int round = 0; round < kMaxRounds; ++round) {
      const auto before = summary();
      walk_all();
      settle_selects();
      if (round > 0 && summary() == before) break;
    }
    return std::move(flow_);
  }

 private:
  struct Work {
    std::int32_t address;
    std::uint8_t banks;
    std::int32_t from;  // the instruction that leads here, -1 for the entry
  };

  void add_root(std::int32_t entry, bool interrupt) {
    if (!starts_code(program_, entry)) return;
    const std::size_t index = routine_of(entry, interrupt);
    flow_.routines[index].entry_banks |= entry >= kBankSize && !program_.upi && !interrupt ? kMb1 : kMb0;
    if (std::find(flow_.roots.begin(), flow_.roots.end(), index) == flow_.roots.end()) flow_.roots.push_back(index);
  }

  std::size_t routine_of(std::int32_t entry, bool interrupt) {
    const auto [place, added] = index_.try_emplace(std::pair{entry, interrupt}, flow_.routines.size());
    if (added) {
      Routine routine;
      routine.entry = entry;
      routine.interrupt = interrupt;
      flow_.routines.push_back(std::move(routine));
      own_selects_.push_back(false);
    }
    return place->second;
  }

  std::vector<std::tuple<std::uint8_t, std::uint8_t, bool>> summary() const {
    std::vector<std::tuple<std::uint8_t, std::uint8_t, bool>> out;
    for (const Routine& routine : flow_.routines)
      out.emplace_back(routine.entry_banks, routine.exit_banks, routine.selects_bank);
    return out;
  }

  void report(FindingKind kind, std::int32_t address, std::string text) {
    if (!reported_.insert({kind, address}).second) return;
    flow_.findings.push_back({kind, address, program_.line_at(address), std::move(text)});
  }

  void walk_all() {
    flow_.findings.clear();
    reported_.clear();
    flow_.reached.assign(kMemorySize, 0);
    flow_.enables_external = flow_.enables_timer = false;
    for (std::size_t index = 0; index < flow_.routines.size(); ++index) walk(index);  // walk may add routines
  }

  // A routine selects a bank when it or anything it calls runs sel mb.
  void settle_selects() {
    for (std::size_t index = 0; index < flow_.routines.size(); ++index)
      flow_.routines[index].selects_bank = own_selects_[index];
    for (bool changed = true; changed;) {
      changed = false;
      for (Routine& routine : flow_.routines) {
        if (routine.selects_bank) continue;
        for (const CallSite& call : routine.calls) {
          if (!flow_.routines[call.callee].selects_bank) continue;
          routine.selects_bank = changed = true;
          break;
        }
      }
    }
  }

  // The flip-flop after a call: what the callee leaves when it selects a
  // bank, else what it was before.
  std::uint8_t after_call(std::size_t callee, std::uint8_t before) const {
    const Routine& routine = flow_.routines[callee];
    return routine.selects_bank && routine.exit_banks != 0 ? routine.exit_banks : before;
  }

  void walk(std::size_t index) {
    const std::int32_t entry = flow_.routines[index].entry;
    const bool interrupt = flow_.routines[index].interrupt;
    std::vector<std::int32_t> body;
    std::vector<CallSite> calls;
    std::vector<std::int32_t> returns;
    std::uint8_t exit_banks = 0;
    bool own_select = false;
    seen_.assign(kMemorySize, 0);
    std::vector<Work> work{{entry, flow_.routines[index].entry_banks, -1}};
    while (!work.empty()) {
      const Work item = work.back();
      work.pop_back();
      const std::int32_t at = item.address;
      if (!program_.inside(at)) continue;
      const auto idx = static_cast<std::size_t>(at);
      const auto banks = static_cast<std::uint8_t>(item.banks & ~seen_[idx]);
      if (banks == 0) continue;
      const bool first = seen_[idx] == 0;
      seen_[idx] |= banks;
      if (!starts_code(program_, at)) {
        if (item.from >= 0)
          report(FindingKind::RunsIntoData, item.from,
                 "der Programmablauf erreicht bei " + hex_address(at) + " keinen Befehl (Daten oder leerer Speicher)");
        continue;
      }
      const std::uint8_t opcode = program_.bytes[idx];
      const dis::Opcode& op = opcodes_[opcode];
      if (!op.defined()) continue;
      if (first) {
        body.push_back(at);
        flow_.reached[idx] |= interrupt ? kReachedInterrupt : kReachedMain;
      }
      if (op.length == 2 && at % kBankSize == kBankSize - 1) {
        report(FindingKind::BankWrap, at,
               "der Befehl bei " + hex_address(at) + " reicht über das Bankende hinaus; sein zweites Byte wird von " +
                   hex_address(at - kBankSize + 1) + " gelesen");
        continue;
      }
      const std::uint8_t second = op.length == 2 ? program_.bytes[idx + 1] : 0;
      const std::int32_t next = at + op.length;
      std::uint8_t next_banks = banks;
      bool goes_on = true;
      switch (op.flow) {
        case FlowKind::Jump:
        case FlowKind::Call: {
          const std::uint8_t usable = interrupt || program_.upi ? kMb0 : banks;
          // Either value may reach here, maybe by paths walked one after the other.
          if (!interrupt && !program_.upi && seen_[idx] == (kMb0 | kMb1))
            report(FindingKind::BankUnknown, at,
                   std::string(op.mnemonic) + " bei " + hex_address(at) +
                       ": ob sel mb0 oder sel mb1 gilt, hängt vom Weg hierher ab; das Ziel ist unbestimmt");
          next_banks = 0;
          for (const int bank : {0, 1}) {
            const std::uint8_t bit = bank ? kMb1 : kMb0;
            if (!(usable & bit)) continue;
            const std::int32_t target =
                dis::jump_target(op, opcode, second, static_cast<unsigned>(at), static_cast<unsigned>(bank * kBankSize));
            if (op.flow == FlowKind::Jump) {
              work.push_back({target, bit, at});
              continue;
            }
            if (!starts_code(program_, target)) {
              report(FindingKind::RunsIntoData, at,
                     "call bei " + hex_address(at) + " führt nach " + hex_address(target) + ", wo kein Befehl steht");
              next_banks |= bit;
              continue;
            }
            const std::size_t callee = routine_of(target, interrupt);
            if (!interrupt) flow_.routines[callee].entry_banks |= bit;
            else flow_.routines[callee].entry_banks |= kMb0;
            if (first || std::none_of(calls.begin(), calls.end(), [&](const CallSite& c) { return c.at == at && c.callee == callee; }))
              calls.push_back({at, callee});
            next_banks |= after_call(callee, bit);
          }
          goes_on = op.flow == FlowKind::Call;
          break;
        }
        case FlowKind::Branch:
          work.push_back({dis::jump_target(op, opcode, second, static_cast<unsigned>(at), 0), banks, at});
          break;
        case FlowKind::Return:
          if (first) returns.push_back(at);
          exit_banks |= banks;
          goes_on = false;
          break;
        case FlowKind::TableJump:
          for (const std::int32_t target : table_jump_targets(program_, at)) work.push_back({target, banks, at});
          goes_on = false;
          break;
        case FlowKind::SelectBank0:
          own_select = true;
          next_banks = kMb0;
          break;
        case FlowKind::SelectBank1:
          own_select = true;
          next_banks = program_.upi ? kMb0 : kMb1;
          break;
        case FlowKind::Table:
        case FlowKind::Table3:
        case FlowKind::Next:
          if (opcode == kEnableExternal) flow_.enables_external = true;
          if (opcode == kEnableTimer) flow_.enables_timer = true;
          break;
      }
      if (!goes_on) continue;
      if (next / kBankSize != at / kBankSize) {
        report(FindingKind::BankWrap, at,
               "der Code läuft nach " + hex_address(at) + " über das Bankende hinaus und setzt bei " +
                   hex_address(next - kBankSize) + " fort");
        continue;
      }
      work.push_back({next, next_banks, at});
    }
    std::sort(body.begin(), body.end());
    Routine& routine = flow_.routines[index];
    routine.body = std::move(body);
    routine.calls = std::move(calls);
    routine.returns = std::move(returns);
    routine.exit_banks = exit_banks;
    own_selects_[index] = own_select;
  }

  const Program& program_;
  const dis::OpcodeMap& opcodes_;
  Flow flow_;
  std::map<std::pair<std::int32_t, bool>, std::size_t> index_;
  std::vector<bool> own_selects_;
  std::vector<std::uint8_t> seen_;
  std::set<std::pair<FindingKind, std::int32_t>> reported_;
};

}  // namespace

const dis::OpcodeMap& opcodes_of(const Program& program) {
  return dis::opcode_map(dis::instruction_set(program.upi));
}

Flow follow_flow(const Program& program, std::span<const std::int32_t> entries) {
  return FlowBuilder(program, entries).run();
}

std::vector<std::int32_t> table_jump_targets(const Program& program, std::int32_t at) {
  std::vector<std::int32_t> targets;
  if (!program.from_source || !program.inside(at)) return targets;
  const auto page = static_cast<std::int32_t>(dis::second_byte_address(static_cast<unsigned>(at)) & 0xF00u);
  for (std::int32_t place = page; place < page + kPageSize; ++place) {
    if (program.use[static_cast<std::size_t>(place)] != ByteUse::Data) continue;
    const std::int32_t target = page | program.bytes[static_cast<std::size_t>(place)];
    if (program.use[static_cast<std::size_t>(target)] != ByteUse::Instruction) continue;
    if (std::find(targets.begin(), targets.end(), target) == targets.end()) targets.push_back(target);
  }
  return targets;
}

}  // namespace zorvin::analysis
