#include "document_check.h"

#include "analysis/analysis.h"
#include "asm/dialect/dialects.h"
#include "asm/dialect/recognition.h"
#include "asm/ext/pass.h"
#include "output/listing_file.h"
#include "text/unicode_text.h"

namespace zorvin::lsp {

namespace {

// The dialect as the run chooses it: named by the options, else from the text.
asm48::DialectChoice dialect_of(const std::string& text, const asm48::RunOptions& options) {
  const asm48::DialectName named = asm48::dialect_by_option(options.dialect);
  asm48::DialectChoice own = asm48::recognise_dialect(text);
  if (options.dialect.empty() || !named.known) return own;
  asm48::DialectChoice choice;
  choice.convention = named.convention;
  if (own.convention == choice.convention) choice.cpu = own.cpu;
  return choice;
}

// The findings and routine cycles of a successful run, as the window's
// "Analyse" and zorvin-asm --analyse have them.
void add_analysis(DocumentCheck& check, const asm48::Assembler& assembler, const std::string& text) {
  const analysis::Analysis result = analysis::analyse(analysis::program_of_run(assembler, analysis::names_upi_part(text)));
  check.findings = result.findings;
  for (const analysis::RoutineCycles& routine : result.routines) {
    const std::string figures = "Zyklen ab " + result.program.name_of(routine.entry) + " bis " +
                                analysis::hex_address(routine.cycles.last) + ": " + routine.cycles.figures();
    if (const std::int32_t line = result.program.line_at(routine.entry); line > 0) check.cycles_by_line.emplace(line, figures);
    if (const auto label = result.program.labels.find(routine.entry); label != result.program.labels.end())
      check.cycles_by_name.emplace(fold_case(label->second), figures);
  }
}

}  // namespace

DocumentCheck check_document(const std::string& text, const std::string& folder, const asm48::RunOptions& options,
                             bool analyse) {
  DocumentCheck check;
  const asm48::DialectChoice choice = dialect_of(text, options);
  check.convention = choice.convention;
  if (!choice.cpu.empty())
    check.set = asm48::ext::instruction_set_of(choice.cpu).value_or(asm48::InstructionSet::Mcs48);
  asm48::Assembler assembler;
  assembler.set_options(options);
  assembler.keep_listing(true);
  check.result = assembler.run(text, folder);
  if (check.result.nothing_to_assemble) return check;
  const asm48::SourceListing listing =
      assembler.extended() ? assembler.extended_listing() : output::plain_source_listing(text, assembler.table());
  // The plain dialect places addresses only when every line encoded: after
  // an error they and the labels' values are not known.
  const bool placed = assembler.extended() || check.result.ok();
  for (const asm48::ListingLine& line : listing.lines) {
    if (line.bytes.empty() && !line.address) continue;
    LineCode& code = check.code[line.line_no];
    if (!code.address && placed) code.address = line.address;
    code.bytes.insert(code.bytes.end(), line.bytes.begin(), line.bytes.end());
  }
  if (placed) {
    for (const asm48::ListedSymbol& symbol : listing.symbols) check.values.emplace(fold_case(symbol.name), symbol.value);
  } else {
    for (const asm48::LineRecord& record : assembler.table().records)
      if (record.is_equ) check.values.emplace(fold_case(record.mnemonic), std::string(record.operand1));
  }
  if (analyse && check.result.ok()) add_analysis(check, assembler, text);
  return check;
}

}  // namespace zorvin::lsp
