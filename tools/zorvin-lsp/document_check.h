// One document through the same assembler run as F5 and zorvin-asm: its
// messages, the dialect it was read in, each line's address and bytes and
// the symbols' values, kept for the language features until the next change.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "analysis/finding.h"
#include "asm/assembler.h"
#include "asm/dialect/convention.h"
#include "asm/statement_encoder.h"

namespace zorvin::lsp {

struct LineCode {
  std::optional<std::int32_t> address;
  std::vector<std::uint8_t> bytes;  // macro and include expansions of the line included
};

struct DocumentCheck {
  asm48::AssemblyResult result;
  const asm48::Convention* convention = nullptr;  // nullptr: the plain dialect
  asm48::InstructionSet set = asm48::InstructionSet::Mcs48;
  std::map<std::int32_t, LineCode> code;  // by 1-based source line
  std::map<std::string, std::string> values;  // folded symbol name -> value as the listing shows it
  // The code analysis of a successful run (when asked for): its findings,
  // and the straight-run cycles from each routine and reached label.
  std::vector<analysis::Finding> findings;
  std::map<std::int32_t, std::string> cycles_by_line;  // 1-based line of the entry's instruction
  std::map<std::string, std::string> cycles_by_name;   // folded label
};

// `folder` is where the document's includes are looked for; empty for a
// document without a file.
DocumentCheck check_document(const std::string& text, const std::string& folder, const asm48::RunOptions& options,
                             bool analyse = false);

}  // namespace zorvin::lsp
