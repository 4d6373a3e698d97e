#include "asm/ext/extended_assembler.h"

#include <algorithm>

#include "text/editor_lines.h"
#include "asm/ext/lexer.h"
#include "asm/ext/messages.h"
#include "asm/ext/pass.h"

namespace zorvin::asm48::ext {

namespace {

// One pass settles an ordinary source: definitions that name something
// defined further on are settled at its end in the order they depend on
// each other, and statements that used such names are encoded again. More
// passes are needed only when an address, a size or a condition depends
// on such names.
constexpr int kMaxPasses = 10;

// Where a message about the whole source goes: its first statement.
std::int32_t first_statement_line(std::string_view text) {
  std::size_t pos = 0;
  std::string_view line;
  for (std::int32_t line_no = 1; !text.empty() && next_editor_line(text, pos, line); ++line_no)
    if (line.find_first_not_of(" \t\r") != std::string_view::npos && line[line.find_first_not_of(" \t\r")] != ';')
      return line_no;
  return 1;
}

// The names whose values still changed in the last pass: "lbl, x".
std::string unsettled_text(const SymbolTable& symbols) {
  constexpr std::size_t kShown = 5;
  const std::vector<std::string> names = symbols.unsettled_names(kShown + 1);
  std::string text;
  for (std::size_t i = 0; i < names.size() && i < kShown; ++i) text += (i > 0 ? ", " : "") + names[i];
  if (names.size() > kShown) text += ", ...";
  return text;
}

// N of "Zeile: N -> ...".
std::string listed_value(const SymbolEntry& symbol) {
  if (symbol.kind == SymbolKind::Register) return symbol.register_name;
  char text[16];
  std::snprintf(text, sizeof text, "%04XH", static_cast<unsigned>(symbol.value));
  return text;
}

}  // namespace

ExtendedRun assemble_extended(std::string_view text, const std::string& base_dir, const ExtendedOptions& options,
                              bool keep_listing, LineTable& table) {
  RunContext context;
  auto source = std::make_shared<LineBlock>();
  source->set_whole_text(text);
  context.source = std::move(source);
  context.base_dir = base_dir;
  const auto part = part_of(options.cpu);
  context.initial_set = part ? part->set : InstructionSet::Mcs48;
  context.initial_memory = part ? part->program_memory : program_memory_of(InstructionSet::Mcs48);
  if (options.convention) context.convention = options.convention;
  context.definitions = options.definitions;
  context.clock = build_clock();
  context.keep_listing = keep_listing;

  PassResult result;
  bool settled = false;
  for (int pass = 1; pass <= kMaxPasses && !settled; ++pass) {
    result = run_pass(context, pass);
    // A pass cut short by a bound would only be cut short again. A cycle
    // stays one: a second pass, which knows every name, tells it.
    settled = result.consistent || result.cut_short || (result.circular > 0 && pass >= 2);
  }
  ExtendedRun run;
  run.diagnostics = std::move(result.diagnostics);
  // Statements encoded again at the end of the pass report there: back
  // into source order.
  const auto by_line = [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; };
  std::stable_sort(run.diagnostics.items.begin(), run.diagnostics.items.end(), by_line);
  run.stopped_at_error_limit = result.error_limit;
  run.target_file = std::move(result.target_file);
  run.warnings = std::move(result.warnings);
  std::stable_sort(run.warnings.items.begin(), run.warnings.items.end(), by_line);
  if (!settled) run.diagnostics.report(first_statement_line(text), message(kNoFixedPoint, unsettled_text(context.symbols)));
  table = std::move(result.table);
  for (const auto& [path, file] : context.included)
    if (file) run.included_files.push_back(path);
  if (keep_listing) {
    run.listing.lines = std::move(result.listing);
    for (const SymbolEntry& symbol : context.symbols.entries())
      run.listing.symbols.push_back({symbol.name, listed_value(symbol)});
  }
  return run;
}

}  // namespace zorvin::asm48::ext
