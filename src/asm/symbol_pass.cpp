#include "asm/symbol_pass.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "asm/name_matcher.h"
#include "text/unicode_text.h"

namespace zorvin::asm48 {

namespace {

// The substitution is a sequence of steps, one per equ line in source order:
// step k replaces every occurrence of name k in every operand by value k,
// the value being the equ line's operand as the steps before k left it.
// Step k changes an operand only when name k occurs in it at that moment,
// so an operand is rewritten by jumping from one such step to the next, the
// next being found by one search for all names at once.
struct Steps {
  std::vector<std::string> names;        // folded, by step
  std::vector<std::string_view> values;  // by step, filled in step order
  // Name as the matcher reports it (its first step) -> all its steps, ascending.
  std::vector<std::vector<std::uint32_t>> steps_of;
};

struct Rewritten {
  std::string text;
  bool changed = false;
  bool too_long = false;  // a step would have grown it past the limit; text is as before that step
};

// One step on one operand: every occurrence left to right, the inserted
// value not searched again. False when the result would outgrow the limit.
bool replace_all(std::string& text, const std::string& folded, const std::string& name, std::string_view value) {
  const std::size_t limit = std::max(kMaxOperandBytes, text.size());
  std::string result;
  std::size_t done = 0;
  for (std::size_t found = folded.find(name); found != std::string::npos; found = folded.find(name, done)) {
    result.append(text, done, found - done);
    result += value;
    if (result.size() > limit) return false;
    done = found + name.size();
  }
  result.append(text, done);
  if (result.size() > limit) return false;
  text = std::move(result);
  return true;
}

// The operand after the steps before `end`; `folded` is storage to reuse.
// Text is only copied and folded once a step applies.
Rewritten rewrite(std::string_view operand, std::uint32_t end, const NameMatcher& matcher, const Steps& steps,
                  std::string& folded) {
  Rewritten out;
  std::string_view current = operand;
  std::int64_t last_step = -1;
  for (;;) {
    std::uint32_t next = end;
    matcher.for_each_match(current, [&](std::uint32_t name) {
      const auto& candidates = steps.steps_of[name];
      const auto later = std::upper_bound(candidates.begin(), candidates.end(), last_step,
                                          [](std::int64_t step, std::uint32_t c) { return step < c; });
      if (later != candidates.end() && *later < next) next = *later;
    });
    if (next >= end) return out;
    if (!out.changed) out.text = operand;
    fold_case_into(folded, out.text);
    if (!replace_all(out.text, folded, steps.names[next], steps.values[next])) {
      out.too_long = true;
      return out;
    }
    out.changed = true;
    current = out.text;
    last_step = next;
  }
}

}  // namespace

int symbol_pass(LineTable& table, Diagnostics& diagnostics) {
  Steps steps;
  std::vector<const LineRecord*> equ_lines;
  std::unordered_map<std::string, std::uint32_t> first_step;
  for (const LineRecord& record : table.records) {
    if (!record.is_equ || record.mnemonic.empty()) continue;
    const auto step = static_cast<std::uint32_t>(steps.names.size());
    steps.names.push_back(fold_case(record.mnemonic));
    const std::uint32_t first = first_step.emplace(steps.names.back(), step).first->second;
    steps.steps_of.emplace_back();  // one list per step; only a name's first step fills its own
    steps.steps_of[first].push_back(step);
    equ_lines.push_back(&record);
  }
  if (steps.names.empty()) return 0;
  const NameMatcher matcher(steps.names);
  std::string folded;
  // Each value is its line's operand as the steps before it left it.
  for (std::uint32_t step = 0; step < equ_lines.size(); ++step) {
    const std::string_view operand = equ_lines[step]->operand1;
    const Rewritten value = rewrite(operand, step, matcher, steps, folded);
    steps.values.push_back(value.changed ? table.keep(value.text) : operand);
  }
  const auto all = static_cast<std::uint32_t>(steps.names.size());
  int errors = 0;
  for (LineRecord& record : table.records) {
    bool too_long = false;
    for (std::string_view* operand : {&record.operand1, &record.operand2}) {
      if (operand->empty()) continue;
      const Rewritten result = rewrite(*operand, all, matcher, steps, folded);
      too_long |= result.too_long;
      if (result.changed) *operand = table.keep(result.text);
    }
    if (!too_long) continue;
    diagnostics.report(record.line_no, kOperandTooLong);
    ++errors;
  }
  return errors;
}

}  // namespace zorvin::asm48
