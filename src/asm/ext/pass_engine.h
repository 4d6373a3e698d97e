// The pass of the extended dialect, as its parts see it: the frames it
// reads lines through, what it keeps between statements, and the class whose
// members are defined by concern in pass.cpp (the loop over the lines) and
// pass_*.cpp (line reading, conditionals, definitions, macros and loops,
// includes, data, location).
#pragma once

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

namespace zorvin::asm48::ext::engine {

using namespace std::string_view_literals;

// Bounds that keep a run finite whatever the source says.
inline constexpr std::size_t kMaxFrames = 64;
inline constexpr int kMaxIncludeDepth = 16;
inline constexpr std::size_t kMaxConditions = 256;
inline constexpr int kMaxIterations = 65536;  // of one loop; all loops together have their own bound
// What keeping a line of a loop or macro body costs besides its bytes.
inline constexpr std::size_t kRecordedLineCost = sizeof(std::string) + sizeof(std::string_view);

struct Macro {
  std::vector<std::string> parameters;  // folded
  std::vector<std::string> labels;      // folded, local to each expansion
  std::shared_ptr<const LineBlock> body;
  bool parenthesised = false;           // #DEFINE NAME(a,b): called as NAME(1,2)
};

enum class FrameKind { File, Macro, While, Rept, Irp };

struct Frame {
  FrameKind kind = FrameKind::File;
  std::shared_ptr<const LineBlock> block;
  std::size_t next = 0;                 // index of the next line to read
  std::int32_t origin_line = 0;         // source line of the statement that opened it
  std::size_t conditions = 0;           // depth of the if stack when it opened
  std::vector<std::pair<std::string, std::string>> replacements;  // macro: name -> text
  std::string condition;                // while
  long remaining = 0;                   // rept
  std::vector<std::string> items;       // irp: the arguments, one per round
  std::size_t item = 0;                 // irp: the round in hand
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
  bool relaxed = false;        // relaxed on held for the line
  int assumed_bank = -1;       // assume mb: the bank, or -1 for nothing

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

// expect ... endexpect: the lines between, in the file they stand in, and
// the message numbers they must give. Settled at the end of the pass, when
// statements encoded again have reported too.
struct ExpectBlock {
  std::string file;             // included file, or empty for the source
  std::int32_t first = 0;       // the expect line (in `file`)
  std::int32_t last = 0;        // the endexpect line; 0 while open
  std::int32_t line_no = 0;     // source line of the expect, for messages
  FileLine where;               // its place in an included file, or none
  std::vector<int> numbers;
};

struct Condition {
  bool active = false;         // this branch is assembled
  bool parent_active = false;  // the enclosing code is assembled
  bool taken = false;          // a branch of this if was taken already
  std::int32_t line_no = 0;
  FileLine where;              // included file and line of the if, or none
};

inline bool is_op(const Token& t, std::string_view op) { return t.kind == TokenKind::Operator && t.text == op; }

inline bool is_blank_or_comment(std::string_view line, std::size_t first_non_blank) {
  return first_non_blank == line.size() || line[first_non_blank] == ';';
}

inline bool is_directive(std::string_view w) {
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
  bool macro_call = false;        // >NAME: a macro's name, even where it spells a mnemonic

  bool is(std::uint64_t word_key) const { return key == word_key; }
};

inline bool is_definition(const Statement& s) {
  return s.is(word_key("equ")) || s.is(word_key("set")) || s.is(word_key("=")) || s.is(word_key("reg")) ||
         s.is(word_key("macro")) || s.is(word_key("define"));
}

inline bool is_definition_word(std::string_view w) {
  return w == "equ"sv || w == "set"sv || w == "reg"sv || w == "macro"sv || w == "=="sv;
}

// The engine's word for a convention's directive, or the word itself.
inline std::string_view engine_word(const Convention& rules, std::string_view folded) {
  if (rules.dollar_controls && folded.size() > 1 && folded.front() == '$')
    return folded == "$include"sv ? "include"sv : "ignore"sv;
  // Most words are mnemonics and labels: only a few can be directives.
  if (folded.empty() || (!rules.bare_directive_words && folded.front() != '.' && folded.front() != '#')) return folded;
  for (const DirectiveAlias& alias : rules.directives)
    if (alias.word == folded) return alias.engine;
  return folded;
}

inline bool opens_block(const Statement& s) {
  return s.is(word_key("macro")) || s.is(word_key("while")) || s.is(word_key("rept")) || s.is(word_key("irp"));
}

class Pass final : public SymbolSource {
 public:
  Pass(RunContext& context, int number)
      : context_(context), rules_(*context.convention), set_(context.initial_set), memory_(context.initial_memory) {
    context_.symbols.start_pass(number);
    for (const Definition& d : context_.definitions) context_.symbols.define(d.name, SymbolKind::Equ, d.value);
  }

