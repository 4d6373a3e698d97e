// The listing file for people who read listings: every source line with
// the address and code bytes beside it (macro and loop expansions marked
// with "+"), then the symbols with their values.
#pragma once

#include <string>
#include <string_view>

#include "analysis/program.h"
#include "asm/line_record.h"
#include "asm/source_listing.h"

namespace zorvin::output {

// The listing of a plain-dialect run, from its source text and its table.
asm48::SourceListing plain_source_listing(std::string_view source_text, const asm48::LineTable& table);

// The file's text (UTF-8; the caller writes it as 8-bit text like a source).
// With the run's program, a column "Zyk" gives the machine cycles of each
// instruction line (none for data).
std::string listing_file_text(const asm48::SourceListing& listing, std::string_view title,
                              const analysis::Program* program = nullptr);

}  // namespace zorvin::output
