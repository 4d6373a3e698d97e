#include "asm/assembler.h"

#include <algorithm>
#include <utility>

#include "asm/address_pass.h"
#include "asm/code_overlaps.h"
#include "asm/dialect/dialects.h"
#include "asm/dialect/recognition.h"
#include "text/editor_lines.h"
#include "asm/encoding_pass.h"
#include "asm/equ_cycles.h"
#include "asm/ext/extended_assembler.h"
#include "asm/split_pass.h"
#include "asm/symbol_pass.h"
#include "asm/target_pass.h"

namespace zorvin::asm48 {

namespace {

// Both dialects end alike: the summary line, and on success the table in
// address order for the image and the listing.
// A message about the run as a whole: its text is the whole line.
Diagnostic run_warning(std::string text) { return {Severity::Warning, 0, {}, std::move(text)}; }

void add_run_warnings(AssemblyResult& result, const std::vector<std::string>& texts) {
  for (const std::string& text : texts) result.warnings.push_back(run_warning(text));
}

AssemblyResult finish(AssemblyResult result, LineTable& table) {
  if (result.error_count != 0) {
    result.summary = std::to_string(result.error_count) + std::string(kErrorsSuffix);
  } else {
    add_run_warnings(result, code_overlap_warnings(table));  // needs the source order
    table.sort_by_address();
    result.summary = std::string(kAssembledWithoutErrors);
  }
  result.error_lines = format_diagnostics(result.errors);
  result.warning_lines = format_diagnostics(result.warnings);
  return result;
}

}  // namespace

AssemblyResult Assembler::run(std::string editor_text, const std::string& source_dir) {
  AssemblyResult result = run_text(std::move(editor_text), source_dir);
  if (result.nothing_to_assemble) return result;
  return finish(std::move(result), table_);
}

AssemblyResult Assembler::run_text(std::string editor_text, const std::string& source_dir) {
  AssemblyResult result;
  // The 00H byte stands on the text's last line, or on the line after a
  // last line end; the text may be moved away before the end of the run.
  const auto cut_line = static_cast<std::int32_t>(
      options_.source_cut_at_zero ? std::max<std::size_t>(1, editor_line_count(editor_text)) : 0);
  const auto add_cut_error = [&] {
    if (!options_.source_cut_at_zero) return;
    result.errors.push_back({Severity::Error, cut_line, {}, std::string(kSourceCutAtZero)});
    ++result.error_count;
  };
  if (is_blank_text(editor_text)) {
    if (!options_.source_cut_at_zero) {
      result.nothing_to_assemble = true;  // the table keeps the previous run
      return result;
    }
    table_ = {};
    result.dialect_line = dialect_line(recognise_dialect(editor_text));
    add_cut_error();
    return result;
  }
  listing_ = {};
  // The same bound as for the text a run may read: beyond it nothing runs.
  if (editor_text.size() > kMaxTextBytes) {
    Diagnostics diagnostics;
    diagnostics.report(1, kTextTooLarge);
    result.errors = std::move(diagnostics.items);
    result.error_count = 1;
    table_ = {};
    add_cut_error();
    return result;
  }
  DialectChoice choice;
  if (const DialectName named = dialect_by_option(options_.dialect); !options_.dialect.empty() && named.known) {
    choice.convention = named.convention;
    choice.how = DialectChoice::How::Option;
    choice.mark = options_.dialect;
    // The part still comes from the source's marker line, if it has one.
    const DialectChoice own = recognise_dialect(editor_text);
    if (own.convention == choice.convention) choice.cpu = own.cpu;
  } else {
    choice = recognise_dialect(editor_text);
  }
  result.dialect_line = dialect_line(choice);
  add_run_warnings(result, number_form_warnings(editor_text, choice));
  extended_ = choice.convention != nullptr;
  if (extended_) {
    ext::ExtendedOptions options{choice.convention, choice.cpu.empty() ? std::string("8048") : choice.cpu, {}};
    for (const auto& [name, value] : options_.definitions) options.definitions.push_back({name, value});
    ext::ExtendedRun run = ext::assemble_extended(editor_text, source_dir, options, keep_listing_, table_);
    listing_ = std::move(run.listing);
    result.error_count = run.diagnostics.count();
    result.errors = std::move(run.diagnostics.items);
    result.included_files = std::move(run.included_files);
    result.target_file = std::move(run.target_file);
    result.warnings.insert(result.warnings.end(), run.warnings.items.begin(), run.warnings.items.end());
    add_cut_error();
    // Where the window and zorvin-asm both show it: the last error line.
    if (run.stopped_at_error_limit)
      result.errors.push_back({Severity::Note, 0, {},
                               "... Assemblieren nach " + std::to_string(ext::kMaxErrors) +
                                   " Fehlern abgebrochen: weitere Fehler nicht gezeigt, der Rest der Quelle ungeprüft"});
    return result;
  }
  if (!options_.definitions.empty())
    result.warnings.push_back(run_warning("Warnung: -D gilt nicht im einfachen Dialekt; die Definitionen bleiben unbenutzt"));
  split_pass(std::move(editor_text), table_);
  Diagnostics diagnostics;
  const EquValues written = equ_values(table_);
  result.error_count = symbol_pass(table_, diagnostics);
  // A value that could not be substituted is no value: nothing is encoded.
  result.error_count += report_circular_equs(written, diagnostics);
  // An operand that outgrew the substitution is no text to encode.
  if (result.error_count == 0) result.error_count = encoding_pass(table_, diagnostics);
  // Addresses and targets only mean something once every line encoded.
  if (result.error_count == 0) {
    result.error_count = address_pass(table_, diagnostics);
    result.error_count += target_pass(table_, diagnostics);
  }
  result.errors = std::move(diagnostics.items);
  add_cut_error();
  return result;
}

}  // namespace zorvin::asm48