  PassResult run();

  std::optional<std::int32_t> value_of(std::string_view name) override;
  std::int32_t location() const override { return location_; }
  const Convention& convention() const override { return rules_; }

 private:
  // Next line of the innermost frame, with a macro's arguments and local
  // labels put in. The view lasts until the next read.
  std::string_view read_line();

  // False once the run passed a bound on its work: the pass ends there,
  // with the bound and the line in the message.
  bool within_budget();

  // Source line that messages and records name: the line itself in the
  // source, else the source line that opened the outermost expansion.
  std::int32_t line_no() const;

  // The frame of the innermost included file being read, or none while the
  // source itself is read.
  const Frame* innermost_include() const;

  // The included file and line a statement stands in, or empty.
  FileLine where() const;

  // Messages from an included file also say where in it. The detail (a
  // name, a value) follows the text; the two are joined in kept storage.
  void report(std::string_view text, std::string_view detail = {});

  void end_of_frame();

  void pop_frame();

  bool push_frame(Frame frame);

  // Evaluates and reports; an undefined name is reported and counts as 0.
  std::optional<std::int32_t> value(std::span<const Token> tokens);

  bool condition_holds(std::span<const Token> tokens);

  bool in_range(std::int32_t v, std::int32_t low, std::int32_t high);

  ListingLine* listed();

  bool assembling() const { return conditions_.empty() || conditions_.back().active; }

  bool known_word(std::string_view folded) const;

  // A label local to the last ordinary label (1$, .loop) with that label
  // put in front; any other name as it is. The view lasts until the next call.
  std::string_view qualified(std::string_view name);

  bool defines_name(const Token& t) const;

  // ". = expr" (ASxxxx) and "*= expr" (TASM) set the location counter.
  bool sets_location(const Token& t) const;

  void as_location_statement(const TokenLine& line, std::string_view text, Statement& s) const;

  Statement parse(const TokenLine& line, std::string_view text);

  // A #DEFINE whose line ends in "\\" goes on in the next line; the "\\"
  // then separates two statements of its body. The view lasts until the
  // next line is read.
  std::string_view continued_define(std::string_view text, std::size_t first);

  // A piece of a continued #DEFINE cut at the end of the line it starts
  // in, which the statement's messages then name.
  std::string_view in_own_line(std::string_view text, std::size_t offset, std::string_view piece);

  // The lines of a continued #DEFINE after the listing line of its first:
  // each under its own number where the source itself is read.
  void list_continuation();

  // NAME(arguments) of a #DEFINE whose text is part of an expression,
  // replaced in the line; the text may use such names itself, up to a depth.
  bool put_in_defines(std::string_view text);

  // `first` is where the blanks at the start of the line end.
  void process(std::string_view text, std::size_t first);

  void replay_fixups();

  // if / elseif / else / endif, also while skipping.
  bool conditional(const Statement& s);

  // name equ/set/=/reg value, name macro parameters.
  bool definition(const Statement& s);

  // name equ value, name set value. A value that names something defined
  // further on is settled at the end of the pass, with its messages.
  void define_value(const Statement& s, bool is_set);

  // "FFh": a number where no name of that spelling is defined.
  static bool reads_as_hex(std::string_view name);

  // True when the name is one of the definitions being settled.
  bool formula_named(std::string_view name);

  // A definition waiting to be settled that the definition in hand reads.
  void note_read(std::string_view name);

  // During settle_definitions: a definition waiting to be settled through
  // the order (the one read where it stands, else the last one of the
  // name), any other name as the pass left it.
  std::optional<std::int32_t> settled_value_of(std::string_view name);

  // The definitions of the pass that named something defined after them,
  // evaluated again with every name's value: each gets its value, or a
  // message where it stands (a cycle, a name defined nowhere).
  void settle_definitions();

