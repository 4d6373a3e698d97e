// The extended dialect's assembler run: symbols as names, expressions,
// macros, conditional assembly, loops, includes, data directives and the
// UPI-41/42 instructions. It repeats its pass until every name used before
// its definition had its final value, then leaves the code in the same
// line table the plain dialect fills, sorted by address.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "asm/diagnostics.h"
#include "asm/ext/pass.h"
#include "asm/line_record.h"
#include "asm/source_listing.h"

namespace zorvin::asm48::ext {

struct ExtendedRun {
  Diagnostics diagnostics;  // error lines of the final pass, in source order
  Diagnostics warnings{{}, 0, Severity::Warning};  // warning lines of the final pass, in source order
  SourceListing listing;    // filled only when asked for
  std::vector<std::string> included_files;  // paths of the files read by include
  bool stopped_at_error_limit = false;      // kMaxErrors errors, and the source went on
  std::optional<TargetFile> target_file;    // the file the source names for its program
};

struct ExtendedOptions {
  const Convention* convention = nullptr;  // nullptr: the macro assembler's
  std::string cpu = "8048";                // the part the run starts with
  std::vector<Definition> definitions;     // -D NAME=VALUE
};

// `base_dir` is the folder of the source file (include names are relative
// to it); empty for a text without a file.
ExtendedRun assemble_extended(std::string_view text, const std::string& base_dir, const ExtendedOptions& options,
                              bool keep_listing, LineTable& table);

}  // namespace zorvin::asm48::ext
