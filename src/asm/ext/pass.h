// One pass of the extended dialect over the source: reads lines through a
// stack of frames (the source, included files, macro expansions, loop
// bodies), interprets directives, and encodes instructions and data at the
// location counter.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "asm/diagnostics.h"
#include "asm/ext/build_clock.h"
#include "asm/ext/expression.h"
#include "asm/ext/instruction.h"
#include "asm/ext/plain_core.h"
#include "asm/ext/symbol_table.h"
#include "asm/line_record.h"
#include "asm/parts.h"
#include "asm/source_listing.h"
#include "asm/target_file.h"
#include "asm/work_limits.h"

namespace zorvin::asm48::ext {

// Lines of one source, included file or recorded body.
struct LineBlock {
  std::vector<std::string> owned;         // the texts when the block owns them
  std::vector<std::string_view> lines;    // a recorded body
  std::string_view text;                  // or a whole text, split while it is read
  bool whole_text = false;
  std::string file_name;                  // included file, for messages

  void set_whole_text(std::string_view whole) {
    text = whole;
    whole_text = true;
  }
};

// A name given from outside the source (-D NAME=VALUE).
struct Definition {
  std::string name;
  std::int32_t value = 1;
};

// What stays the same across the passes of one run.
struct RunContext {
  const Convention* convention = &default_convention();
  std::vector<Definition> definitions;
  std::shared_ptr<const LineBlock> source;
  std::string base_dir;
  InstructionSet initial_set = InstructionSet::Mcs48;
  std::int32_t initial_memory = 4096;  // program memory of the part the run starts with
  BuildClock clock;
  SymbolTable symbols;
  StatementEncoder encoder;
  MnemonicCache mnemonics;
  std::map<std::string, std::shared_ptr<const LineBlock>> included;  // path -> file, read once per run
  bool keep_listing = false;
  std::size_t records_seen = 0;  // records of the last pass: the next one makes about as many
  WorkBudget budget;  // shared by all passes of the run
};

struct PassResult {
  Diagnostics diagnostics;
  Diagnostics warnings{{}, 0, Severity::Warning};  // lines that do not stop the run
  LineTable table;
  std::vector<ListingLine> listing;
  bool cut_short = false;  // a bound on work, nesting or errors ended the pass
  bool error_limit = false;  // kMaxErrors ended it with lines still to read
  bool consistent = false;   // every name used before its definition saw the value it ended with
  int circular = 0;          // definitions reported as circular
  std::optional<asm48::TargetFile> target_file;
};

// Errors after which a pass stops: the message pane shows 1000 lines, and
// the last of them says that more may follow.
inline constexpr int kMaxErrors = 999;

PassResult run_pass(RunContext& context, int pass);

using asm48::Part;

// The part a cpu operand names (in any case, blanks after it ignored), or
// none when it names no known part.
std::optional<Part> part_of(std::string_view cpu);

// The instruction set a cpu operand names, or none when it names no known part.
std::optional<InstructionSet> instruction_set_of(std::string_view cpu);

}  // namespace zorvin::asm48::ext
