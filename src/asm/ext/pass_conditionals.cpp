// if / elseif / else / endif and ifdef / ifndef.
#include "asm/ext/pass_engine.h"

namespace zorvin::asm48::ext::engine {

// if / elseif / else / endif, also while skipping.
bool Pass::conditional(const Statement& s) {
  const bool ifdef = s.is(word_key("ifdef"));
  if (ifdef || s.is(word_key("ifndef"))) {
    if (conditions_.size() >= kMaxConditions) {
      report(kIfTooDeep);
      stopped_ = true;
      return true;
    }
    const bool parent = assembling();
    if (parent && (s.operands.size() != 1 || s.operands[0].kind != TokenKind::Name)) report(kParameterError);
    const bool defined =
        !s.operands.empty() && context_.symbols.defined_so_far(qualified(s.operands[0].text));
    const bool holds = parent && defined == ifdef;
    conditions_.push_back({holds, parent, holds, line_no(), where()});
    return true;
  }
  if (s.is(word_key("if"))) {
    if (conditions_.size() >= kMaxConditions) {
      report(kIfTooDeep);
      stopped_ = true;
      return true;
    }
    const bool parent = assembling();
    const bool holds = parent && condition_holds(s.operands);
    conditions_.push_back({holds, parent, holds, line_no(), where()});
    return true;
  }
  if (!s.is(word_key("elseif")) && !s.is(word_key("else")) && !s.is(word_key("endif"))) return false;
  if (conditions_.size() <= frames_.back().conditions) {
    report(kStray, s.word->text);
    return true;
  }
  Condition& c = conditions_.back();
  if (s.is(word_key("endif"))) {
    conditions_.pop_back();
  } else if (s.is(word_key("else"))) {
    c.active = c.parent_active && !c.taken;
    c.taken = true;
  } else {
    c.active = c.parent_active && !c.taken && condition_holds(s.operands);
    c.taken = c.taken || c.active;
  }
  return true;
}

}  // namespace zorvin::asm48::ext::engine
