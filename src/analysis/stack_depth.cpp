#include "analysis/stack_depth.h"

#include <set>
#include <utility>

namespace zorvin::analysis {

namespace {

// The deepest chain below each routine, worked out once per routine: a call
// adds a level, running into another routine's code adds none. Coming back
// to a routine still being worked out with more levels than it had is
// recursion: reported, and left out of the depth (which has no bound then).
class DepthFinder {
 public:
  DepthFinder(const Program& program, const Flow& flow)
      : program_(program),
        flow_(flow),
        state_(flow.routines.size(), State::New),
        level_(flow.routines.size(), 0),
        depth_(flow.routines.size(), 0),
        next_(flow.routines.size(), kNone),
        site_(flow.routines.size(), -1) {}

  // Levels below `index`: 0 for a routine that calls nothing.
  int below(std::size_t index, int level = 0) {
    if (state_[index] == State::Done) return depth_[index];
    state_[index] = State::Working;
    level_[index] = level;
    for (const CallSite& call : flow_.routines[index].calls) {
      if (state_[call.callee] == State::Working) {
        report_recursion(call.at, call.callee);
        continue;
      }
      const int deeper = below(call.callee, level + 1) + 1;
      if (deeper <= depth_[index]) continue;
      depth_[index] = deeper;
      next_[index] = call.callee;
      site_[index] = call.at;
    }
    for (const std::size_t tail : flow_.routines[index].tails) {
      if (state_[tail] == State::Working) {
        if (level_[tail] < level) report_recursion(flow_.routines[tail].entry, tail);
        continue;
      }
      const int deeper = below(tail, level);
      if (deeper <= depth_[index]) continue;
      depth_[index] = deeper;
      next_[index] = tail;
      site_[index] = -1;
    }
    state_[index] = State::Done;
    return depth_[index];
  }

  // The deepest chain from a routine worked out already: the routines
  // called along it (one it runs into is passed over, it takes no level).
  CallChain chain(std::size_t index) const {
    CallChain chain;
    chain.depth = depth_[index];
    chain.entries.push_back(flow_.routines[index].entry);
    for (std::size_t at = index; next_[at] != kNone; at = next_[at]) {
      if (site_[at] < 0) continue;
      chain.sites.push_back(site_[at]);
      chain.entries.push_back(flow_.routines[next_[at]].entry);
    }
    return chain;
  }

  std::vector<Finding> findings;

 private:
  enum class State : std::uint8_t { New, Working, Done };
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  void report_recursion(std::int32_t at, std::size_t callee) {
    if (!reported_.insert(at).second) return;
    findings.push_back({FindingKind::Recursion, at, program_.line_at(at),
                        "rekursiver Aufruf von " + program_.name_of(flow_.routines[callee].entry) + " bei " +
                            hex_address(at) + ": die Stapeltiefe hat keine Grenze"});
  }

  const Program& program_;
  const Flow& flow_;
  std::vector<State> state_;
  std::vector<int> level_;            // levels below the entry when the routine was reached
  std::vector<int> depth_;            // levels below the routine
  std::vector<std::size_t> next_;     // the routine the deepest chain goes on in
  std::vector<std::int32_t> site_;    // ... called from here, -1 when run into
  std::set<std::int32_t> reported_;
};

}  // namespace

std::string chain_text(const Program& program, const std::vector<std::int32_t>& entries) {
  // A chain of hundreds (a recursion the flow unrolled) stays one readable line.
  constexpr std::size_t kShownAtEachEnd = 6;
  const bool cut = entries.size() > 3 * kShownAtEachEnd;
  std::string text;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (cut && i == kShownAtEachEnd) {
      text += " -> ... (" + std::to_string(entries.size() - 2 * kShownAtEachEnd) + " weitere)";
      i = entries.size() - kShownAtEachEnd - 1;
      continue;
    }
    if (!text.empty()) text += " -> ";
    text += program.name_of(entries[i]);
  }
  return text;
}

StackDepth stack_depth(const Program& program, const Flow& flow) {
  StackDepth result;
  DepthFinder finder(program, flow);
  const EntryDepth* deepest_main = nullptr;
  const EntryDepth* deepest_interrupt = nullptr;
  result.entries.reserve(flow.roots.size());
  for (const std::size_t root : flow.roots) {
    const Routine& routine = flow.routines[root];
    EntryDepth entry;
    entry.entry = routine.entry;
    entry.interrupt = routine.interrupt;
    finder.below(root);
    entry.chain = finder.chain(root);
    if (routine.interrupt) {
      entry.chain.depth += 1;  // the interrupt's own return address
      entry.enabled = routine.entry == kExternalVector ? flow.enables_external : flow.enables_timer;
    }
    result.entries.push_back(std::move(entry));
  }
  for (const EntryDepth& entry : result.entries) {
    if (!entry.interrupt && (!deepest_main || entry.chain.depth > deepest_main->chain.depth)) deepest_main = &entry;
    if (entry.interrupt && entry.enabled &&
        (!deepest_interrupt || entry.chain.depth > deepest_interrupt->chain.depth))
      deepest_interrupt = &entry;
  }
  result.main_depth = deepest_main ? deepest_main->chain.depth : 0;
  result.interrupt_depth = deepest_interrupt ? deepest_interrupt->chain.depth : 0;
  result.worst = result.main_depth + result.interrupt_depth;
  result.findings = std::move(finder.findings);
  if (result.worst > kStackLevels) {
    // Named at the deepest call, where the last level is taken.
    std::string text = "Stapeltiefe " + std::to_string(result.worst) + " übersteigt die " +
                       std::to_string(kStackLevels) + " Ebenen des Stapels: ";
    std::int32_t at = 0;
    if (deepest_main) {
      text += chain_text(program, deepest_main->chain.entries);
      if (!deepest_main->chain.sites.empty()) at = deepest_main->chain.sites.back();
    }
    if (deepest_interrupt) {
      text += (deepest_main ? ", darauf die Unterbrechung " : "Unterbrechung ") +
              chain_text(program, deepest_interrupt->chain.entries);
      if (!deepest_interrupt->chain.sites.empty()) at = deepest_interrupt->chain.sites.back();
      else if (!deepest_main || deepest_main->chain.sites.empty()) at = deepest_interrupt->entry;
    }
    result.findings.push_back({FindingKind::StackTooDeep, at, program.line_at(at), std::move(text)});
  }
  return result;
}

}  // namespace zorvin::analysis
