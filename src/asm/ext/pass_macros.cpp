// Macros and loops: their bodies recorded up to endm, expanded in frames.
#include "asm/ext/pass_engine.h"

namespace zorvin::asm48::ext::engine {

// Lines up to the endm that closes the block; none when the enclosing
// frame ends first.
std::shared_ptr<LineBlock> Pass::record_block() {
  auto block = std::make_shared<LineBlock>();
  const std::int32_t opened_at = line_no();
  const FileLine opened_in = where();
  int depth = 1;
  Frame& frame = frames_.back();
  while (!frame.at_end()) {
    const std::string_view text = read_line();
    context_.budget.add_text(kRecordedLineCost);
    if (!within_budget()) return nullptr;
    if (context_.keep_listing) {
      ListingLine& shown = result_.listing.emplace_back();
      shown.line_no = line_no();
      shown.text = std::string(text);
      shown.expansion = frames_.size() > 1;
    }
    const TokenLine line = tokenize(text, rules_);
    context_.budget.add_tokens(line.tokens.size());
    if (!within_budget()) return nullptr;
    const Statement s = parse(line, text);
    if (s.word && opens_block(s)) ++depth;
    if (s.word && s.folded == "endm"sv && --depth == 0) {
      for (const std::string& owned : block->owned) block->lines.push_back(owned);
      return block;
    }
    block->owned.emplace_back(text);
  }
  result_.diagnostics.report(opened_at, kEndmMissing, Severity::Error, opened_in);
  return nullptr;
}

void Pass::define_macro(const Statement& s) {
  const std::string name = fold_case(s.label->text);
  Macro macro;
  // With ]1..]9 for its arguments, a macro names no parameters: text after
  // .MA is a comment.
  if (rules_.numbered_macros)
    for (char n = '1'; n <= '9'; ++n) macro.parameters.push_back(std::string{']', n});
  else
    for (std::string_view parameter : split_arguments(s.operand_text)) macro.parameters.push_back(fold_case(parameter));
  const std::string shown_name(s.label->text);
  // Called as >NAME, a macro may spell a mnemonic (SWAP, SUB) without
  // standing for it.
  const bool twice = macros_.count(name) > 0 || (!rules_.numbered_macros && known_word(name));
  auto body = record_block();
  if (!body) return;
  if (twice) return report(kSymbolTwice, shown_name);
  macro.labels = body_labels(body->owned);
  macro.body = std::move(body);
  macros_.emplace(name, std::move(macro));
}

void Pass::expand_macro(const Macro& macro, const Statement& s) {
  std::string_view argument_text = s.operand_text;
  if (macro.parenthesised && argument_text.size() >= 2 && argument_text.front() == '(' && argument_text.back() == ')')
    argument_text = argument_text.substr(1, argument_text.size() - 2);
  const auto arguments = split_arguments(argument_text);
  if (arguments.size() > macro.parameters.size()) return report(kParameterError);
  // Each expansion keeps its arguments: a macro that passes them on
  // doubled would otherwise fill the memory before nesting ends it.
  for (std::string_view argument : arguments) context_.budget.add_text(argument.size());
  if (!within_budget()) return;
  Frame frame(FrameKind::Macro, macro.body);
  frame.origin_line = line_no();
  for (std::size_t i = 0; i < macro.parameters.size(); ++i)
    frame.replacements.emplace_back(macro.parameters[i], i < arguments.size() ? std::string(arguments[i]) : "");
  // Appended, not "?" + number: GCC 12 at -O3 sees a false overlap in that.
  std::string suffix = "?";
  suffix += std::to_string(++expansions_);
  for (const std::string& label : macro.labels) frame.replacements.emplace_back(label, label + suffix);
  push_frame(std::move(frame));
}

// while condition, rept count, irp name,item,item...: the body up to endm
// as often as they say; irp puts each item in for the name in turn.
void Pass::loop(const Statement& s) {
  const FrameKind kind =
      s.folded == "while"sv ? FrameKind::While : (s.folded == "irp"sv ? FrameKind::Irp : FrameKind::Rept);
  Frame frame(kind, nullptr);
  frame.origin_line = line_no();
  frame.condition = std::string(s.operand_text);
  bool enter = false;
  if (frame.kind == FrameKind::Irp) {
    const auto arguments = split_arguments(s.operand_text);
    if (arguments.empty() || arguments.front().empty()) report(kParameterError);
    for (std::size_t i = 1; i < arguments.size(); ++i) frame.items.emplace_back(arguments[i]);
    for (const std::string& item : frame.items) context_.budget.add_text(item.size());
    enter = !frame.items.empty() && !arguments.front().empty();
    if (enter) frame.replacements.emplace_back(fold_case(arguments.front()), frame.items.front());
  } else if (frame.kind == FrameKind::Rept) {
    const auto count = value(s.operands);
    frame.remaining = count.value_or(0);
    enter = frame.remaining > 0;
  } else {
    enter = condition_holds(s.operands);
  }
  auto body = record_block();
  if (!body || !enter) return;
  frame.block = std::move(body);
  push_frame(std::move(frame));
}

void Pass::exit_macro(const Statement&) {
  for (std::size_t i = frames_.size(); i-- > 1;) {
    if (frames_[i].kind != FrameKind::Macro) continue;
    // exitm stands inside an if as a rule: leaving the macro closes it.
    conditions_.resize(frames_[i].conditions);
    frames_.erase(frames_.begin() + static_cast<std::ptrdiff_t>(i), frames_.end());
    return;
  }
  report(kStray, "exitm");
}

// A macro call, else no statement at all.
void Pass::other_word(const Statement& s) {
  if (const auto macro = macros_.find(s.folded.view()); macro != macros_.end()) return expand_macro(macro->second, s);
  // Where fields end at blanks, the word after a label is the instruction
  // field all the same: a comment there needs its ";" (LOOP  ; wait).
  const std::string_view word = s.word->text;
  if (s.word->kind == TokenKind::Name && word.size() > 1 && (word.front() == '.' || word.front() == '#'))
    return report(kUnknownDirective, word);
  if (rules_.comment_after_operands && s.word->kind == TokenKind::Name)
    return report(message(kNotAnInstruction, s.word->text) + std::string(kCommentNeedsSemicolon));
  report(kSyntaxError);
}

}  // namespace zorvin::asm48::ext::engine
