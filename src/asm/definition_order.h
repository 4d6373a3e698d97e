// Values of definitions whose expressions name each other (x equ y+1 before
// y equ 5), settled in the order they depend on each other: depth first,
// over an explicit stack, so a chain of any length costs no recursion. A
// definition named again while its own evaluation still waits closes a cycle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvin::asm48 {

// " -> Zirkuläre Definition: " + cycle_text(...), in every dialect.
inline constexpr std::string_view kCircularDefinition = " -> Zirkuläre Definition: ";

struct SettledDefinition {
  enum class State { Unvisited, Waiting, Known, Failed, Blocked, Circular };
  State state = State::Unvisited;
  std::int32_t value = 0;    // Known
  std::string error;         // Failed: the message of the evaluation (" -> ...")
  std::size_t next = 0;      // Circular: the definition it names on its way round the cycle
};

class DefinitionOrder {
 public:
  // One attempt at a definition: its value, or its message when it has
  // none. While it runs, value_of() gives the values of the definitions it
  // names; an attempt that met one not yet settled is made again later.
  struct Attempt {
    std::optional<std::int32_t> value;
    std::string error;
    bool certain = false;  // the error stands whatever the others named turn out to be
  };
  using Evaluate = std::function<Attempt(std::size_t definition)>;

  explicit DefinitionOrder(std::size_t count) : settled_(count) {}

  // Settles every definition.
  void settle(const Evaluate& evaluate);

  // For the attempt under way: the value of another definition, or none
  // when it is not known (yet). Any value stands in for a missing one: the
  // attempt's result is not used then.
  std::optional<std::int32_t> value_of(std::size_t definition);

  const std::vector<SettledDefinition>& settled() const { return settled_; }

  // A circular definition, each one it names in turn, and again the first
  // one of the cycle it leads into: x -> y -> x, or z -> x -> y -> x.
  std::vector<std::size_t> path_of(std::size_t circular) const;

  // The path of a circular definition as "x -> y -> x"; a long way round
  // shows its start and its end.
  std::string cycle_text(std::size_t circular, const std::function<std::string_view(std::size_t)>& name_of) const;

 private:
  void settle_from(std::size_t first, const Evaluate& evaluate);
  void close_cycle(std::size_t named);

  std::vector<SettledDefinition> settled_;
  std::vector<std::size_t> stack_;    // definitions entered (Waiting) or to enter, innermost last
  // What the attempt under way met: definitions not yet settled, the first
  // one still waiting (a cycle) and the first one without a value.
  std::vector<std::size_t> needed_;
  std::optional<std::size_t> waiting_;
  std::optional<std::size_t> blocked_by_;
  std::vector<bool> in_cycle_;  // while a cycle is gathered
};

}  // namespace zorvin::asm48
