// One assembler run over the editor text: split, equ substitution, encoding,
// addresses, jump targets and the sort by address. A source in another
// convention (asm/dialect chooses it: `cpu 8048`, #DEFINE, .EQ, ...) goes
// through the extended dialect's engine instead (asm/ext), which fills the
// same table. Touches no screen and writes no file; the caller
// shows the messages and runs the output writer.
#pragma once

#include <string>
#include <string_view>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "asm/diagnostics.h"
#include "asm/line_record.h"
#include "asm/source_listing.h"
#include "asm/target_file.h"
#include "asm/work_limits.h"

namespace zorvin::asm48 {

inline constexpr std::string_view kNothingToAssemble = "Es gibt nichts zu assemblieren.";
inline constexpr std::string_view kAssembledWithoutErrors = "Assemblieren ohne Fehler beendet.";
inline constexpr std::string_view kErrorsSuffix = " Fehler beim Assemblieren!";
inline constexpr std::string_view kSourceCutAtZero =
    " -> hier steht ein 00H-Byte in der Quelldatei; der Rest der Datei wurde nicht gelesen und fehlt im Programm";
inline constexpr std::string_view kTextTooLarge =
    " -> Quelltext größer als 16 MiB (Grenze der Textmenge), nicht assembliert";

// What the caller may fix about a run beyond the text.
struct RunOptions {
  std::string dialect;  // an option name of dialect_by_option; empty: from the source
  std::vector<std::pair<std::string, std::int32_t>> definitions;  // -D NAME=VALUE
  // The text ends where its file holds a 00H byte, and the rest of the file
  // was not read: the run fails there rather than make an image without it.
  bool source_cut_at_zero = false;
};

struct AssemblyResult {
  bool nothing_to_assemble = false;      // text empty after trimming; nothing ran
  std::string dialect_line;              // "Dialekt: ...": the run's first message line
  // In reporting order, the first kMaxKeptErrorLines; a run that stopped at
  // its bound of errors ends them with a note (Severity::Note, not counted).
  std::vector<Diagnostic> errors;
  std::vector<Diagnostic> warnings;      // they do not stop the run
  int error_count = 0;                   // all of them
  // The two lists formatted (format_diagnostic), for callers that show or
  // compare lines; filled when the run ends.
  std::vector<std::string> error_lines;
  std::vector<std::string> warning_lines;
  std::string summary;                   // the run's last message line
  std::vector<std::string> included_files;  // files the run read besides the source
  std::optional<TargetFile> target_file;    // the file the source names for its program (.TF)

  bool ok() const { return !nothing_to_assemble && error_count == 0; }
};

class Assembler {
 public:
  // `source_dir` is the folder of the source file, where the extended
  // dialect looks for included files; empty for a text without a file.
  // The plain dialect keeps the text itself for the records to point into;
  // hand it over with std::move where the caller no longer needs it.
  AssemblyResult run(std::string editor_text, const std::string& source_dir = {});

  // Dialect and definitions for the next runs.
  void set_options(RunOptions options) { options_ = std::move(options); }

  // Whether the last run used the extended dialect.
  bool extended() const { return extended_; }

  // Asks the next runs to keep a listing of the source (see extended_listing()).
  void keep_listing(bool keep) { keep_listing_ = keep; }

  // The last run's listing of the extended dialect (with keep_listing).
  const SourceListing& extended_listing() const { return listing_; }

  // Records 0 to the last index; sorted by address after a successful run.
  const LineTable& table() const { return table_; }

 private:
  // The run up to its summary; `finish` adds that.
  AssemblyResult run_text(std::string editor_text, const std::string& source_dir);

  LineTable table_;
  SourceListing listing_;
  bool extended_ = false;
  bool keep_listing_ = false;
  RunOptions options_;
};

}  // namespace zorvin::asm48