  // Lines up to the endm that closes the block; none when the enclosing
  // frame ends first.
  std::shared_ptr<LineBlock> record_block();

  void define_macro(const Statement& s);

  // #DEFINE NAME(a,b) text, #DEFINE NAME instruction, #DEFINE NAME register:
  // text rather than a value. False for a value, which defines a name.
  bool define_text(const Statement& s);

  bool defines_text(std::string_view folded) const;

  void expand_macro(const Macro& macro, const Statement& s);

  void loop(const Statement& s);

  void exit_macro(const Statement&);

  // The file an include names: "file", or (file) as in $INCLUDE(file).
  static std::optional<std::string> include_name(const Statement& s);

  // The path of a file the source names: as written, else the one name in
  // its folder that differs only in case (sources from systems that ignore it).
  static std::string existing_path(const std::string& path, bool& other_case);

  void include(const Statement& s);

  void emit(const std::uint8_t* bytes, std::size_t count, bool is_data);

  // The text of error/warning/message: a quoted string without its quotes.
  std::string user_text(const Statement& s) const;

  void warn(std::string text, Severity severity = Severity::Warning);

  void data(const Statement& s);

  void statement(const Statement& s);

  // What each kind of directive does; the words are in directive_table.cpp.
  using DirectiveHandler = void (Pass::*)(const Statement&);
  static const std::array<DirectiveHandler, kDirectiveKinds> kDirectiveHandlers;

  bool place_and_fill(const Statement& s, std::int32_t low, std::int32_t high, std::int32_t& where,
                      std::optional<std::int32_t>& fill);
  void emit_fill(std::int32_t count, std::int32_t fill);

  void org(const Statement& s);

  void reserve(const Statement& s);

  void stray_endm(const Statement& s) { report(kStray, s.word->text); }

  // END in an included file ends that file (sources from assemblers that
  // allow it); in the source it ends the run.
  void end(const Statement&);

  void cpu(const Statement& s);

  // A directive of the convention that places nothing (.area, .module,
  // $MOD48), or the listing layout of other assemblers.
  void ignore(const Statement&) {}

  void asciz(const Statement& s);

  void fill_to(const Statement& s);

  // count, value: the value in that many bytes. No value is a mistake
  // rather than a guess at the byte meant.
  void fill(const Statement& s);

  // The operands split at top-level commas.
  static std::vector<std::span<const Token>> split_operands(std::span<const Token> operands);

  void user_error(const Statement& s);

  void user_note(const Statement& s);

  // A macro call, else no statement at all.
  void other_word(const Statement& s);

  void instruction(const Statement& s, const Word& mnemonic);

  std::int32_t memory_size() const { return memory_; }

  void warn_other_bank(std::int32_t target);

  // relaxed on/off: every number form of the macro assembler (017 octal,
  // x'1F', $1F, %0101, @17, 0b0101) from this line on, or the convention's.
  void number_forms(const Statement& s);
  void set_relaxed(bool on);

  // assume mb:0, mb:1, mb:nothing.
  void assume_bank(const Statement& s);
  // A long jump or call into a bank other than the one selected: sel
  // mb0/mb1 put in front where the convention does so and nothing is
  // assumed, else a warning. False when the jump is not to be placed:
  // encoded again at the end of the pass, it has no room for the sel.
  bool select_bank(std::int32_t target, std::int32_t address);

  // .TF name[,format]: the first one names the file the program goes to.
  void target_file(const Statement& s);
  // .LI ON / OFF (other list options are taken and change nothing).
  void list_switch(const Statement& s);

  void expect(const Statement& s);
  void end_expect(const Statement& s);
  // At the end of the pass: the expected messages of each block leave the
  // lists; an expected number no line gave is an error of its own.
  void settle_expectations();
  const ExpectBlock* block_of(const std::vector<std::size_t>& by_start, const Diagnostic& d) const;

  RunContext& context_;
  Convention rules_;  // relaxed on changes the number forms for the rest of the pass
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
  bool relaxed_ = false;           // relaxed on
  int assumed_bank_ = -1;          // assume mb: the bank, or -1 for nothing
  bool length_changed_ = false;    // a statement encoded again needs another length: one more pass
  bool listing_off_ = false;       // .LI OFF: lines are left out of the listing file
  std::vector<ExpectBlock> expects_;
};

}  // namespace zorvin::asm48::ext::engine
