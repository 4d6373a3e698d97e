// Names given a value (equ, set, =, reg, #define) and the settling of those
// that read names defined further on.
#include "asm/ext/pass_engine.h"

namespace zorvin::asm48::ext::engine {

// name equ/set/=/reg value, name macro parameters.
bool Pass::definition(const Statement& s) {
  if (!is_definition(s)) return false;
  const bool is_set = s.folded == "set"sv || s.folded == "="sv;
  if (!s.label) {
    report(kMissingName, s.word->text);
    return true;
  }
  if (s.folded == "define"sv && define_text(s)) return true;
  if (s.folded == "macro"sv) {
    define_macro(s);
    return true;
  }
  if (s.folded == "reg"sv) {
    std::string reg = s.operands.size() == 1 && s.operands[0].kind == TokenKind::Name
                          ? fold_case(s.operands[0].text) : std::string();
    if (const Symbol* alias = context_.symbols.register_alias(reg)) reg = alias->register_name;
    if (!is_register_word(reg))
      return report(kNotARegister, s.operand_text), true;
    if (!context_.symbols.define(s.label->text, SymbolKind::Register, 0, reg))
      report(kSymbolTwice, s.label->text);
    return true;
  }
  // "#define NAME" alone defines the name for #ifdef.
  if (s.folded == "define"sv && s.operands.empty()) {
    if (!context_.symbols.define(s.label->text, SymbolKind::Equ, 1)) report(kSymbolTwice, s.label->text);
    return true;
  }
  define_value(s, is_set);
  return true;
}

// name equ value, name set value. A value that names something defined
// further on is settled at the end of the pass, with its messages.
void Pass::define_value(const Statement& s, bool is_set) {
  SymbolTable& symbols = context_.symbols;
  std::size_t uses = symbols.early_use_count();
  const std::size_t set_reads = symbols.current_set_reads();
  statement_uses_ = uses;
  deferring_ = true;
  std::vector<std::pair<std::string, std::size_t>> read;
  reading_ = &read;
  const auto v = value(s.operands);
  reading_ = nullptr;
  deferring_ = false;
  // A set symbol read as it is now may change before the end: such a
  // value waits for the next pass, as it always did.
  const bool later_names = symbols.early_use_count() > uses && symbols.current_set_reads() == set_reads;
  // A local name (.loop, 1$) belongs to the last ordinary label, as where it is read.
  const std::string defined(qualified(s.label->text));
  const std::string key(FoldedName(defined).view());
  if (const auto earlier = formula_of_.find(key); is_set && earlier != formula_of_.end()) {
    // The name now has the later value; what read the earlier one, this
    // line included, keeps it.
    for (const auto& seen : symbols.take_early_uses(key, formulas_[earlier->second].uses_from, uses))
      bound_uses_.push_back({earlier->second, seen});
    formula_of_.erase(earlier);
  }
  if (!symbols.define(defined, is_set ? SymbolKind::Set : SymbolKind::Equ, v.value_or(0))) {
    report(kSymbolTwice, s.label->text);
  } else if (later_names) {
    Formula& formula = formulas_.emplace_back();
    formula.site = Fixup{{}, std::string(statement_line_), line_no(), where(), location_, set_, 0, SIZE_MAX, scope_};
    formula.operand_count = s.operands.size();
    formula.name = s.label->text;
    formula.symbol = defined;
    formula.read = std::move(read);
    formula_of_[key] = formulas_.size() - 1;
    symbols.forget_early_uses_from(uses);  // settled at the end instead
    formula.uses_from = symbols.early_use_count();
    symbols.mark_provisional(defined);
    deferred_.clear();  // the settling tells what is wrong with it
  }
  if (!deferred_.empty()) {
    const std::string waiting = std::move(deferred_);
    deferred_.clear();
    errors_in_statement_ = 0;
    report(waiting);
  }
}

// "FFh": a number where no name of that spelling is defined.
bool Pass::reads_as_hex(std::string_view name) {
  return name.size() > 1 && (name.back() == 'h' || name.back() == 'H') &&
         name.substr(0, name.size() - 1).find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
}

// True when the name is one of the definitions being settled.
bool Pass::formula_named(std::string_view name) {
  const std::string key(FoldedName(qualified(name)).view());
  for (const auto& [read, formula] : formulas_[settling_formula_].read)
    if (read == key) return true;
  return formula_of_.count(key) > 0;
}

// A definition waiting to be settled that the definition in hand reads.
void Pass::note_read(std::string_view name) {
  std::string key(FoldedName(name).view());
  if (const auto formula = formula_of_.find(key); formula != formula_of_.end())
    reading_->emplace_back(std::move(key), formula->second);
}

// During settle_definitions: a definition waiting to be settled through
// the order (the one read where it stands, else the last one of the
// name), any other name as the pass left it.
std::optional<std::int32_t> Pass::settled_value_of(std::string_view name) {
  const std::string key(FoldedName(name).view());
  for (const auto& [read, formula] : formulas_[settling_formula_].read)
    if (read == key) return settling_->value_of(formula);
  if (const auto formula = formula_of_.find(key); formula != formula_of_.end())
    return settling_->value_of(formula->second);
  return context_.symbols.value_in_pass(name);
}

// The definitions of the pass that named something defined after them,
// evaluated again with every name's value: each gets its value, or a
// message where it stands (a cycle, a name defined nowhere).
void Pass::settle_definitions() {
  if (formulas_.empty()) return;
  DefinitionOrder order(formulas_.size());
  settling_ = &order;
  order.settle([this](std::size_t index) {
    const Formula& formula = formulas_[index];
    settling_formula_ = index;
    nowhere_.clear();
    scope_ = formula.site.scope;
    location_ = formula.site.address;
    set_ = formula.site.set;
    tokenize_into(formula.site.owned, line_tokens_, 0, rules_);
    context_.budget.add_tokens(line_tokens_.tokens.size());
    const std::span<const Token> tokens(line_tokens_.tokens);
    const Evaluation e = evaluate(tokens.subspan(tokens.size() - std::min(tokens.size(), formula.operand_count)), *this);
    if (!e.error.empty()) return DefinitionOrder::Attempt{std::nullopt, e.error};
    // A name that nothing in the pass defines is undefined whatever the
    // definitions named with it turn out to be.
    if (!nowhere_.empty()) return DefinitionOrder::Attempt{std::nullopt, message(kUndefinedSymbol, nowhere_), true};
    if (!e.undefined.empty()) return DefinitionOrder::Attempt{std::nullopt, message(kUndefinedSymbol, e.undefined)};
    return DefinitionOrder::Attempt{e.value, {}};
  });
  settling_ = nullptr;
  const auto& settled = order.settled();
  for (std::size_t i = 0; i < formulas_.size(); ++i) {
    const Formula& formula = formulas_[i];
    const auto still_named = formula_of_.find(std::string(FoldedName(formula.symbol).view()));
    const bool named = still_named != formula_of_.end() && still_named->second == i;
    replaying_ = &formula.site;
    errors_in_statement_ = 0;
    switch (settled[i].state) {
      case SettledDefinition::State::Known:
        if (named) context_.symbols.settle(formula.symbol, settled[i].value);
        break;
      case SettledDefinition::State::Failed:
        report(settled[i].error);
        break;
      case SettledDefinition::State::Circular:
        report(kCircularDefinition,
               order.cycle_text(i, [this](std::size_t f) { return std::string_view(formulas_[f].name); }));
        ++result_.circular;
        break;
      default:
        break;  // made of a value that has its own message
    }
  }
  replaying_ = nullptr;
  for (const BoundUse& use : bound_uses_) {
    const SettledDefinition& read = settled[use.formula];
    if (read.state == SettledDefinition::State::Known && use.seen != read.value) bound_uses_changed_ = true;
  }
}

// #DEFINE NAME(a,b) text, #DEFINE NAME instruction, #DEFINE NAME register:
// text rather than a value. False for a value, which defines a name.
bool Pass::define_text(const Statement& s) {
  if (s.operands.empty()) return false;
  const Token& first = s.operands[0];
  const bool parameters = is_op(first, "(") && first.start == s.label->start + s.label->text.size();
  const FoldedName word(first.kind == TokenKind::Name ? first.text : std::string_view{});
  if (!parameters && s.operands.size() == 1 && is_register_word(word)) {
    if (!context_.symbols.define(s.label->text, SymbolKind::Register, 0, std::string(word.view())))
      report(kSymbolTwice, s.label->text);
    return true;
  }
  if (!parameters && !(first.kind == TokenKind::Name && context_.mnemonics.contains(Word(word)))) return false;
  Macro macro;
  std::size_t body_from = 0;
  if (parameters) {
    std::size_t i = 1;
    for (; i < s.operands.size() && !is_op(s.operands[i], ")"); ++i)
      if (s.operands[i].kind == TokenKind::Name) macro.parameters.push_back(fold_case(s.operands[i].text));
    if (i + 1 >= s.operands.size()) return report(kParameterError), true;
    body_from = i + 1;
    macro.parenthesised = true;
  }
  const std::size_t start = s.operands[body_from].start - s.operands[0].start;
  const std::string_view text = s.operand_text.substr(start);
  const std::string name = fold_case(s.label->text);
  if (macros_.count(name) > 0 || known_word(name) || defines_text(name))
    return report(kSymbolTwice, s.label->text), true;
  const Token& body_first = s.operands[body_from];
  if (parameters && !(body_first.kind == TokenKind::Name && known_word(FoldedName(body_first.text)))) {
    text_defines_.push_back({name, std::move(macro.parameters), std::string(text)});
    return true;
  }
  auto body = std::make_shared<LineBlock>();
  for (std::string_view statement : split_statements(text))
    body->owned.push_back("        " + std::string(statement));  // indented: no label
  for (const std::string& line : body->owned) body->lines.push_back(line);
  macro.body = std::move(body);
  macros_.emplace(name, std::move(macro));
  return true;
}

bool Pass::defines_text(std::string_view folded) const {
  return std::any_of(text_defines_.begin(), text_defines_.end(),
                     [folded](const TextDefine& d) { return d.name == folded; });
}

}  // namespace zorvin::asm48::ext::engine
