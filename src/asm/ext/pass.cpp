#include "asm/ext/pass.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <unordered_map>

#include "text/editor_lines.h"
#include "asm/ext/data_directive.h"
#include "asm/definition_order.h"
#include "asm/ext/directive_table.h"
#include "asm/ext/folded_name.h"
#include "asm/ext/lexer.h"
#include "asm/ext/macro_text.h"
#include "asm/diagnostics.h"
#include "asm/ext/messages.h"
#include "asm/ext/plain_core.h"
#include "files/source_file.h"
#include "text/unicode_text.h"

namespace zorvin::asm48::ext {

namespace {

using namespace std::string_view_literals;

// Bounds that keep a run finite whatever the source says.
constexpr std::size_t kMaxFrames = 64;
constexpr int kMaxIncludeDepth = 16;
constexpr std::size_t kMaxConditions = 256;
constexpr int kMaxIterations = 65536;  // of one loop; all loops together have their own bound
// What keeping a line of a loop or macro body costs besides its bytes.
constexpr std::size_t kRecordedLineCost = sizeof(std::string) + sizeof(std::string_view);

struct Macro {
  std::vector<std::string> parameters;  // folded
  std::vector<std::string> labels;      // folded, local to each expansion
  std::shared_ptr<const LineBlock> body;
  bool parenthesised = false;           // #DEFINE NAME(a,b): called as NAME(1,2)
};

enum class FrameKind { File, Macro, While, Rept };

struct Frame {
  FrameKind kind = FrameKind::File;
  std::shared_ptr<const LineBlock> block;
  std::size_t next = 0;                 // index of the next line to read
  std::int32_t origin_line = 0;         // source line of the statement that opened it
  std::size_t conditions = 0;           // depth of the if stack when it opened
  std::vector<std::pair<std::string, std::string>> replacements;  // macro: name -> text
  std::string condition;                // while
  long remaining = 0;                   // rept
  int iterations = 0;

  EditorLineReader reader;              // whole text: its lines

  // A source or an included file is split as it is read: no list of its
  // lines is built first. A loop's frame gets its recorded body later.
  Frame(FrameKind frame_kind, std::shared_ptr<const LineBlock> lines)
      : kind(frame_kind), block(std::move(lines)), reader(block && block->whole_text ? block->text : std::string_view{}) {}

  bool at_end() const { return block->whole_text ? reader.at_end() : next >= block->lines.size(); }
  std::string_view take() {
    ++next;
    if (!block->whole_text) return block->lines[next - 1];
    std::string_view line;
    reader.next(line);
    return line;
  }
};

// A statement that used names defined further on: encoded again once the
// pass has ended and every name has its value, which saves a whole pass.
struct Fixup {
  std::string_view text;       // the line as assembled, when a file holds it
  std::string owned;           // or else the line itself (arguments put in)
  std::int32_t line_no = 0;
  FileLine where;              // included file and line, or none
  std::int32_t address = 0;
  InstructionSet set = InstructionSet::Mcs48;
  std::size_t record = 0;      // its record in the table
  std::size_t listing = 0;     // its listing line, or SIZE_MAX
  std::string scope;           // the ordinary label its local labels belong to

