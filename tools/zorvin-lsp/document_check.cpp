#include "document_check.h"

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

}  // namespace

DocumentCheck check_document(const std::string& text, const std::string& folder, const asm48::RunOptions& options) {
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
  return check;
}

}  // namespace zorvin::lsp
