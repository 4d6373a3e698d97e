#include "analysis/stack_depth.h"

#include <set>
#include <utility>

namespace zorvin::analysis {

namespace {

// The deepest chain below each routine, worked out once per routine. A call
// back into a routine still being worked out is recursion: reported, and
// left out of the depth (which has no bound then).
class DepthFinder {
 public:
  DepthFinder(const Program& program, const Flow& flow)
      : program_(program), flow_(flow), state_(flow.routines.size(), State::New), best_(flow.routines.size()) {}

  // Levels below `index` (0 for a routine that calls nothing) and the chain.
  const CallChain& below(std::size_t index) {
    if (state_[index] == State::Done) return best_[index];
    state_[index] = State::Working;
    CallChain best;
    best.entries.push_back(flow_.routines[index].entry);
    for (const CallSite& call : flow_.routines[index].calls) {
      if (state_[call.callee] == State::Working) {
        report_recursion(call);
        continue;
      }
      const CallChain& deeper = below(call.callee);
      if (deeper.depth + 1 <= best.depth) continue;
      best.depth = deeper.depth + 1;
      best.entries.assign(1, flow_.routines[index].entry);
      best.entries.insert(best.entries.end(), deeper.entries.begin(), deeper.entries.end());
      best.sites.assign(1, call.at);
      best.sites.insert(best.sites.end(), deeper.sites.begin(), deeper.sites.end());
    }
    state_[index] = State::Done;
    best_[index] = std::move(best);
    return best_[index];
  }

  std::vector<Finding> findings;

 private:
  enum class State : std::uint8_t { New, Working, Done };

  void report_recursion(const CallSite& call) {
    if (!reported_.insert(call.at).second) return;
    findings.push_back({FindingKind::Recursion, call.at, program_.line_at(call.at),
                        "rekursiver Aufruf von " + program_.name_of(flow_.routines[call.callee].entry) + " bei " +
                            hex_address(call.at) + ": die Stapeltiefe hat keine Grenze"});
  }

  const Program& program_;
  const Flow& flow_;
  std::vector<State> state_;
  std::vector<CallChain> best_;
  std::set<std::int32_t> reported_;
};

}  // namespace

std::string chain_text(const Program& program, const std::vector<std::int32_t>& entries) {
  std::string text;
  for (const std::int32_t entry : entries) {
    if (!text.empty()) text += " -> ";
    text += program.name_of(entry);
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
    entry.chain = finder.below(root);
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
