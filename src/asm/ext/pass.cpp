#include "asm/ext/pass.h"

#include "asm/ext/pass_engine.h"

namespace zorvin::asm48::ext {

namespace engine {

PassResult Pass::run() {
  // Room for them at once: grown step by step, a large table is copied
  // and its fresh memory faulted in again on every run. Before the first
  // pass has counted them, room for a statement per 8 bytes of text,
  // which few sources exceed; memory never written costs nothing. A
  // huge text starts with a bounded room and grows as before.
  constexpr std::size_t kMaxFirstRoom = std::size_t{1} << 18;
  result_.table.records.reserve(context_.records_seen > 0
                                    ? context_.records_seen
                                    : std::min(context_.source->text.size() / 8 + 1, kMaxFirstRoom));
  frames_.push_back(Frame(FrameKind::File, context_.source));
  while (!stopped_ && !frames_.empty()) {
    Frame& frame = frames_.back();
    if (frame.at_end()) {
      end_of_frame();
      continue;
    }
    const std::string_view line = read_line();
    if (!within_budget()) break;
    // Blank and comment lines do nothing; only the listing shows them.
    const std::size_t first = skip_blanks(line, 0);
    if (is_blank_or_comment(line, first)) {
      if (context_.keep_listing) process(line, first);
      continue;
    }
    // Only where statements are left is anything cut off.
    if (result_.diagnostics.count() >= kMaxErrors) {
      result_.cut_short = result_.error_limit = true;
      break;
    }
    context_.budget.add_statement();
    if (!within_budget()) break;
    process(line, first);
  }
  // After a bound the open ifs say nothing about the source.
  if (!context_.budget.exceeded() && !result_.error_limit)
    for (const Condition& open : conditions_)
      result_.diagnostics.report(open.line_no, kEndifMissing, Severity::Error, open.where);
  // Cut short, the pass has no end for its definitions to be settled at.
  if (!result_.cut_short) settle_definitions();
  context_.symbols.end_provisional();
  result_.consistent = context_.symbols.pass_was_consistent() && !bound_uses_changed_;
  if (result_.consistent) replay_fixups();
  // A statement encoded again that now needs another length (a sel put in
  // front of a jump) moves what follows: the next pass places it anew.
  if (length_changed_) result_.consistent = false;
  settle_expectations();
  context_.records_seen = result_.table.records.size();
  return std::move(result_);
}

std::optional<std::int32_t> Pass::value_of(std::string_view name) {
  if (!rules_.location_word.empty() && word_equals(name, rules_.location_word)) return location_;
  if (settling_) {
    const auto value = settled_value_of(qualified(name));
    if (!value && nowhere_.empty() && !context_.symbols.value_in_pass(qualified(name)) && !formula_named(name) &&
        !reads_as_hex(name))
      nowhere_ = name;
    return value;
  }
  const std::string_view key = qualified(name);
  if (reading_) note_read(key);
  return context_.symbols.value_of(key);
}

// Next line of the innermost frame, with a macro's arguments and local
// labels put in. The view lasts until the next read.
std::string_view Pass::read_line() {
  lines_back_ = 0;
  Frame& frame = frames_.back();
  const std::string_view line = frame.take();
  if ((frame.kind == FrameKind::Macro || frame.kind == FrameKind::Irp) &&
      substitute_names(line, frame.replacements, buffer_, kMaxExpandedLineBytes)) {
    context_.budget.add_expanded_line(buffer_.size());
    return buffer_;
  }
  context_.budget.add_text(line.size() + 1);
  return line;
}

// False once the run passed a bound on its work: the pass ends there,
// with the bound and the line in the message.
bool Pass::within_budget() {
  if (!context_.budget.exceeded()) return true;
  if (!stopped_) {
    errors_in_statement_ = 0;
    report(context_.budget.reason());
    result_.cut_short = stopped_ = true;
  }
  return false;
}

// Source line that messages and records name: the line itself in the
// source, else the source line that opened the outermost expansion.
std::int32_t Pass::line_no() const {
  if (replaying_) return replaying_->line_no;
  return frames_.size() > 1 ? frames_[1].origin_line : static_cast<std::int32_t>(frames_[0].next - lines_back_);
}

// The frame of the innermost included file being read, or none while the
// source itself is read.
const Frame* Pass::innermost_include() const {
  for (auto frame = frames_.rbegin(); frame != frames_.rend(); ++frame) {
    if (frame->kind == FrameKind::File && frame->block != context_.source) return &*frame;
  }
  return nullptr;
}

// The included file and line a statement stands in, or none.
FileLine Pass::where() const {
  if (replaying_) return replaying_->where;
  const Frame* file = innermost_include();
  if (!file) return {};
  const std::size_t back = file == &frames_.back() ? lines_back_ : 0;
  return {file->block->file_name, static_cast<std::int32_t>(file->next - back)};
}

// Messages from an included file also say where in it. The detail (a
// name, a value) follows the text; the two are joined in kept storage.
void Pass::report(std::string_view text, std::string_view detail) {
  ++errors_in_statement_;
  if (errors_in_statement_ > 1) return;  // one message per statement
  // A statement that named something defined further on may be encoded
  // again at the end; its message waits until that is decided.
  if (deferring_ && context_.symbols.early_use_count() > statement_uses_) {
    deferred_.assign(text);
    deferred_ += detail;
    return;
  }
  if (!detail.empty()) {
    joined_.assign(text);
    joined_ += detail;
    text = joined_;
  }
  // A text without the arrow names no place in the file.
  result_.diagnostics.report(line_no(), text, result_.diagnostics.severity,
                             text.starts_with(" -> ") ? where() : FileLine{});
}

void Pass::end_of_frame() {
  Frame& frame = frames_.back();
  if (frame.kind == FrameKind::While || frame.kind == FrameKind::Rept || frame.kind == FrameKind::Irp) {
    bool again = false;
    if (frame.kind == FrameKind::Irp) {
      again = ++frame.item < frame.items.size();
      if (again) frame.replacements.front().second = frame.items[frame.item];
    } else if (frame.kind == FrameKind::Rept) {
      again = --frame.remaining > 0;
    } else {
      context_.budget.add_text(frame.condition.size() + 1);
      const TokenLine tokens = tokenize(frame.condition, rules_);
      context_.budget.add_tokens(tokens.tokens.size());
      again = condition_holds(tokens.tokens);
    }
    if (again) context_.budget.add_iteration();
    if (!within_budget()) return;
    if (again && ++frame.iterations >= kMaxIterations) {
      report(kTooManyIterations);
      result_.cut_short = stopped_ = true;  // what follows would only repeat it
      again = false;
    }
    if (again) {
      frame.next = 0;
      return;
    }
  }
  pop_frame();
}

void Pass::pop_frame() {
  const std::size_t depth = frames_.back().conditions;
  while (conditions_.size() > depth) {
    result_.diagnostics.report(conditions_.back().line_no, kEndifMissing, Severity::Error,
                               conditions_.back().where);
    conditions_.pop_back();
  }
  frames_.pop_back();
}

bool Pass::push_frame(Frame frame) {
  if (frames_.size() >= kMaxFrames) {
    report(kNestingTooDeep);
    result_.cut_short = stopped_ = true;
    return false;
  }
  frame.conditions = conditions_.size();
  frames_.push_back(std::move(frame));
  return true;
}

// Evaluates and reports; an undefined name is reported and counts as 0.
std::optional<std::int32_t> Pass::value(std::span<const Token> tokens) {
  const Evaluation e = evaluate(tokens, *this);
  if (!e.error.empty()) {
    report(e.error);
    return std::nullopt;
  }
  if (!e.undefined.empty()) report(kUndefinedSymbol, e.undefined);
  return e.value;
}

bool Pass::condition_holds(std::span<const Token> tokens) {
  const auto v = value(tokens);
  return v && *v != 0;
}

bool Pass::in_range(std::int32_t v, std::int32_t low, std::int32_t high) {
  if (v >= low && v <= high) return true;
  report(range_message(v, low, high));
  return false;
}

ListingLine* Pass::listed() {
  return listing_index_ < result_.listing.size() ? &result_.listing[listing_index_] : nullptr;
}

bool Pass::known_word(std::string_view folded) const {
  return is_directive(folded) || engine_word(rules_, folded) != folded || context_.mnemonics.contains(Word(folded)) ||
         macros_.count(folded) > 0;
}

// A label local to the last ordinary label (1$, .loop) with that label
// put in front; any other name as it is. The view lasts until the next call.
std::string_view Pass::qualified(std::string_view name) {
  const bool local = (rules_.local_dollar && name.size() > 1 && name.back() == '$' &&
                      name.find_first_not_of("0123456789") == name.size() - 1) ||
                     (rules_.local_dot && name.size() > 1 && name.front() == '.');
  if (!local) {
    // GLOBAL:local (SB) names a local label of another ordinary label.
    const std::size_t colon = rules_.local_dot ? name.find(':') : std::string_view::npos;
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == name.size()) return name;
    qualified_.assign(name.substr(0, colon));
    qualified_ += '.';
    qualified_.append(name.substr(colon + 1));
    return qualified_;
  }
  qualified_ = scope_;
  qualified_ += name;
  return qualified_;
}

// `first` is where the blanks at the start of the line end.
void Pass::process(std::string_view text, std::size_t first) {
  errors_in_statement_ = 0;
  listing_index_ = SIZE_MAX;
  std::string_view written = text;  // as the listing shows it
  continuation_.clear();
  if (rules_.hash_words) {
    text = continued_define(text, first);
    if (!continuation_.empty()) written = continuation_.front();
    if (!text_defines_.empty() && put_in_defines(text)) text = expanded_;
  }
  tokenize_into(text, line_tokens_, first, rules_);
  context_.budget.add_tokens(line_tokens_.tokens.size());
  if (!within_budget()) return;
  const TokenLine& line = line_tokens_;
  const Statement s = parse(line, text);
  const bool active = assembling();
  if (context_.keep_listing) {
    listing_index_ = result_.listing.size();
    ListingLine& shown = result_.listing.emplace_back();
    shown.unlisted = listing_off_;
    shown.line_no = line_no();
    shown.text = std::string(written);
    shown.expansion = frames_.size() > 1;
    // Lines that place something show where: labels, code, org, ds.
    if (active && s.label && !(s.word && is_definition(s))) shown.address = location_;
    list_continuation();
  }
  // Messages about a continued #DEFINE name its first line, unless they
  // can be placed in one of its lines.
  if (!continuation_.empty()) lines_back_ = continuation_.size() - 1;
  if (s.word && conditional(s)) return;
  if (!active) return;
  if (line.has_bad) {
    // The label stands all the same: no "not defined" for each use of it.
    if (s.label && !(s.word && is_definition(s))) context_.symbols.define(qualified(s.label->text), SymbolKind::Label, location_);
    for (const Token& t : line.tokens)
      if (t.kind == TokenKind::Bad) return report(kBadExpression, in_own_line(text, t.start, t.text));
  }
  statement_line_ = text;
  if (s.word && definition(s)) return;
  if (s.label) {
    const std::string_view name = qualified(s.label->text);
    if (name.data() == s.label->text.data()) scope_ = s.label->text;  // an ordinary label opens a scope
    if (!context_.symbols.define(name, SymbolKind::Label, location_)) report(kSymbolTwice, s.label->text);
  }
  if (!s.word) return;
  SymbolTable& symbols = context_.symbols;
  const std::size_t uses = symbols.early_use_count();
  const std::size_t set_reads = symbols.set_reads();
  const std::size_t errors = result_.diagnostics.items.size();
  const std::size_t warnings = result_.warnings.items.size();
  const std::size_t records = result_.table.records.size();
  const std::int32_t address = location_;
  const bool from_file = frames_.back().kind == FrameKind::File;
  // Asked before the statement runs: a loop's statement reads its body,
  // and the text `s` points into is then another line.
  const bool data_line = directive_of(s.folded) == Directive::Data;
  statement_uses_ = uses;
  deferring_ = true;
  statement(s);
  deferring_ = false;
  // An instruction or data line that named something defined further on
  // (and no set symbol, which may still change) is encoded again at the
  // end; its messages until then mean nothing.
  // A line whose length rests on a value (3 DUP (0)) is not: the pass
  // that follows places it anew.
  const bool fixable = was_instruction_ || (data_line && !data_.counted);
  if (fixable && symbols.early_use_count() > uses && symbols.set_reads() == set_reads &&
      result_.table.records.size() == records + 1) {
    symbols.forget_early_uses_from(uses);
    result_.diagnostics.items.resize(errors);
    result_.warnings.items.resize(warnings);
    Fixup& fixup =
        fixups_.emplace_back(Fixup{{}, {}, line_no(), where(), address, set_, records, listing_index_, scope_,
                                   relaxed_, assumed_bank_});
    // A line of a file stays in memory for the run; one with macro
    // arguments put in is kept as a copy.
    if (from_file && text.data() == written.data()) fixup.text = text;
    else fixup.owned = text;
    deferred_.clear();
  }
  if (!deferred_.empty()) {
    const std::string waiting = std::move(deferred_);
    deferred_.clear();
    errors_in_statement_ = 0;
    report(waiting);
  }
}

void Pass::replay_fixups() {
  for (const Fixup& fixup : fixups_) {
    replaying_ = &fixup;
    errors_in_statement_ = 0;
    location_ = fixup.address;
    set_ = fixup.set;
    listing_index_ = fixup.listing;
    if (ListingLine* shown = listed()) shown->bytes.clear();
    scope_ = fixup.scope;
    set_relaxed(fixup.relaxed);
    assumed_bank_ = fixup.assumed_bank;
    tokenize_into(fixup.line(), line_tokens_, 0, rules_);
    statement(parse(line_tokens_, fixup.line()));
  }
  replaying_ = nullptr;
}

void Pass::emit(const std::uint8_t* bytes, std::size_t count, bool is_data) {
  if (count == 0) return;
  if (location_ < 0 || location_ + static_cast<std::int64_t>(count) > memory_size()) {
    report(kBeyondProgramMemory);
    return;
  }
  // Within its 2 KiB bank the program counter runs from 7FFH on to 000H:
  // the chip fetches the rest of such an instruction from the bank's
  // start. Placed all the same, so that the later addresses stay right.
  constexpr std::int32_t kBank = 0x800;
  if (!is_data && location_ / kBank != (location_ + static_cast<std::int32_t>(count) - 1) / kBank)
    report(kAcrossBankEnd);
  if (replaying_) {
    // Same statement, same length: only the bytes change. Another length
    // moves what follows, which only another pass can place.
    const auto code = result_.table.code_of(result_.table.records[replaying_->record]);
    if (count != code.size()) {
      length_changed_ = true;
      return;
    }
    std::copy(bytes, bytes + count, code.begin());
  } else {
    append_code(result_.table, line_no(), location_, bytes, count, is_data);
  }
  if (ListingLine* shown = listed()) {
    if (!shown->address) shown->address = location_;
    shown->bytes.insert(shown->bytes.end(), bytes, bytes + count);
  }
  location_ += static_cast<std::int32_t>(count);
}

void Pass::warn(std::string text, Severity severity) {
  result_.warnings.report(line_no(), text, severity, text.starts_with(" -> ") ? where() : FileLine{});
}

void Pass::statement(const Statement& s) {
  // Instructions first: most statements are.
  const Word word(s.folded, s.key);
  was_instruction_ = !s.macro_call && s.word->kind == TokenKind::Name && context_.mnemonics.contains(word);
  if (was_instruction_) return instruction(s, word);
  if (s.macro_call) return other_word(s);
  (this->*kDirectiveHandlers[static_cast<std::size_t>(directive_of(s.folded))])(s);
}

void Pass::instruction(const Statement& s, const Word& mnemonic) {
  InstructionBytes encoded = assemble_instruction(mnemonic, s.operands, set_, context_.symbols, *this,
                                                  context_.encoder, location_);
  // Where fields end at blanks or text after the operands is a comment, an
  // instruction that takes no operand reads the word after it as the start
  // of its comment ("NOP  wait", "RET   83 .").
  if (!encoded.error.empty() && (rules_.comment_after_operands || rules_.comment_after_value) && !s.operands.empty()) {
    const InstructionBytes bare =
        assemble_instruction(mnemonic, {}, set_, context_.symbols, *this, context_.encoder, location_);
    if (bare.error.empty()) encoded = bare;
  }
  if (!encoded.error.empty()) return report(encoded.error);
  // Emitted all the same: the length keeps the later addresses right.
  if (!encoded.undefined.empty()) report(kUndefinedSymbol, encoded.undefined);
  else if (encoded.long_target >= 0 && !select_bank(encoded.long_target, location_)) return;
  else if (!encoded.warning.empty()) warn(encoded.warning);
  emit(encoded.bytes, static_cast<std::size_t>(encoded.length), false);
}

void Pass::warn_other_bank(std::int32_t target) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%04XH", static_cast<unsigned>(target) & 0xFFFFu);
  result_.warnings.report(line_no(), message(kOtherBank, hex), result_.warnings.severity, where());
}

