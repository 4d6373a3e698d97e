#include "analysis/finding.h"

namespace zorvin::analysis {

namespace {

asm48::Diagnostic diagnostic_of(const Finding& finding) {
  asm48::Diagnostic diagnostic;
  diagnostic.severity = asm48::Severity::Note;
  diagnostic.line = finding.line;
  diagnostic.text = (finding.line > 0 ? " -> Hinweis: " : "Hinweis: ") + finding.text;
  return diagnostic;
}

}  // namespace

std::string format_finding(const Finding& finding) { return asm48::format_diagnostic(diagnostic_of(finding)); }

std::vector<asm48::Diagnostic> finding_diagnostics(const std::vector<Finding>& findings) {
  std::vector<asm48::Diagnostic> diagnostics;
  diagnostics.reserve(findings.size());
  for (const Finding& finding : findings) diagnostics.push_back(diagnostic_of(finding));
  return diagnostics;
}

}  // namespace zorvin::analysis
