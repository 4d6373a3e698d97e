// The lines an assembler run shows, in the order the window's message pane
// and zorvin-asm both show them: the dialect line, the warnings, then the
// errors. The output's lines and the summary follow them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "asm/assembler.h"

namespace zorvin::asm48 {

// At most `max_error_lines` error lines are given; a last line counts the
// rest ("... und N weitere Fehlermeldungen, die nicht angezeigt werden").
// Empty for a run that found nothing to assemble.
std::vector<std::string> run_message_lines(const AssemblyResult& result,
                                           std::size_t max_error_lines = kMaxKeptErrorLines);

}  // namespace zorvin::asm48
