#include "asm/run_messages.h"

#include <algorithm>

namespace zorvin::asm48 {

std::vector<std::string> run_message_lines(const AssemblyResult& result, std::size_t max_error_lines,
                                           const DiagnosticFormat& format) {
  std::vector<std::string> lines;
  if (result.nothing_to_assemble) return lines;
  lines.push_back(result.dialect_line);
  for (const Diagnostic& warning : result.warnings) lines.push_back(format(warning));
  const std::size_t shown = std::min(result.errors.size(), max_error_lines);
  std::size_t shown_errors = 0;  // a note among the lines is no error of the count
  for (std::size_t i = 0; i < shown; ++i) {
    lines.push_back(format(result.errors[i]));
    if (result.errors[i].severity == Severity::Error) ++shown_errors;
  }
  const auto counted = static_cast<std::size_t>(std::max(result.error_count, 0));
  if (counted > shown_errors)
    lines.push_back("... und " + std::to_string(counted - shown_errors) +
                    " weitere Fehlermeldungen, die nicht angezeigt werden");
  return lines;
}

}  // namespace zorvin::asm48
