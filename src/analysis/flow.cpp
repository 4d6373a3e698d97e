#include "analysis/flow.h"

#include <algorithm>
#include <set>
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

  // Walks every routine until what one walk assumed of the others (their
  // entry banks, whether they select a bank, their exit banks) holds after
  // all of them; a program without sel mb takes one round.
  Flow run() {
    for (int round = 0; round < kMaxRounds; ++round) {
      const auto before = summary();
      stale_ = false;
      walk_all();
      settle_selects();
      if (!stale_ && same_summary(before, summary())) break;
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
    std::int32_t& index = index_[interrupt ? 1 : 0][static_cast<std::size_t>(entry)];
    if (index < 0) {
      index = static_cast<std::int32_t>(flow_.routines.size());
      Routine routine;
      routine.entry = entry;
      routine.interrupt = interrupt;
      flow_.routines.push_back(std::move(routine));
      own_selects_.push_back(false);
    }
    return static_cast<std::size_t>(index);
  }

  // Routines found in the round had no summary before: they count as
  // selecting nothing, as the walks that found them assumed.
  static bool same_summary(const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after) {
    for (std::size_t i = 0; i < after.size(); ++i)
      if (after[i] != (i < before.size() ? before[i] : 0)) return false;
    return true;
  }

  // A routine walked already in this round gets another entry bank: its
  // walk is out of date.
  void add_entry_bank(std::size_t callee, std::uint8_t bit) {
    std::uint8_t& banks = flow_.routines[callee].entry_banks;
    if ((banks & bit) == bit) return;
    banks |= bit;
    if (callee <= walking_) stale_ = true;
  }

  // What the walks take from other routines: whether they select a bank,
  // and then what they leave.
  std::vector<std::uint8_t> summary() const {
    std::vector<std::uint8_t> out;
    out.reserve(flow_.routines.size());
    for (const Routine& routine : flow_.routines)
      out.push_back(routine.selects_bank ? static_cast<std::uint8_t>(4 | routine.exit_banks) : 0);
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
    for (walking_ = 0; walking_ < flow_.routines.size(); ++walking_) walk(walking_);  // walk may add routines
  }

  // A routine selects a bank when it or anything it calls or runs into
  // runs sel mb; it leaves what the routines it runs into leave.
  void settle_selects() {
    for (std::size_t index = 0; index < flow_.routines.size(); ++index)
      flow_.routines[index].selects_bank = own_selects_[index];
    for (bool changed = true; changed;) {
      changed = false;
      for (Routine& routine : flow_.routines) {
        for (const std::size_t tail : routine.tails) {
          const Routine& into = flow_.routines[tail];
          const auto exits = static_cast<std::uint8_t>(routine.exit_banks | into.exit_banks);
          const bool selects = routine.selects_bank || into.selects_bank;
          changed |= exits != routine.exit_banks || selects != routine.selects_bank;
          routine.exit_banks = exits;
          routine.selects_bank = selects;
        }
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
    std::vector<std::size_t> tails;
    std::uint8_t exit_banks = 0;
    bool own_select = false;
    for (const std::int32_t at : touched_) seen_[static_cast<std::size_t>(at)] = 0;
    touched_.clear();
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
      if (first) touched_.push_back(at);
      seen_[idx] |= banks;
      // Into the code of another routine: its walk covers what follows.
      const std::int32_t other = index_[interrupt ? 1 : 0][idx];
      if (item.from >= 0 && other >= 0 && static_cast<std::size_t>(other) != index) {
        const auto into = static_cast<std::size_t>(other);
        add_entry_bank(into, interrupt ? kMb0 : banks);
        if (std::find(tails.begin(), tails.end(), into) == tails.end()) tails.push_back(into);
        continue;
      }
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
            add_entry_bank(callee, interrupt ? kMb0 : bit);
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
    routine.tails = std::move(tails);
    routine.exit_banks = exit_banks;
    own_selects_[index] = own_select;
  }

  const Program& program_;
  const dis::OpcodeMap& opcodes_;
  Flow flow_;
  // Per address, main program and interrupt: the routine entered there, or -1.
  std::vector<std::int32_t> index_[2] = {std::vector<std::int32_t>(kMemorySize, -1),
                                         std::vector<std::int32_t>(kMemorySize, -1)};
  std::vector<bool> own_selects_;
  std::vector<std::uint8_t> seen_ = std::vector<std::uint8_t>(kMemorySize, 0);  // per address: banks walked with
  std::vector<std::int32_t> touched_;  // addresses whose seen_ the last walk set
  std::size_t walking_ = 0;
  bool stale_ = false;
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
