// Diagnostics as data: what a run reports (severity, line, text) and the
// one function that makes the lines shown of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asm/assembler.h"
#include "asm/diagnostics.h"
#include "asm/error_lines.h"

namespace {

using namespace zorvin::asm48;

TEST(AsmDiagnostics, KeepsTheFirstTenThousandAndCountsTheRest) {
  Diagnostics diagnostics;
  for (int line = 1; line <= static_cast<int>(kMaxKeptErrorLines) + 5; ++line) diagnostics.report(line, kSyntaxError);
  EXPECT_EQ(diagnostics.items.size(), kMaxKeptErrorLines);
  EXPECT_EQ(diagnostics.count(), static_cast<int>(kMaxKeptErrorLines) + 5);
  EXPECT_EQ(diagnostics.items.back().line, static_cast<int>(kMaxKeptErrorLines));
  EXPECT_EQ(diagnostics.items.back().severity, Severity::Error);
}

struct RunCase {
  const char* source;
  std::vector<std::pair<int, Severity>> errors;    // line and severity, in order
  std::vector<std::pair<int, Severity>> warnings;
};

TEST(AsmDiagnostics, RunsReportDataAndTheSameLines) {
  const RunCase cases[] = {
      {"  nop\n  frob\n  mov a,#x\n", {{2, Severity::Error}, {3, Severity::Error}}, {}},
      {"  cpu 8048\n  mov a,#300\n  frob\n", {{2, Severity::Error}, {3, Severity::Error}}, {}},
      {"  cpu 8048\n  assume mb:0\n  jmp 900h\n  message \"x\"\n  warning \"y\"\n",
       {},
       {{3, Severity::Warning}, {4, Severity::Note}, {5, Severity::Warning}}},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.source);
    Assembler assembler;
    const AssemblyResult result = assembler.run(c.source);
    std::vector<std::pair<int, Severity>> errors, warnings;
    for (const Diagnostic& d : result.errors) errors.emplace_back(d.line, d.severity);
    for (const Diagnostic& d : result.warnings) warnings.emplace_back(d.line, d.severity);
    EXPECT_EQ(errors, c.errors);
    EXPECT_EQ(warnings, c.warnings);
    EXPECT_EQ(result.error_lines, format_diagnostics(result.errors));
    EXPECT_EQ(result.warning_lines, format_diagnostics(result.warnings));
    std::vector<int> lines;
    for (const auto& [line, severity] : c.errors) lines.push_back(line);
    EXPECT_EQ(distinct_error_lines(std::span<const Diagnostic>(result.errors)), lines);
  }
}

}  // namespace
