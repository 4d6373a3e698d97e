// Reading a line into a statement: its label, word and operands in each
// convention, and #DEFINE lines continued with "\\" or put into others.
#include "asm/ext/pass_engine.h"

namespace zorvin::asm48::ext::engine {

bool Pass::defines_name(const Token& t) const {
  if (t.kind == TokenKind::Operator) return t.text == "=";
  return t.kind == TokenKind::Name && is_definition_word(engine_word(rules_, FoldedName(t.text)));
}

// ". = expr" (ASxxxx) and "*= expr" (TASM) set the location counter.
bool Pass::sets_location(const Token& t) const {
  return (rules_.dot_location && t.text == "."sv) || (rules_.star_location && is_op(t, "*"));
}

void Pass::as_location_statement(const TokenLine& line, std::string_view text, Statement& s) const {
  s.word = &line.tokens[1];
  s.folded.assign_lower("org");
  s.key = text_key(s.folded);
  s.operands = std::span<const Token>(line.tokens).subspan(2);
  if (!s.operands.empty())
    s.operand_text = text.substr(s.operands.front().start,
                                 s.operands.back().start + s.operands.back().text.size() - s.operands.front().start);
}

// Intel's word operators, the unary ones (HIGH LOW NOT) first.
constexpr std::string_view kWordOperators[] = {"high", "low", "not", "mod", "shl", "shr", "and", "or",
                                               "xor",  "eq",  "ne",  "lt",  "le",  "gt",  "ge"};
constexpr std::size_t kUnaryWordOperators = 3;

// The word operator a token is, as its place in kWordOperators, or none.
static std::size_t word_operator(const Token& t) {
  constexpr std::size_t kNone = std::size(kWordOperators);
  if (t.kind != TokenKind::Name || t.text.size() > 4) return kNone;
  for (std::size_t i = 0; i < kNone; ++i)
    if (word_equals(t.text, kWordOperators[i])) return i;
  return kNone;
}

// Where the operand field ends when a value followed by blanks and another
// value (no operator between) starts a comment: the count of its tokens.
static std::size_t operand_field_end(std::span<const Token> operands) {
  constexpr std::size_t kNone = std::size(kWordOperators);
  const auto ends_value = [](const Token& t) {
    return (t.kind != TokenKind::Operator || t.text == ")") && word_operator(t) == kNone;
  };
  // A binary word operator goes on with the expression; HIGH, LOW and NOT
  // start a value.
  const auto starts_value = [](const Token& t) {
    const std::size_t op = word_operator(t);
    return (t.kind != TokenKind::Operator || t.text == "(") && (op == kNone || op < kUnaryWordOperators);
  };
  for (std::size_t i = 1; i < operands.size(); ++i) {
    const Token& before = operands[i - 1];
    if (operands[i].start > before.start + before.text.size() && ends_value(before) && starts_value(operands[i]))
      return i;
  }
  return operands.size();
}

Statement Pass::parse(const TokenLine& line, std::string_view text) {
  Statement s;
  const auto& t = line.tokens;
  std::size_t i = 0;
  if (t.size() >= 2 && is_op(t[1], "=") && sets_location(t[0])) {
    as_location_statement(line, text, s);
    return s;  // the one object returned: no copy of it
  }
  if (t.size() >= 2 && t[0].kind == TokenKind::Name && is_op(t[1], ":")) {
    s.label = &t[0];
    i = 2;
  } else if (t.size() >= 2 && t[0].kind == TokenKind::Name && defines_name(t[1])) {
    s.label = &t[0];
    i = 1;
  } else if (!t.empty() && t[0].kind == TokenKind::Name && t[0].start == 0 && t[0].text.front() != '#' &&
             !known_word(FoldedName(t[0].text))) {
    s.label = &t[0];  // a name in column 1 is a label, colon or not
    i = 1;
  }
  // >NAME args: a macro call in SB-Assembler's convention.
  if (rules_.numbered_macros && i + 1 < t.size() && is_op(t[i], ">") && t[i + 1].kind == TokenKind::Name) {
    ++i;
    s.macro_call = true;
  }
  if (i < t.size()) {
    s.word = &t[i];
    // Only a name can be a keyword; other tokens are compared unchanged.
    s.folded.assign(s.word->text, s.word->kind == TokenKind::Name && s.word->lower);
    if (!rules_.directives.empty() || rules_.dollar_controls) {
      std::string_view mapped = engine_word(rules_, s.folded);
      const std::string_view word = s.folded.view();
      if (mapped.data() == word.data() && rules_.two_letter_directives && word.size() > 3 && word.front() == '.') {
        const std::string_view head = word.substr(0, 3);  // .MACRO is .MA; a label in column 1 stays one
        if (const std::string_view head_mapped = engine_word(rules_, head); head_mapped.data() != head.data())
          mapped = head_mapped;
      }
      if (mapped.data() != word.data()) s.folded.assign_lower(mapped);
    }
    s.key = text_key(s.folded);
    s.operands = std::span<const Token>(t).subspan(i + 1);
    // ".equ name, value", ".set name value" (asm48) and "#define NAME value":
    // the name comes first.
    const bool named_after =
        s.is(word_key("define")) || (s.is(word_key("macro")) && rules_.numbered_macros) ||
        ((s.is(word_key("equ")) || s.is(word_key("set"))) && !s.label && s.operands.size() >= 2 &&
         (is_op(s.operands[1], ",") || s.word->text.front() == '.'));
    if (named_after && !s.label && !s.operands.empty() && s.operands[0].kind == TokenKind::Name) {
      s.label = &s.operands[0];
      const std::size_t skip = s.operands.size() >= 2 && is_op(s.operands[1], ",") ? 2 : 1;
      s.operands = s.operands.subspan(skip);
    }
    if (rules_.comment_after_value) s.operands = s.operands.first(operand_field_end(s.operands));
    // From the first operand token to the end of the last one.
    s.operand_text = s.operands.empty()
                         ? std::string_view{}
                         : text.substr(s.operands.front().start,
                                       s.operands.back().start + s.operands.back().text.size() -
                                           s.operands.front().start);
  }
  return s;
}

// A #DEFINE whose line ends in "\\" goes on in the next line; the "\\"
// then separates two statements of its body. The view lasts until the
// next line is read.
std::string_view Pass::continued_define(std::string_view text, std::size_t first) {
  const auto continues = [](std::string_view line) {
    const std::string_view code = trim_blanks(line.substr(0, code_end_of(line)));
    return !code.empty() && code.back() == '\\';
  };
  if (first >= text.size() || text[first] != '#' || !word_equals(text.substr(first, 7), "#define") ||
      !continues(text))
    return text;
  // Reading on may overwrite the view of a macro's line: the lines are kept.
  continuation_.assign(1, std::string(text));
  continued_.assign(text.substr(0, code_end_of(text)));
  continued_starts_.assign(1, 0);
  while (!frames_.back().at_end() && continued_.size() <= kMaxExpandedLineBytes) {
    const std::string_view next = read_line();
    continuation_.emplace_back(next);
    continued_ += ' ';
    continued_starts_.push_back(continued_.size());
    continued_.append(next.substr(0, code_end_of(next)));
    if (!continues(next)) break;
  }
  return continued_;
}

// A piece of a continued #DEFINE cut at the end of the line it starts
// in, which the statement's messages then name.
std::string_view Pass::in_own_line(std::string_view text, std::size_t offset, std::string_view piece) {
  if (continuation_.empty() || text.data() != continued_.data()) return piece;
  const auto next = std::upper_bound(continued_starts_.begin(), continued_starts_.end(), offset);
  lines_back_ = static_cast<std::size_t>(continued_starts_.end() - next);
  if (next == continued_starts_.end()) return piece;
  return trim_blanks(piece.substr(0, std::min(piece.size(), *next - 1 - offset)));
}

// The lines of a continued #DEFINE after the listing line of its first:
// each under its own number where the source itself is read.
void Pass::list_continuation() {
  if (continuation_.size() < 2) return;
  const bool own_lines = frames_.size() == 1;
  const std::int32_t last = line_no();
  const auto first = static_cast<std::int32_t>(last - static_cast<std::int32_t>(continuation_.size()) + 1);
  if (own_lines) result_.listing[listing_index_].line_no = first;
  for (std::size_t k = 1; k < continuation_.size(); ++k) {
    ListingLine& shown = result_.listing.emplace_back();
    shown.line_no = own_lines ? first + static_cast<std::int32_t>(k) : last;
    shown.text = continuation_[k];
    shown.expansion = !own_lines;
  }
}

// NAME(arguments) of a #DEFINE whose text is part of an expression,
// replaced in the line; the text may use such names itself, up to a depth.
bool Pass::put_in_defines(std::string_view text) {
  bool replaced = false;
  for (int depth = 0; depth < 8; ++depth) {
    if (!put_in_text_defines(text, text_defines_, scratch_, kMaxExpandedLineBytes)) break;
    replaced = true;
    expanded_.swap(scratch_);
    text = expanded_;
    if (!context_.budget.add_expanded_line(expanded_.size())) break;
  }
  return replaced;
}

}  // namespace zorvin::asm48::ext::engine
