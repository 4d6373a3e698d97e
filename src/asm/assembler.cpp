#include "asm/assembler.h"

#include <utility>

#include "asm/address_pass.h"
#include "asm/code_overlaps.h"
#include "asm/editor_lines.h"
#include "asm/encoding_pass.h"
#include "asm/ext/dialect_switch.h"
#include "asm/ext/extended_assembler.h"
#include "asm/split_pass.h"
#include "asm/symbol_pass.h"
#include "asm/target_pass.h"

namespace zorvin::asm48 {

namespace {

// Both dialects end alike: the summary line, and on success the table in
// address order for the image and the listing.
AssemblyResult finish(AssemblyResult result, LineTable& table) {
  if (result.error_count != 0) {
    result.summary = std::to_string(result.error_count) + std::string(kErrorsSuffix);
    return result;
  }
  std::vector<std::string> overlaps = code_overlap_warnings(table);  // needs the source order
  result.warning_lines.insert(result.warning_lines.end(), overlaps.begin(), overlaps.end());
  table.sort_by_address();
  result.summary = std::string(kAssembledWithoutErrors);
  return result;
}

}  // namespace

AssemblyResult Assembler::run(std::string editor_text, const std::string& source_dir) {
  AssemblyResult result;
  if (is_blank_text(editor_text)) {
    result.nothing_to_assemble = true;  // the table keeps the previous run
    return result;
  }
  listing_ = {};
  // The same bound as for the text a run may read: beyond it nothing runs.
  if (editor_text.size() > kMaxTextBytes) {
    Diagnostics diagnostics;
    diagnostics.report(1, kTextTooLarge);
    result.error_lines = std::move(diagnostics.lines);
    result.error_count = 1;
    table_ = {};
    return finish(std::move(result), table_);
  }
  const auto cpu = ext::cpu_statement(editor_text);
  extended_ = cpu.has_value();
  if (extended_) {
    ext::ExtendedRun run = ext::assemble_extended(editor_text, source_dir, *cpu, keep_listing_, table_);
    listing_ = std::move(run.listing);
    result.error_count = run.diagnostics.count();
    result.error_lines = std::move(run.diagnostics.lines);
    result.included_files = std::move(run.included_files);
    result.warning_lines = std::move(run.warnings.lines);
    return finish(std::move(result), table_);
  }
  split_pass(std::move(editor_text), table_);
  Diagnostics diagnostics;
  result.error_count = symbol_pass(table_, diagnostics);
  // An operand that outgrew the substitution is no text to encode.
  if (result.error_count == 0) result.error_count = encoding_pass(table_, diagnostics);
  // Addresses and targets only mean something once every line encoded.
  if (result.error_count == 0) {
    result.error_count = address_pass(table_, diagnostics);
    result.error_count += target_pass(table_, diagnostics);
  }
  result.error_lines = std::move(diagnostics.lines);
  return finish(std::move(result), table_);
}

}  // namespace zorvin::asm48
