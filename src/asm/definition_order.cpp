#include "asm/definition_order.h"

#include <algorithm>

namespace zorvin::asm48 {

using State = SettledDefinition::State;

void DefinitionOrder::settle(const Evaluate& evaluate) {
  for (std::size_t first = 0; first < settled_.size(); ++first)
    if (settled_[first].state == State::Unvisited) settle_from(first, evaluate);
}

std::optional<std::int32_t> DefinitionOrder::value_of(std::size_t definition) {
  const SettledDefinition& named = settled_[definition];
  switch (named.state) {
    case State::Known:
      return named.value;
    case State::Unvisited:
      if (std::find(needed_.begin(), needed_.end(), definition) == needed_.end()) needed_.push_back(definition);
      break;
    case State::Waiting:
      if (!waiting_) waiting_ = definition;
      break;
    case State::Failed:
    case State::Blocked:
    case State::Circular:
      if (!blocked_by_) blocked_by_ = definition;
      break;
  }
  return std::nullopt;
}

// The stack holds the definitions entered (Waiting), each above the one
// that named it, and between them those named but not entered yet. A
// definition is entered at its topmost place and never put on the stack
// again while it waits, so the waiting ones are the path to the top.
void DefinitionOrder::settle_from(std::size_t first, const Evaluate& evaluate) {
  stack_.assign(1, first);
  while (!stack_.empty()) {
    const std::size_t top = stack_.back();
    SettledDefinition& current = settled_[top];
    if (current.state != State::Unvisited && current.state != State::Waiting) {
      stack_.pop_back();  // settled on another way to it
      continue;
    }
    current.state = State::Waiting;
    needed_.clear();
    waiting_.reset();
    blocked_by_.reset();
    const Attempt attempt = evaluate(top);
    if (waiting_) {
      close_cycle(*waiting_);
      continue;
    }
    if (!attempt.value && attempt.certain) {
      current.state = State::Failed;  // told now: the ones it names follow on their own
      current.error = attempt.error;
      stack_.pop_back();
      continue;
    }
    if (blocked_by_) {
      // A value made of one that cannot be known cannot be known either;
      // only a cycle is told again for each definition leading into it.
      const bool circular = settled_[*blocked_by_].state == State::Circular;
      current.state = circular ? State::Circular : State::Blocked;
      current.next = *blocked_by_;
      stack_.pop_back();
      continue;
    }
    if (!needed_.empty()) {
      // The first one named is settled first.
      stack_.insert(stack_.end(), needed_.rbegin(), needed_.rend());
      continue;
    }
    if (attempt.value) {
      current.state = State::Known;
      current.value = *attempt.value;
    } else {
      current.state = State::Failed;
      current.error = attempt.error;
    }
    stack_.pop_back();
  }
}

void DefinitionOrder::close_cycle(std::size_t named) {
  // The waiting definitions from the top down to the one named again.
  std::vector<std::size_t> cycle;
  in_cycle_.resize(settled_.size());
  for (auto place = stack_.rbegin(); place != stack_.rend(); ++place) {
    if (settled_[*place].state != State::Waiting || in_cycle_[*place]) continue;
    in_cycle_[*place] = true;
    cycle.push_back(*place);
    if (*place == named) break;
  }
  for (const std::size_t member : cycle) in_cycle_[member] = false;
  // Each names the one above it; the top names the first.
  std::reverse(cycle.begin(), cycle.end());
  for (std::size_t i = 0; i < cycle.size(); ++i) {
    settled_[cycle[i]].state = State::Circular;
    settled_[cycle[i]].next = cycle[(i + 1) % cycle.size()];
  }
}

std::vector<std::size_t> DefinitionOrder::path_of(std::size_t circular) const {
  std::vector<std::size_t> path{circular};
  std::vector<bool> seen(settled_.size(), false);
  seen[circular] = true;
  for (std::size_t at = circular; settled_[at].state == State::Circular;) {
    at = settled_[at].next;
    path.push_back(at);
    if (seen[at]) break;
    seen[at] = true;
  }
  return path;
}

std::string DefinitionOrder::cycle_text(std::size_t circular,
                                        const std::function<std::string_view(std::size_t)>& name_of) const {
  constexpr std::size_t kShownAtStart = 5;
  constexpr std::size_t kShownAtEnd = 3;
  const std::vector<std::size_t> path = path_of(circular);
  std::string text;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path.size() > kShownAtStart + kShownAtEnd && i >= kShownAtStart && i + kShownAtEnd < path.size()) {
      if (i == kShownAtStart) text += " -> ...";
      continue;
    }
    if (i > 0) text += " -> ";
    text += name_of(path[i]);
  }
  return text;
}

}  // namespace zorvin::asm48
