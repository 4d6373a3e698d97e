// One assembler run over the editor text: split, equ substitution, encoding,
// addresses, jump targets and the sort by address. Touches no screen and no
// file; the caller shows the messages and runs the output writer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "asm/line_record.h"

namespace zorvin::asm48 {

inline constexpr std::string_view kNothingToAssemble = "Es gibt nichts zu assemblieren.";
inline constexpr std::string_view kAssembledWithoutErrors = "Assemblieren ohne Fehler beendet.";
inline constexpr std::string_view kErrorsSuffix = " Fehler beim Assemblieren!";

struct AssemblyResult {
  bool nothing_to_assemble = false;      // text empty after trimming; nothing ran
  std::vector<std::string> error_lines;  // "Zeile: N -> ..." in reporting order
  int error_count = 0;
  std::string summary;                   // the run's last message line

  bool ok() const { return !nothing_to_assemble && error_count == 0; }
};

class Assembler {
 public:
  AssemblyResult run(std::string_view editor_text);

  // Records 0 to the last index; sorted by address after a successful run.
  const LineTable& table() const { return table_; }

 private:
  LineTable table_;
};

}  // namespace zorvin::asm48
