// The lines an assembler run shows, in the order the window's message pane
// and zorvin-asm both show them: the dialect line, the warnings, then the
// errors. The output's lines and the summary follow them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "asm/assembler.h"

namespace zorvin::asm48 {

// At most `max_error_lines` error lines are given; a last line counts the
// rest ("... und N weitere Fehlermeldungen, die nicht angezeigt werden").
// Empty for a run that found nothing to assemble.
// `format` makes a diagnostic's line (zorvin-asm's --fehlerformat picks it).
using DiagnosticFormat = std::function<std::string(const Diagnostic&)>;
std::vector<std::string> run_message_lines(const AssemblyResult& result,
                                           std::size_t max_error_lines = kMaxKeptErrorLines,
                                           const DiagnosticFormat& format = format_diagnostic);
inline std::vector<std::string> run_message_lines(const AssemblyResult& result, const DiagnosticFormat& format) {
  return run_message_lines(result, kMaxKeptErrorLines, format);
}

}  // namespace zorvin::asm48