  std::string_view line() const { return owned.empty() ? text : std::string_view(owned); }
};

// A definition whose value rests on names defined further on, or on other
// such definitions: evaluated again once the pass has ended, in the order
// the definitions depend on each other.
struct Formula {
  Fixup site;                  // the line (owned), its place, "$" there and the scope of its local names
  std::size_t operand_count = 0;  // the expression: the line's last tokens
  std::string name;            // as written
  std::string symbol;          // the name it defines, a local one with its scope
  // The definitions waiting to be settled that it read, by folded name: a
  // set symbol may be defined again before the end.
  std::vector<std::pair<std::string, std::size_t>> read;
  std::size_t uses_from = 0;   // early uses after its definition: those of its name read it
};

// A read of a set symbol's definition that was defined again before it was
// settled: consistent when the definition settles to the value seen.
struct BoundUse {
  std::size_t formula = 0;
  std::optional<std::int32_t> seen;
};

struct Condition {
  bool active = false;         // this branch is assembled
  bool parent_active = false;  // the enclosing code is assembled
  bool taken = false;          // a branch of this if was taken already
  std::int32_t line_no = 0;
  FileLine where;              // included file and line of the if, or none
};

bool is_op(const Token& t, std::string_view op) { return t.kind == TokenKind::Operator && t.text == op; }

bool is_blank_or_comment(std::string_view line, std::size_t first_non_blank) {
  return first_non_blank == line.size() || line[first_non_blank] == ';';
}

bool is_directive(std::string_view w) {
  const EngineDirective* found = find_engine_directive(w);
  return found && found->reserved;
}

// The parts of one statement: an optional label, the word, its operands.
struct Statement {
  const Token* label = nullptr;   // label or the name a definition defines
  const Token* word = nullptr;
  FoldedName folded;              // the word
  std::uint64_t key = 0;          // text_key(folded): directives are told apart by it
  std::span<const Token> operands;
  std::string_view operand_text;  // the operands as written

  bool is(std::uint64_t word_key) const { return key == word_key; }
};

bool is_definition(const Statement& s) {
  return s.is(word_key("equ")) || s.is(word_key("set")) || s.is(word_key("=")) || s.is(word_key("reg")) ||
         s.is(word_key("macro")) || s.is(word_key("define"));
}

bool is_definition_word(std::string_view w) {
  return w == "equ"sv || w == "set"sv || w == "reg"sv || w == "macro"sv || w == "=="sv;
}

// The engine's word for a convention's directive, or the word itself.
std::string_view engine_word(const Convention& rules, std::string_view folded) {
  if (rules.dollar_controls && folded.size() > 1 && folded.front() == '$')
    return folded == "$include"sv ? "include"sv : "ignore"sv;
  // Most words are mnemonics and labels: only a few can be directives.
  if (folded.empty() || (!rules.bare_directive_words && folded.front() != '.' && folded.front() != '#')) return folded;
  for (const DirectiveAlias& alias : rules.directives)
    if (alias.word == folded) return alias.engine;
  return folded;
}

bool opens_block(const Statement& s) { return s.is(word_key("macro")) || s.is(word_key("while")) || s.is(word_key("rept")); }

class Pass final : public SymbolSource {
 public:
  Pass(RunContext& context, int number)
      : context_(context), rules_(*context.convention), set_(context.initial_set), memory_(context.initial_memory) {
    context_.symbols.start_pass(number);
    for (const Definition& d : context_.definitions) context_.symbols.define(d.name, SymbolKind::Equ, d.value);
  }

  PassResult run() {
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
    context_.records_seen = result_.table.records.size();
    return std::move(result_);
  }