const std::array<Pass::DirectiveHandler, kDirectiveKinds> Pass::kDirectiveHandlers = {
    &Pass::other_word,    // None
    &Pass::other_word,    // Definition: handled before the statement is placed
    &Pass::other_word,    // Condition: the same
    &Pass::org,           &Pass::data,          &Pass::reserve,      &Pass::loop,
    &Pass::exit_macro,    &Pass::stray_endm,    &Pass::include,      &Pass::end,
    &Pass::cpu,           &Pass::ignore,        &Pass::asciz,        &Pass::fill_to,      &Pass::fill,
    &Pass::user_error,    &Pass::user_note,     &Pass::ignore,       // Layout
    &Pass::number_forms,  &Pass::assume_bank,   &Pass::expect,       &Pass::end_expect,
    &Pass::target_file,   &Pass::list_switch,
};

}  // namespace engine

std::optional<Part> part_of(std::string_view cpu) {
  std::string folded = fold_case(cpu);
  while (!folded.empty() && (folded.back() == ' ' || folded.back() == '\t')) folded.pop_back();
  return part_named(folded);
}

std::optional<InstructionSet> instruction_set_of(std::string_view cpu) {
  const auto part = part_of(cpu);
  if (!part) return std::nullopt;
  return part->set;
}

PassResult run_pass(RunContext& context, int pass) { return engine::Pass(context, pass).run(); }

}  // namespace zorvin::asm48::ext