  std::optional<std::int32_t> value_of(std::string_view name) override {
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
  std::int32_t location() const override { return location_; }
  const Convention& convention() const override { return rules_; }

 private:
  // Next line of the innermost frame, with a macro's arguments and local
  // labels put in. The view lasts until the next read.
  std::string_view read_line() {
    lines_back_ = 0;
    Frame& frame = frames_.back();
    const std::string_view line = frame.take();
    if (frame.kind == FrameKind::Macro && substitute_names(line, frame.replacements, buffer_, kMaxExpandedLineBytes)) {
      context_.budget.add_expanded_line(buffer_.size());
      return buffer_;
    }
    context_.budget.add_text(line.size() + 1);
    return line;
  }

  // False once the run passed a bound on its work: the pass ends there,
  // with the bound and the line in the message.
  bool within_budget() {
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
  std::int32_t line_no() const {
    if (replaying_) return replaying_->line_no;
    return frames_.size() > 1 ? frames_[1].origin_line : static_cast<std::int32_t>(frames_[0].next - lines_back_);
  }

  // The frame of the innermost included file being read, or none while the
  // source itself is read.
  const Frame* innermost_include() const {
    for (auto frame = frames_.rbegin(); frame != frames_.rend(); ++frame) {
      if (frame->kind == FrameKind::File && frame->block != context_.source) return &*frame;
    }
    return nullptr;
  }

  // The included file and line a statement stands in, or none.
  FileLine where() const {
    if (replaying_) return replaying_->where;
    const Frame* file = innermost_include();
    if (!file) return {};
    const std::size_t back = file == &frames_.back() ? lines_back_ : 0;
    return {file->block->file_name, static_cast<std::int32_t>(file->next - back)};
  }

  // Messages from an included file also say where in it. The detail (a
  // name, a value) follows the text; the two are joined in kept storage.
  void report(std::string_view text, std::string_view detail = {}) {
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

  void end_of_frame() {
    Frame& frame = frames_.back();
    if (frame.kind == FrameKind::While || frame.kind == FrameKind::Rept) {
      bool again = false;
      if (frame.kind == FrameKind::Rept) {
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

  void pop_frame() {
    const std::size_t depth = frames_.back().conditions;
    while (conditions_.size() > depth) {
      result_.diagnostics.report(conditions_.back().line_no, kEndifMissing, Severity::Error,
                                 conditions_.back().where);
      conditions_.pop_back();
    }
    frames_.pop_back();
  }

  bool push_frame(Frame frame) {
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
  std::optional<std::int32_t> value(std::span<const Token> tokens) {
    const Evaluation e = evaluate(tokens, *this);
    if (!e.error.empty()) {
      report(e.error);
      return std::nullopt;
    }
    if (!e.undefined.empty()) report(kUndefinedSymbol, e.undefined);
    return e.value;
  }

  bool condition_holds(std::span<const Token> tokens) {
    const auto v = value(tokens);
    return v && *v != 0;
  }

  bool in_range(std::int32_t v, std::int32_t low, std::int32_t high) {
    if (v >= low && v <= high) return true;
    report(range_message(v, low, high));
    return false;
  }

  ListingLine* listed() {
    return listing_index_ < result_.listing.size() ? &result_.listing[listing_index_] : nullptr;
  }

  bool assembling() const { return conditions_.empty() || conditions_.back().active; }

  bool known_word(std::string_view folded) const {
    return is_directive(folded) || engine_word(rules_, folded) != folded || context_.mnemonics.contains(Word(folded)) ||
           macros_.count(folded) > 0;
  }

  // A label local to the last ordinary label (1$, .loop) with that label
  // put in front; any other name as it is. The view lasts until the next call.
  std::string_view qualified(std::string_view name) {
    const bool local = (rules_.local_dollar && name.size() > 1 && name.back() == '$' &&
                        name.find_first_not_of("0123456789") == name.size() - 1) ||
                       (rules_.local_dot && name.size() > 1 && name.front() == '.');
    if (!local) return name;
    qualified_ = scope_;
    qualified_ += name;
    return qualified_;
  }

  bool defines_name(const Token& t) const {
    if (t.kind == TokenKind::Operator) return t.text == "=";
    return t.kind == TokenKind::Name && is_definition_word(engine_word(rules_, FoldedName(t.text)));
  }

  // ". = expr" (ASxxxx) and "*= expr" (TASM) set the location counter.
  bool sets_location(const Token& t) const {
    return (rules_.dot_location && t.text == "."sv) || (rules_.star_location && is_op(t, "*"));
  }

  void as_location_statement(const TokenLine& line, std::string_view text, Statement& s) const {
    s.word = &line.tokens[1];
    s.folded.assign_lower("org");
    s.key = text_key(s.folded);
    s.operands = std::span<const Token>(line.tokens).subspan(2);
    if (!s.operands.empty())
      s.operand_text = text.substr(s.operands.front().start,
                                   s.operands.back().start + s.operands.back().text.size() - s.operands.front().start);
  }

  Statement parse(const TokenLine& line, std::string_view text) {
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
    if (rules_.numbered_macros && i + 1 < t.size() && is_op(t[i], ">") && t[i + 1].kind == TokenKind::Name) ++i;
    if (i < t.size()) {
      s.word = &t[i];
      // Only a name can be a keyword; other tokens are compared unchanged.
      s.folded.assign(s.word->text, s.word->kind == TokenKind::Name && s.word->lower);
      if (!rules_.directives.empty() || rules_.dollar_controls) {
        const std::string_view mapped = engine_word(rules_, s.folded);
        if (mapped.data() != s.folded.view().data()) s.folded.assign_lower(mapped);
      }
      s.key = text_key(s.folded);
      s.operands = std::span<const Token>(t).subspan(i + 1);
      // ".equ name, value" and "#define NAME value": the name comes first.
      const bool named_after = s.is(word_key("define")) || (s.is(word_key("macro")) && rules_.numbered_macros) ||
                               (s.is(word_key("equ")) && !s.label && s.operands.size() >= 2 && is_op(s.operands[1], ","));
      if (named_after && !s.label && !s.operands.empty() && s.operands[0].kind == TokenKind::Name) {
        s.label = &s.operands[0];
        const std::size_t skip = s.operands.size() >= 2 && is_op(s.operands[1], ",") ? 2 : 1;
        s.operands = s.operands.subspan(skip);
      }
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
  std::string_view continued_define(std::string_view text, std::size_t first) {
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
  std::string_view in_own_line(std::string_view text, std::size_t offset, std::string_view piece) {
    if (continuation_.empty() || text.data() != continued_.data()) return piece;
    const auto next = std::upper_bound(continued_starts_.begin(), continued_starts_.end(), offset);
    lines_back_ = static_cast<std::size_t>(continued_starts_.end() - next);
    if (next == continued_starts_.end()) return piece;
    return trim_blanks(piece.substr(0, std::min(piece.size(), *next - 1 - offset)));
  }

  // The lines of a continued #DEFINE after the listing line of its first:
  // each under its own number where the source itself is read.
  void list_continuation() {
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
  bool put_in_defines(std::string_view text) {
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

  // `first` is where the blanks at the start of the line end.
  void process(std::string_view text, std::size_t first) {
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
    statement_uses_ = uses;
    deferring_ = true;
    statement(s);
    deferring_ = false;
    // An instruction or data line that named something defined further on
    // (and no set symbol, which may still change) is encoded again at the
    // end; its messages until then mean nothing.
    const bool fixable = was_instruction_ || s.is(word_key("db")) || s.is(word_key(".db")) || s.is(word_key("dw")) ||
                         s.is(word_key(".dw"));
    if (fixable && symbols.early_use_count() > uses && symbols.set_reads() == set_reads &&
        result_.table.records.size() == records + 1) {
      symbols.forget_early_uses_from(uses);
      result_.diagnostics.items.resize(errors);
      result_.warnings.items.resize(warnings);
      Fixup& fixup =
          fixups_.emplace_back(Fixup{{}, {}, line_no(), where(), address, set_, records, listing_index_, scope_});
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

  void replay_fixups() {
    for (const Fixup& fixup : fixups_) {
      replaying_ = &fixup;
      errors_in_statement_ = 0;
      location_ = fixup.address;
      set_ = fixup.set;
      listing_index_ = fixup.listing;
      if (ListingLine* shown = listed()) shown->bytes.clear();
      scope_ = fixup.scope;
      tokenize_into(fixup.line(), line_tokens_, 0, rules_);
      statement(parse(line_tokens_, fixup.line()));
    }
    replaying_ = nullptr;
  }

  // if / elseif / else / endif, also while skipping.
  bool conditional(const Statement& s) {
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

  // name equ/set/=/reg value, name macro parameters.
  bool definition(const Statement& s) {
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
  void define_value(const Statement& s, bool is_set) {
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
  static bool reads_as_hex(std::string_view name) {
    return name.size() > 1 && (name.back() == 'h' || name.back() == 'H') &&
           name.substr(0, name.size() - 1).find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
  }

  // True when the name is one of the definitions being settled.
  bool formula_named(std::string_view name) {
    const std::string key(FoldedName(qualified(name)).view());
    for (const auto& [read, formula] : formulas_[settling_formula_].read)
      if (read == key) return true;
    return formula_of_.count(key) > 0;
  }

  // A definition waiting to be settled that the definition in hand reads.
  void note_read(std::string_view name) {
    std::string key(FoldedName(name).view());
    if (const auto formula = formula_of_.find(key); formula != formula_of_.end())
      reading_->emplace_back(std::move(key), formula->second);
  }

  // During settle_definitions: a definition waiting to be settled through
  // the order (the one read where it stands, else the last one of the
  // name), any other name as the pass left it.
  std::optional<std::int32_t> settled_value_of(std::string_view name) {
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
  void settle_definitions() {
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

  // Lines up to the endm that closes the block; none when the enclosing
  // frame ends first.
  std::shared_ptr<LineBlock> record_block() {
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

  void define_macro(const Statement& s) {
    const std::string name = fold_case(s.label->text);
    Macro macro;
    for (std::string_view parameter : split_arguments(s.operand_text)) macro.parameters.push_back(fold_case(parameter));
    if (rules_.numbered_macros)
      for (char n = '1'; n <= '9'; ++n) macro.parameters.push_back(std::string{']', n});
    const std::string shown_name(s.label->text);
    const bool twice = macros_.count(name) > 0 || known_word(name);
    auto body = record_block();
    if (!body) return;
    if (twice) return report(kSymbolTwice, shown_name);
    macro.labels = body_labels(body->owned);
    macro.body = std::move(body);
    macros_.emplace(name, std::move(macro));
  }

  // #DEFINE NAME(a,b) text, #DEFINE NAME instruction, #DEFINE NAME register:
  // text rather than a value. False for a value, which defines a name.
  bool define_text(const Statement& s) {
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

  bool defines_text(std::string_view folded) const {
    return std::any_of(text_defines_.begin(), text_defines_.end(),
                       [folded](const TextDefine& d) { return d.name == folded; });
  }

  void expand_macro(const Macro& macro, const Statement& s) {
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

  void loop(const Statement& s) {
    Frame frame(s.folded == "while"sv ? FrameKind::While : FrameKind::Rept, nullptr);
    frame.origin_line = line_no();
    frame.condition = std::string(s.operand_text);
    bool enter = false;
    if (frame.kind == FrameKind::Rept) {
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

  void exit_macro(const Statement&) {
    for (std::size_t i = frames_.size(); i-- > 1;) {
      if (frames_[i].kind != FrameKind::Macro) continue;
      // exitm stands inside an if as a rule: leaving the macro closes it.
      conditions_.resize(frames_[i].conditions);
      frames_.erase(frames_.begin() + static_cast<std::ptrdiff_t>(i), frames_.end());
      return;
    }
    report(kStray, "exitm");
  }

  // The file an include names: "file", or (file) as in $INCLUDE(file).
  static std::optional<std::string> include_name(const Statement& s) {
    if (s.operands.size() == 1 && s.operands[0].kind == TokenKind::String && s.operands[0].text.size() >= 2) {
      const std::string_view quoted = s.operands[0].text;
      return std::string(quoted.substr(1, quoted.size() - 2));
    }
    const std::string_view text = trim_blanks(s.operand_text);
    if (text.size() > 2 && text.front() == '(' && text.back() == ')') return std::string(trim_blanks(text.substr(1, text.size() - 2)));
    return std::nullopt;
  }

  // The path of a file the source names: as written, else the one name in
  // its folder that differs only in case (sources from systems that ignore it).
  static std::string existing_path(const std::string& path, bool& other_case) {
    other_case = false;
    std::error_code error;
    if (std::filesystem::exists(path, error)) return path;
    const std::filesystem::path wanted(path);
    const std::string folded = fold_case(wanted.filename().string());
    const std::filesystem::path folder = wanted.has_parent_path() ? wanted.parent_path() : std::filesystem::path(".");
    std::filesystem::directory_iterator entries(folder, error);
    int seen = 0;
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
      if (++seen > 10000) break;  // a folder that large is searched no further
      if (fold_case(entries->path().filename().string()) != folded) continue;
      other_case = true;
      return (wanted.has_parent_path() ? folder / entries->path().filename() : entries->path().filename()).string();
    }
    return path;
  }

  void include(const Statement& s) {
    const std::optional<std::string> named = include_name(s);
    if (!named) return report(kParameterError);
    const std::string& name = *named;
    int depth = 0;
    for (const Frame& frame : frames_) depth += frame.kind == FrameKind::File ? 1 : 0;
    if (depth > kMaxIncludeDepth) return report(kIncludeTooDeep);
    // Relative to the including file's folder.
    const Frame* including = innermost_include();
    const std::filesystem::path base =
        including ? std::filesystem::path(including->block->file_name).parent_path() : std::filesystem::path(context_.base_dir);
    bool other_case = false;
    const std::string path = existing_path((base / name).lexically_normal().string(), other_case);
    if (other_case) warn(message(kIncludeOtherCase, path), Severity::Note);
    auto& cached = context_.included[path];
    if (!cached) {
      const files::LoadedSource loaded = files::read_source_file(path);
      if (!loaded.ok) return report(kFileNotFound, name + " - " + loaded.error);
      // Cut short without a word, the file would lose its end unseen.
      if (loaded.cut_at_zero)
        return report(kZeroByteInFile, name + " (" + std::to_string(loaded.bytes_not_loaded) + " Byte ab dort)");
      auto block = std::make_shared<LineBlock>();
      block->owned.push_back(loaded.text);
      block->set_whole_text(block->owned.front());
      block->file_name = path;
      cached = std::move(block);
    }
    Frame frame(FrameKind::File, cached);
    frame.origin_line = line_no();
    push_frame(std::move(frame));
  }

  void emit(const std::uint8_t* bytes, std::size_t count, bool is_data) {
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
      // Same statement, same length: only the bytes change.
      const auto code = result_.table.code_of(result_.table.records[replaying_->record]);
      std::copy(bytes, bytes + std::min(count, code.size()), code.begin());
    } else {
      append_code(result_.table, line_no(), location_, bytes, count, is_data);
    }
    if (ListingLine* shown = listed()) {
      if (!shown->address) shown->address = location_;
      shown->bytes.insert(shown->bytes.end(), bytes, bytes + count);
    }
    location_ += static_cast<std::int32_t>(count);
  }

  // The text of error/warning/message: a quoted string without its quotes.
  std::string user_text(const Statement& s) const {
    if (s.operands.size() == 1 && s.operands[0].kind == TokenKind::String)
      return encode_utf8(std::u32string(line_tokens_.characters_of(s.operands[0])));
    return std::string(s.operand_text);
  }

  void warn(std::string text, Severity severity = Severity::Warning) {
    result_.warnings.report(line_no(), text, severity, text.starts_with(" -> ") ? where() : FileLine{});
  }

  void data(const Statement& s) {
    const bool words = s.folded == "dw"sv || s.folded == ".dw"sv;
    encode_data(s.operands, words, line_tokens_, *this, context_.clock, data_);
    if (!data_.error.empty()) return report(data_.error);
    // Emitted all the same: the length keeps the later addresses right.
    if (!data_.undefined.empty()) report(kUndefinedSymbol, data_.undefined);
    else if (!data_.warning.empty()) warn(data_.warning);
    emit(data_.bytes.data(), data_.bytes.size(), true);
  }

  void statement(const Statement& s) {
    // Instructions first: most statements are.
    const Word word(s.folded, s.key);
    was_instruction_ = s.word->kind == TokenKind::Name && context_.mnemonics.contains(word);
    if (was_instruction_) return instruction(s, word);
    (this->*kDirectiveHandlers[static_cast<std::size_t>(directive_of(s.folded))])(s);
  }

  // What each kind of directive does; the words are in directive_table.cpp.
  using DirectiveHandler = void (Pass::*)(const Statement&);
  static const std::array<DirectiveHandler, kDirectiveKinds> kDirectiveHandlers;

  void org(const Statement& s) {
    const auto v = value(s.operands);
    if (v && in_range(*v, 0, memory_size() - 1)) location_ = *v;
    if (ListingLine* shown = listed()) shown->address = location_;
  }

  void reserve(const Statement& s) {
    const auto v = value(s.operands);
    if (!v || !in_range(*v, 0, memory_size())) return;
    if (location_ + *v > memory_size()) return report(kBeyondProgramMemory);
    append_reserve(result_.table, line_no(), location_, *v);
    if (ListingLine* shown = listed()) shown->address = location_;
    location_ += *v;
  }

  void stray_endm(const Statement& s) { report(kStray, s.word->text); }

  // END in an included file ends that file (sources from assemblers that
  // allow it); in the source it ends the run.
  void end(const Statement&) {
    if (frames_.back().kind == FrameKind::File && frames_.back().block != context_.source) pop_frame();
    else stopped_ = true;
  }

  void cpu(const Statement& s) {
    const auto part = part_of(s.operand_text);
    if (!part) return report(kUnknownCpu, s.operand_text);
    set_ = part->set;
    memory_ = part->program_memory;
  }

  // A directive of the convention that places nothing (.area, .module,
  // $MOD48), or the listing layout of other assemblers.
  void ignore(const Statement&) {}

  void asciz(const Statement& s) {
    data(s);
    const std::uint8_t zero = 0;
    if (data_.error.empty()) emit(&zero, 1, true);
  }

  void fill_to(const Statement& s) {
    const auto v = value(s.operands);
    if (!v || !in_range(*v, location_, memory_size())) return;
    append_reserve(result_.table, line_no(), location_, *v - location_);
    location_ = *v;
  }

  // count, value: the value in that many bytes. No value is a mistake
  // rather than a guess at the byte meant.
  void fill(const Statement& s) {
    const auto parts = split_operands(s.operands);
    if (parts.size() != 2) return report(kParameterError);
    const auto count = value(parts[0]);
    const auto byte = value(parts[1]);
    if (!count || !byte || !in_range(*count, 0, memory_size()) || !in_range(*byte, -128, 255)) return;
    if (location_ + *count > memory_size()) return report(kBeyondProgramMemory);
    data_.bytes.assign(static_cast<std::size_t>(*count), static_cast<std::uint8_t>(*byte & 0xFF));
    emit(data_.bytes.data(), data_.bytes.size(), true);
  }

  // The operands split at top-level commas.
  static std::vector<std::span<const Token>> split_operands(std::span<const Token> operands) {
    std::vector<std::span<const Token>> parts;
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < operands.size(); ++i) {
      if (is_op(operands[i], "(")) ++depth;
      else if (is_op(operands[i], ")")) --depth;
      else if (depth == 0 && is_op(operands[i], ",")) {
        parts.push_back(operands.subspan(start, i - start));
        start = i + 1;
      }
    }
    if (!operands.empty()) parts.push_back(operands.subspan(start));
    return parts;
  }

  void user_error(const Statement& s) {
    report(message(kUserError, user_text(s)));
    if (s.folded == "fatal"sv) stopped_ = true;
  }

  void user_note(const Statement& s) {
    const bool warning = s.folded == "warning"sv;
    warn(message(warning ? kUserWarning : kUserMessage, user_text(s)), warning ? Severity::Warning : Severity::Note);
  }

  // A macro call, else no statement at all.
  void other_word(const Statement& s) {
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

  void instruction(const Statement& s, const Word& mnemonic) {
    InstructionBytes encoded = assemble_instruction(mnemonic, s.operands, set_, context_.symbols, *this,
                                                    context_.encoder, location_);
    // Where fields end at blanks, an instruction that takes no operand
    // reads the word after it as the start of its comment ("NOP  wait").
    if (!encoded.error.empty() && rules_.comment_after_operands && !s.operands.empty()) {
      const InstructionBytes bare =
          assemble_instruction(mnemonic, {}, set_, context_.symbols, *this, context_.encoder, location_);
      if (bare.error.empty()) encoded = bare;
    }
    if (!encoded.error.empty()) return report(encoded.error);
    // Emitted all the same: the length keeps the later addresses right.
    if (!encoded.undefined.empty()) report(kUndefinedSymbol, encoded.undefined);
    else if (encoded.other_bank_target >= 0) warn_other_bank(encoded.other_bank_target);
    else if (!encoded.warning.empty()) warn(encoded.warning);
    emit(encoded.bytes, static_cast<std::size_t>(encoded.length), false);
  }

  std::int32_t memory_size() const { return memory_; }

  void warn_other_bank(std::int32_t target) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04XH", static_cast<unsigned>(target) & 0xFFFFu);
    result_.warnings.report(line_no(), message(kOtherBank, hex), result_.warnings.severity, where());
  }

  RunContext& context_;
  const Convention& rules_;
  InstructionSet set_;
  std::int32_t memory_;  // program memory of the part the last cpu line named
  PassResult result_;
  std::vector<Frame> frames_;
  std::vector<Condition> conditions_;
  std::map<std::string, Macro, std::less<>> macros_;
  std::int32_t location_ = 0;
  int expansions_ = 0;
  int errors_in_statement_ = 0;
  bool stopped_ = false;
  std::size_t listing_index_ = 0;  // listing line of the statement in hand
  std::string buffer_;
  TokenLine line_tokens_;  // the statement in hand; its storage is reused
  DataBytes data_;         // the bytes of the data line in hand; the same
  std::vector<Fixup> fixups_;
  std::vector<Formula> formulas_;
  std::unordered_map<std::string, std::size_t> formula_of_;  // folded name -> the formula that gives its value
  DefinitionOrder* settling_ = nullptr;  // while the definitions are settled
  std::size_t settling_formula_ = 0;     // the one being evaluated then
  std::string nowhere_;                  // the first name it reads that nothing defines
  std::vector<std::pair<std::string, std::size_t>>* reading_ = nullptr;  // reads of the definition in hand
  std::vector<BoundUse> bound_uses_;
  bool bound_uses_changed_ = false;
  std::string_view statement_line_;      // the line of the statement in hand, as tokenized
  const Fixup* replaying_ = nullptr;
  bool was_instruction_ = false;  // the last statement was an instruction
  bool deferring_ = false;         // messages of the statement in hand may wait
  std::size_t statement_uses_ = 0; // early uses before the statement in hand
  std::string deferred_;           // the first message of the statement in hand while it waits, else empty
  std::string joined_;             // a message text with its detail
  std::string scope_;              // the last ordinary label: local labels belong to it
  std::string qualified_;          // a local label with its scope
  std::vector<TextDefine> text_defines_;  // #DEFINE NAME(a) with an expression for its text
  std::string continued_;          // a #DEFINE line with the lines that continue it
  std::vector<std::string> continuation_;  // those lines as written, the first one first
  std::vector<std::size_t> continued_starts_;  // where each of them starts in continued_
  std::size_t lines_back_ = 0;     // messages name the line this many before the last one read
  std::string expanded_;           // a line with its text defines put in
  std::string scratch_;
};

const std::array<Pass::DirectiveHandler, kDirectiveKinds> Pass::kDirectiveHandlers = {
    &Pass::other_word,    // None
    &Pass::other_word,    // Definition: handled before the statement is placed
    &Pass::other_word,    // Condition: the same
    &Pass::org,           &Pass::data,          &Pass::reserve,      &Pass::loop,
    &Pass::exit_macro,    &Pass::stray_endm,    &Pass::include,      &Pass::end,
    &Pass::cpu,           &Pass::ignore,        &Pass::asciz,        &Pass::fill_to,      &Pass::fill,
    &Pass::user_error,    &Pass::user_note,     &Pass::ignore,       // Layout
};

}  // namespace

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

PassResult run_pass(RunContext& context, int pass) { return Pass(context, pass).run(); }

}  // namespace zorvin::asm48::ext
